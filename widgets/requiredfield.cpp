#include "widgets/requiredfield.h"

#include "widgets/dialogs.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
// Blanks and control characters count as nothing typed.
bool isBlank(const QString &text) {
    for (const QChar ch : text)
        if (!ch.isSpace() && ch.category() != QChar::Other_Control)
            return false;
    return true;
}

bool require(QWidget *field, const QString &text, const QString &message) {
    if (!isBlank(text))
        return true;
    Dialogs::instance().warning(field, message);
    field->setFocus();
    return false;
}
} // namespace

bool requireText(QLineEdit *field, const QString &message) { return require(field, field->text(), message); }

bool requireText(QComboBox *field, const QString &message) {
    return require(field, field->currentText(), message);
}
