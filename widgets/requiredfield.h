#pragma once
// The required-field check of the entry windows: a field whose text is only blanks and control
// characters gets the message as a warning and the focus, and the action stops.
#include <QString>

class QComboBox;
class QLineEdit;

// True when the field holds something; otherwise shows the message (Dialogs), focuses the field and
// returns false. The field's text is never changed.
bool requireText(QLineEdit *field, const QString &message);
bool requireText(QComboBox *field, const QString &message);
