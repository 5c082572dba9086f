#include "accessories/aboutbox.h"

#include "accessories/makercontact.h"
#include "widgets/shell.h"
#include "widgets/windowplacement.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <utility>

namespace {
QLabel *addressLabel(const QString &text, const char *name, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(makercontact::name());
    label->setStyleSheet(QStringLiteral("QLabel { color: #1f5fa8; text-decoration: underline; }"));
    return label;
}

// A path may be longer than the box is wide: a read-only field scrolls and copies it whole.
QLineEdit *placeField(const char *name, QWidget *parent) {
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setFrame(false);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    field->setText(QStringLiteral("（未打开）"));
    return field;
}
} // namespace

AboutBox::AboutBox(QWidget *owner)
    : QDialog(owner), m_mail(addressLabel(makercontact::supportEmail(), "Label7", this)),
      m_web(addressLabel(maker::webAddress(), "Label3", this)), m_shopFolder(placeField("ShopFolder", this)),
      m_database(placeField("DatabaseInUse", this)) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("关于软件..."));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    icon->setFixedSize(64, 64);
    auto *title = new QLabel(QStringLiteral("《嘉穗进销存》"), this);
    title->setObjectName(QStringLiteral("ProductName"));
    title->setStyleSheet(QStringLiteral("QLabel { font-size: 16pt; font-weight: bold; }"));
    auto *heading = new QHBoxLayout;
    heading->addWidget(icon);
    heading->addWidget(title, 1);

    auto *addresses = new QGridLayout;
    addresses->addWidget(new QLabel(QStringLiteral("Email："), this), 0, 0);
    addresses->addWidget(m_mail, 0, 1, Qt::AlignLeft);
    addresses->addWidget(new QLabel(QStringLiteral("网 站："), this), 1, 0);
    addresses->addWidget(m_web, 1, 1, Qt::AlignLeft);
    addresses->addWidget(new QLabel(QStringLiteral("数据文件夹："), this), 2, 0);
    addresses->addWidget(m_shopFolder, 2, 1);
    addresses->addWidget(new QLabel(QStringLiteral("数据库："), this), 3, 0);
    addresses->addWidget(m_database, 3, 1);
    addresses->setColumnStretch(1, 1);
    auto *makerLine = new QLabel(makercontact::name() + QStringLiteral("  版权所有"), this);
    makerLine->setObjectName(QStringLiteral("Copyright"));

    auto *ok = new QPushButton(QStringLiteral("确 定"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(24, 20, 24, 16);
    column->addLayout(heading);
    column->addSpacing(12);
    column->addLayout(addresses);
    column->addWidget(makerLine);
    column->addStretch(1);
    column->addLayout(buttons);

    for (QLabel *label : {m_mail, m_web})
        label->installEventFilter(this);
    setFixedSize(420, 290);
}

void AboutBox::setShopPlaces(const QString &shopFolder, const QString &database) {
    for (auto [field, text] : {std::pair{m_shopFolder, shopFolder}, std::pair{m_database, database}}) {
        field->setText(text);
        field->setToolTip(text);
        field->setCursorPosition(0);
    }
}

void AboutBox::writeMail() {
    Shell::instance().openUrl(QStringLiteral("mailto:") + makercontact::supportEmail());
}

void AboutBox::openWebSite() {
    Shell::instance().openUrl(maker::webAddress());
}

void AboutBox::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous() || m_centred) return;
    m_centred = true;
    centreOnScreen(this);
}

void AboutBox::paintEvent(QPaintEvent *event) {
    // The background picture: a pale wash that deepens towards the bottom.
    QPainter painter(this);
    QLinearGradient wash(0, 0, 0, height());
    wash.setColorAt(0, QColor(0xf4, 0xfa, 0xf6));
    wash.setColorAt(1, QColor(0xcf, 0xe8, 0xdb));
    painter.fillRect(rect(), wash);
    QDialog::paintEvent(event);
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_mail) {
            writeMail();
            return true;
        }
        if (watched == m_web) {
            openWebSite();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
