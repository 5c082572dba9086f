#include "widgets/requiredfield.h"

#include "store/texts.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
bool require(QWidget *field, const QString &text, const QString &message) {
    if (!trimBlanksAndControls(text).isEmpty()) return true;
    Dialogs::instance().warning(field, message);
    field->setFocus(Qt::OtherFocusReason);
    return false;
}
} // namespace

bool requireText(QLineEdit *field, const QString &message) {
    return require(field, field->text(), message);
}

bool requireText(QComboBox *field, const QString &message) {
    return require(field, field->currentText(), message);
}
