#include "upgrade/upgradewaitwindow.h"

#include "upgrade/upgradetexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

UpgradeWaitWindow::UpgradeWaitWindow(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UpgradeWaitWindow"));
    setWindowTitle(upgradeText(upgradetext::Caption));
    setModal(false);

    auto *label = new QLabel(upgradeText(upgradetext::Checking), this);
    label->setObjectName(QStringLiteral("WaitLabel"));
    label->setMinimumWidth(260);
    auto *cancel = new QPushButton(upgradeText(upgradetext::Cancel), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &UpgradeWaitWindow::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void UpgradeWaitWindow::reject() {
    emit cancelPressed(); // the check ends, and closes this window with it
}
