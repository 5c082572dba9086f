#include "widgets/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {
Dialogs *&installed() {
    static Dialogs *dialogs = nullptr;
    return dialogs;
}

QString titleOr(const QString &title) {
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

// As the save dialog does it: a name without an extension of its own gets the default one.
QString withSuffix(const QString &path, const QString &suffix) {
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + suffix;
}
} // namespace

void widenForTitle(QMessageBox &box) {
    // A message box sizes itself by its text alone: a short text under a long title leaves the
    // window manager a title bar too narrow for the title, shown as "…". Room for the title, its
    // icon and the bar's three buttons.
    auto *layout = qobject_cast<QGridLayout *>(box.layout());
    if (!layout) return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
    layout->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), layout->rowCount(), 0, 1,
                    layout->columnCount());
}

Dialogs &Dialogs::instance() {
    static QtDialogs qtDialogs;
    Dialogs *dialogs = installed();
    return dialogs ? *dialogs : qtDialogs;
}

void Dialogs::install(Dialogs *dialogs) {
    installed() = dialogs;
}

void QtDialogs::message(QWidget *parent, Kind kind, const QString &text, const QString &title) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (kind == Kind::Warning)
        icon = QMessageBox::Warning;
    else if (kind == Kind::Error)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, titleOr(title), text, QMessageBox::Ok, parent);
    widenForTitle(box);
    box.exec();
}

bool QtDialogs::ask(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                    QuestionIcon icon) {
    const bool yesNo = buttons == Buttons::YesNo;
    const auto positive = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const auto negative = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(icon == QuestionIcon::Warning ? QMessageBox::Warning : QMessageBox::Question,
                    titleOr(title), text, positive | negative, parent);
    box.setDefaultButton(negative);
    widenForTitle(box);
    return box.exec() == positive;
}

int Dialogs::choose(QWidget *, const QString &, const QString &, const QStringList &, int escapeChoice) {
    return escapeChoice;
}

int QtDialogs::choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                      int escapeChoice) {
    QMessageBox box(QMessageBox::Warning, titleOr(title), text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons << box.addButton(choice, QMessageBox::ActionRole);
    if (buttons.isEmpty()) return escapeChoice;
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    if (escapeChoice >= 0 && escapeChoice < buttons.size()) box.setEscapeButton(buttons[escapeChoice]);
    widenForTitle(box);
    box.exec();
    const qsizetype pressed = buttons.indexOf(box.clickedButton());
    return pressed < 0 ? escapeChoice : int(pressed);
}

QString QtDialogs::openFileName(QWidget *parent, const QString &title, const QString &startPath,
                                const QString &filter) {
    return QFileDialog::getOpenFileName(parent, title, startPath, filter);
}

QString QtDialogs::saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                                const QString &filter) {
    return QFileDialog::getSaveFileName(parent, title, startPath, filter);
}

QString Dialogs::saveFileNameWithSuffix(QWidget *parent, const QString &title, const QString &startPath,
                                        const QString &filter, const QString &defaultSuffix) {
    return withSuffix(saveFileName(parent, title, startPath, filter), defaultSuffix);
}

QString QtDialogs::saveFileNameWithSuffix(QWidget *parent, const QString &title, const QString &startPath,
                                          const QString &filter, const QString &defaultSuffix) {
    QFileDialog dialog(parent, title, startPath, filter);
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return {};
    return withSuffix(dialog.selectedFiles().value(0), defaultSuffix);
}
