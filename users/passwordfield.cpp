#include "users/passwordfield.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {
constexpr int MaxLength = 10;

bool isPasswordCharacter(QChar ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
}

// Drops typed characters other than letters and digits; editing and moving keys pass.
class PasswordKeyFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        if (typed.isEmpty() || !typed.at(0).isPrint()) return false;
        for (const QChar ch : typed)
            if (!isPasswordCharacter(ch)) return true;
        return false;
    }
};
} // namespace

void makePasswordField(QLineEdit *field) {
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    field->setMaxLength(MaxLength);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,%1}").arg(MaxLength)), field));
    field->installEventFilter(new PasswordKeyFilter(field));
}
