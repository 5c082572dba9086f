#pragma once
// The desktop's own calculator and text editor, started from the "设 置" menu. Desktops ship
// different ones, so each is the first of a list of well-known programs found on the PATH.
#include <QString>
#include <QStringList>

namespace desktopprograms {
QStringList calculators();
QStringList textEditors();
// Starts the first candidate found on the PATH through Shell. False (with nothing started) when none
// is installed or it would not start.
bool startFirstFound(const QStringList &candidates);
} // namespace desktopprograms
