// The controls of the backup window in their places.
#include "maintenance/backupwindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

void BackupWindow::buildLayout() {
    auto *banner = new QLabel(QStringLiteral("数据库维护备份"), this);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setAlignment(Qt::AlignCenter);
    banner->setMinimumHeight(48);
    banner->setStyleSheet(QStringLiteral("QLabel { color: white; font-size: 18pt; font-weight: bold;"
                                         " background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
                                         " stop:0 #1f5fa8, stop:1 #3d8fd9); }"));
    m_defaultLink->setStyleSheet(QStringLiteral("QLabel { color: #1f5fa8; text-decoration: underline; }"));
    m_defaultLink->setToolTip(QStringLiteral("恢复默认的备份路径"));

    auto *backupBox = new QGroupBox(QStringLiteral("备份"), this);
    auto *targetRow = new QHBoxLayout;
    auto *targetLabel = new QLabel(QStringLiteral("备份数据的目录:"), backupBox);
    targetLabel->setBuddy(m_target);
    targetRow->addWidget(targetLabel);
    targetRow->addWidget(m_target, 1);
    targetRow->addWidget(m_defaultLink);
    auto *backupRow = new QHBoxLayout;
    backupRow->addWidget(m_backUp);
    auto *hint = new QLabel(QStringLiteral("温馨提示：定期备份数据，维护数据安全！"), backupBox);
    hint->setWordWrap(true);
    backupRow->addWidget(hint, 1);
    auto *backupColumn = new QVBoxLayout(backupBox);
    backupColumn->addLayout(targetRow);
    backupColumn->addLayout(backupRow);

    auto *restoreBox = new QGroupBox(QStringLiteral("恢复"), this);
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(m_source, 1);
    sourceRow->addWidget(m_chooseSource);
    auto *copiesLabel =
        new QLabel(QStringLiteral("恢复前保存的数据库和每日自动备份（点选一份即可用来恢复）:"), restoreBox);
    // Where the data is, named as it is: the file, or the server whose dump files this window writes.
    auto *place = new QLabel(placeText(), this);
    place->setObjectName(QStringLiteral("place"));
    place->setWordWrap(true);
    copiesLabel->setBuddy(m_restoreSources);
    m_restoreSources->setMaximumHeight(110);
    auto *restoreRow = new QHBoxLayout;
    restoreRow->addWidget(m_restore, 0, Qt::AlignTop);
    auto *warning =
        new QLabel(QStringLiteral("警告：恢复数据库功能，只有当目前使用的数据库损坏或丢失时才使用，"
                                  "否则旧数据库会覆盖当前的最新数据库，造成信息丢失。"),
                   restoreBox);
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("QLabel { color: #c00000; }"));
    restoreRow->addWidget(warning, 1);
    auto *restoreColumn = new QVBoxLayout(restoreBox);
    restoreColumn->addLayout(sourceRow);
    restoreColumn->addWidget(copiesLabel);
    restoreColumn->addWidget(m_restoreSources);
    restoreColumn->addLayout(restoreRow);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 8);
    column->addWidget(banner);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    body->addWidget(place);
    body->addWidget(backupBox);
    body->addWidget(restoreBox);
    column->addLayout(body);
    setFixedSize(520, 450);
}
