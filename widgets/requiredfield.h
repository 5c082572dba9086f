#pragma once
// The required-field checks: a field that is empty after trimming gets its message as a warning and
// the focus; the field's own text is left as typed.
class QComboBox;
class QLineEdit;
class QString;

bool requireText(QLineEdit *field, const QString &message);
bool requireText(QComboBox *field, const QString &message);
