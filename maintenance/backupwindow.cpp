#include "maintenance/backupwindow.h"

#include "maintenance/dailycopies.h"
#include "maintenance/restorecandidate.h"
#include "maintenance/shopfiles.h"
#include "store/database.h"
#include "store/settingsstore.h"
#include "widgets/dialogs.h"
#include "widgets/shell.h"
#include "widgets/windowplacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <optional>

namespace {
const auto targetSetting = QStringLiteral("save");

// The wait cursor while a copy of a large file holds the window.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

BackupWindow::BackupWindow(Database &database, QWidget *owner)
    : QWidget(owner, Qt::Window), m_database(database), m_databasePath(database.path()),
      m_target(new QLineEdit(defaultTarget(), this)),
      m_source(new QLineEdit(QStringLiteral("beifen.mdb"), this)),
      m_defaultLink(new QLabel(QStringLiteral("默认"), this)), m_dailyCopies(new QListWidget(this)),
      m_backUp(new QPushButton(QStringLiteral("备份数据库"), this)),
      m_chooseSource(new QPushButton(QStringLiteral("打开备份文件"), this)),
      m_restore(new QPushButton(QStringLiteral("恢复数据库"), this)) {
    setObjectName(QStringLiteral("Trepair"));
    setWindowTitle(QStringLiteral("数据库备份"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The connection is closed while this window is open: no other window of the program may be used
    // meanwhile (and an end of the program closes this window first, which connects again).
    setWindowModality(Qt::ApplicationModal);
    m_target->setObjectName(QStringLiteral("Edit1"));
    m_source->setObjectName(QStringLiteral("Edit2"));
    m_defaultLink->setObjectName(QStringLiteral("Label4"));
    m_dailyCopies->setObjectName(QStringLiteral("dailyCopies"));
    m_backUp->setObjectName(QStringLiteral("BitBtn1"));
    m_chooseSource->setObjectName(QStringLiteral("Button1"));
    m_restore->setObjectName(QStringLiteral("BitBtn5"));
    buildLayout();

    m_defaultLink->setCursor(Qt::PointingHandCursor);
    m_defaultLink->installEventFilter(this);
    connect(m_target, &QLineEdit::textChanged, this, &BackupWindow::storeTarget);
    connect(m_backUp, &QPushButton::clicked, this, &BackupWindow::backUp);
    connect(m_chooseSource, &QPushButton::clicked, this, &BackupWindow::chooseSource);
    connect(m_restore, &QPushButton::clicked, this, &BackupWindow::restore);
    connect(m_dailyCopies, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item) m_source->setText(item->data(Qt::UserRole).toString());
    });
}

QString BackupWindow::defaultTarget() {
    return QDir::home().filePath(QStringLiteral("beifen.mdb"));
}

void BackupWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    // Closing the last connection merges the write-ahead log into the file.
    m_database.close();
    const SettingsStore &store = SettingsStore::instance();
    if (store.exists()) {
        const QString stored = store.read(targetSetting);
        if (!stored.isEmpty()) m_target->setText(stored);
    }
    listDailyCopies();
}

void BackupWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    if (!m_database.isOpen() && !m_database.open(m_databasePath))
        Dialogs::instance().error(this, m_database.errorText());
    emit reconnected(m_restored);
}

bool BackupWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_defaultLink && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        useDefaultTarget();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BackupWindow::storeTarget(const QString &text) {
    QString error;
    if (SettingsStore::instance().write(targetSetting, text, &error)) return;
    // Every keystroke stores the path: one report of a settings file that cannot be written is enough.
    if (m_storeFailureShown) return;
    m_storeFailureShown = true;
    Dialogs::instance().error(this, error);
}

void BackupWindow::useDefaultTarget() {
    m_target->setText(defaultTarget());
    // Stored even when the text was the default already.
    storeTarget(m_target->text());
}

void BackupWindow::listDailyCopies() {
    m_dailyCopies->clear();
    const auto copies = dailycopies::list(m_databasePath);
    for (const dailycopies::Copy &copy : copies) {
        const QString text = QStringLiteral("%1  自动备份  %2 MB")
                                 .arg(copy.day.toString(QStringLiteral("yyyy-MM-dd")))
                                 .arg(double(copy.bytes) / (1024.0 * 1024.0), 0, 'f', 1);
        auto *item = new QListWidgetItem(text, m_dailyCopies);
        item->setData(Qt::UserRole, QDir::toNativeSeparators(copy.path));
    }
}

bool BackupWindow::refusedWhileInUse() {
    if (!shopfiles::inUseElsewhere(m_databasePath)) return false;
    Dialogs::instance().warning(this, QStringLiteral("数据库文件正被另一个程序使用，现在不能备份或恢复。\n"
                                                     "请先关闭其他使用“%1”的程序，再试一次。")
                                          .arg(QDir::toNativeSeparators(m_databasePath)));
    return true;
}

void BackupWindow::backUp() {
    if (refusedWhileInUse()) return;
    const QString target = shopfiles::resolve(m_databasePath, m_target->text());
    const Shell::CopyResult result = Shell::instance().copyFile(this, m_databasePath, target);
    Dialogs::instance().information(this, result == Shell::CopyResult::Copied
                                              ? QStringLiteral("数据库备份成功！")
                                              : QStringLiteral("数据库备份失败！"));
}

void BackupWindow::chooseSource() {
    const QString chosen = Dialogs::instance().openFileName(this, QStringLiteral("打开备份文件"), {}, {});
    if (!chosen.isEmpty()) m_chosenSource = QDir::toNativeSeparators(chosen);
    m_source->setText(m_chosenSource);
}

void BackupWindow::restore() {
    const QString typed = m_source->text();
    const QString source = shopfiles::resolve(m_databasePath, typed);
    if (typed.isEmpty() || !QFileInfo(source).isFile()) {
        Dialogs::instance().information(this, QStringLiteral("备份数据库没找到!"));
        return;
    }
    if (refusedWhileInUse()) return;
    const QString failed = QStringLiteral("数据库恢复失败！");
    RestoreCandidate candidate(m_databasePath);
    std::optional<BusyCursor> busy(std::in_place);
    if (!candidate.prepare(source)) {
        busy.reset();
        Dialogs::instance().warning(this, failed + QLatin1Char('\n') + candidate.refusal() +
                                              QStringLiteral("\n当前的数据库没有改动。"));
        return;
    }
    QString error;
    const bool staged = candidate.stageSafetyCopy(&error);
    busy.reset();
    if (!staged) {
        Dialogs::instance().error(this,
                                  failed + QStringLiteral("\n无法先保存当前数据库的安全副本：") + error);
        return;
    }
    if (Shell::instance().copyFile(this, candidate.path(), m_databasePath) != Shell::CopyResult::Copied) {
        Dialogs::instance().information(this, failed);
        return;
    }
    m_restored = true;
    if (!candidate.keepSafetyCopy(&error))
        Dialogs::instance().error(this, QStringLiteral("原来的数据库没能保存为“%1”：%2")
                                            .arg(shopfiles::safetyCopyPath(m_databasePath), error));
    Dialogs::instance().information(this, QStringLiteral("数据库恢复成功！"));
}
