#pragma once
// Where a window opens on the desktop.
class QWidget;

// Moves the window, frame included, to the middle of its screen's free area.
void centreOnScreen(QWidget *window);
