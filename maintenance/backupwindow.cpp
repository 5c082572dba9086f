#include "maintenance/backupwindow.h"

#include "maintenance/dailycopies.h"
#include "maintenance/databaselock.h"
#include "maintenance/restorecandidate.h"
#include "maintenance/safetycopies.h"
#include "maintenance/serverdailycopies.h"
#include "maintenance/shopfiles.h"
#include "store/clock.h"
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
// A dump file is no data.mdb: the server's target is remembered apart, so that neither replaces the other.
const auto serverTargetSetting = QStringLiteral("save_dump");

// The wait cursor while a copy of a large file holds the window.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

BackupWindow::BackupWindow(Database &database, QWidget *owner)
    : QWidget(owner, Qt::Window), m_database(database), m_databasePath(database.path()),
      m_onServer(database.engine() == Database::Engine::Server),
      m_serverConnection(database.serverConnection()),
      m_shopFolder(m_onServer ? QDir::currentPath() : QFileInfo(m_databasePath).absolutePath()),
      m_target(new QLineEdit(m_onServer ? defaultServerTarget() : defaultTarget(), this)),
      m_source(new QLineEdit(m_onServer ? QStringLiteral("beifen.dump") : QStringLiteral("beifen.mdb"), this)),
      m_defaultLink(new QLabel(QStringLiteral("默认"), this)), m_restoreSources(new QListWidget(this)),
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
    m_restoreSources->setObjectName(QStringLiteral("restoreSources"));
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
    connect(m_restoreSources, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item) m_source->setText(item->data(Qt::UserRole).toString());
    });
}

QString BackupWindow::defaultTarget() {
    return QDir::home().filePath(QStringLiteral("beifen.mdb"));
}

QString BackupWindow::defaultServerTarget() {
    return QDir::home().filePath(QStringLiteral("beifen.dump"));
}

QString BackupWindow::resolved(const QString &typed) const {
    if (typed.isEmpty() || QDir::isAbsolutePath(typed)) return typed;
    return QDir(m_shopFolder).filePath(typed);
}

void BackupWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    // Closing the last connection merges the write-ahead log into the file. The server's database needs
    // no closing: its tools copy it whole while the tills work.
    if (!m_onServer) m_database.close();
    const SettingsStore &store = SettingsStore::instance();
    if (store.exists()) {
        const QString stored = store.read(m_onServer ? serverTargetSetting : targetSetting);
        if (!stored.isEmpty()) m_target->setText(stored);
    }
    listRestoreSources();
}

void BackupWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    // On the server only a restore whose new connection failed left it closed.
    if (!m_database.isOpen() &&
        !(m_onServer ? m_database.openServer(m_serverConnection) : m_database.open(m_databasePath)))
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
    const QString setting = m_onServer ? serverTargetSetting : targetSetting;
    if (SettingsStore::instance().write(setting, text, &error)) return;
    // Every keystroke stores the path: one report of a settings file that cannot be written is enough.
    if (m_storeFailureShown) return;
    m_storeFailureShown = true;
    Dialogs::instance().error(this, error);
}

void BackupWindow::useDefaultTarget() {
    m_target->setText(m_onServer ? defaultServerTarget() : defaultTarget());
    // Stored even when the text was the default already.
    storeTarget(m_target->text());
}

void BackupWindow::listRestoreSources() {
    m_restoreSources->clear();
    const auto megabytes = [](qint64 bytes) {
        return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1);
    };
    const auto add = [this](const QString &text, const QString &path) {
        auto *item = new QListWidgetItem(text, m_restoreSources);
        item->setData(Qt::UserRole, QDir::toNativeSeparators(path));
    };
    // On a server the copies are dumps kept in the shop folder; the file keeps its copies beside it.
    for (const safetycopies::Copy &copy : safetycopies::list(m_onServer ? serverSafetyBase() : m_databasePath))
        add(QStringLiteral("%1  恢复前的数据库  %2 MB")
                .arg(copy.made.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), megabytes(copy.bytes)),
            copy.path);
    const QDate today = Clock::today();
    for (const dailycopies::Copy &copy :
         m_onServer ? serverdailycopies::list(m_shopFolder) : dailycopies::list(m_databasePath))
        add(QStringLiteral("%1  自动备份  %2 MB%3")
                .arg(copy.day.toString(QStringLiteral("yyyy-MM-dd")), megabytes(copy.bytes),
                     copy.day > today ? QStringLiteral("  （日期晚于今天）") : QString()),
            copy.path);
}

bool BackupWindow::refusedWhileInUse(DatabaseFileLock &hold, const QString &failed) {
    QString error;
    const DatabaseFileLock::Outcome outcome = hold.acquire(&error);
    if (outcome == DatabaseFileLock::Outcome::Failed) {
        Dialogs::instance().error(this, failed + QStringLiteral("\n无法锁定数据库文件“%1”：%2")
                                                     .arg(QDir::toNativeSeparators(m_databasePath), error));
        return true;
    }
    if (outcome == DatabaseFileLock::Outcome::Held && !shopfiles::inUseElsewhere(m_databasePath))
        return false;
    hold.release();
    Dialogs::instance().warning(this, QStringLiteral("数据库文件正被另一个程序使用，现在不能备份或恢复。\n"
                                                     "请先关闭其他使用“%1”的程序，再试一次。")
                                          .arg(QDir::toNativeSeparators(m_databasePath)));
    return true;
}

void BackupWindow::backUp() {
    if (m_onServer) {
        backUpServer();
        return;
    }
    // Held while it is copied: no program writes into the file halfway through the copy.
    DatabaseFileLock hold(m_databasePath);
    if (refusedWhileInUse(hold, QStringLiteral("数据库备份失败！"))) return;
    const QString target = resolved(m_target->text());
    const Shell::CopyResult result = Shell::instance().copyFile(this, m_databasePath, target);
    Dialogs::instance().information(this, result == Shell::CopyResult::Copied
                                              ? QStringLiteral("数据库备份成功！")
                                              : QStringLiteral("数据库备份失败！"));
}

void BackupWindow::chooseSource() {
    const QString filter =
        m_onServer ? QStringLiteral("数据库服务器的备份文件 (*.dump);;所有文件 (*)") : QString();
    const QString chosen = Dialogs::instance().openFileName(this, QStringLiteral("打开备份文件"), {}, filter);
    if (!chosen.isEmpty()) m_chosenSource = QDir::toNativeSeparators(chosen);
    m_source->setText(m_chosenSource);
}

void BackupWindow::restore() {
    const QString typed = m_source->text();
    const QString source = resolved(typed);
    if (typed.isEmpty() || !QFileInfo(source).isFile()) {
        Dialogs::instance().information(this, QStringLiteral("备份数据库没找到!"));
        return;
    }
    if (m_onServer) {
        restoreServer(source);
        return;
    }
    const QString failed = QStringLiteral("数据库恢复失败！");
    // Held from the first check to the rename: a program that starts while the question below waits
    // cannot open the file, so it cannot leave its log beside the file that is then replaced.
    DatabaseFileLock hold(m_databasePath);
    if (refusedWhileInUse(hold, failed)) return;
    RestoreCandidate candidate(m_databasePath);
    std::optional<BusyCursor> busy(std::in_place);
    if (!candidate.prepare(this, source)) {
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
    if (!Dialogs::instance().ask(
            this,
            QStringLiteral("要用“%1”替换当前的数据库“%2”吗？\n"
                           "替换前的数据库会另存在它旁边，以后仍可从这里恢复。")
                .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(m_databasePath)),
            {}, Dialogs::Buttons::YesNo, Dialogs::QuestionIcon::Warning)) {
        Dialogs::instance().information(this, failed);
        return;
    }
    // Once more after the question, which may have waited long: a log that a program which does not
    // heed the lock left meanwhile would be mixed into the restored file.
    if (refusedWhileInUse(hold, failed)) return;
    if (!candidate.keepSafetyCopy(&error)) {
        Dialogs::instance().error(this,
                                  failed + QStringLiteral("\n无法先保存当前数据库的安全副本：") + error);
        return;
    }
    if (!candidate.replaceDatabase(&error)) {
        Dialogs::instance().error(this, failed + QLatin1Char('\n') + error);
        return;
    }
    hold.release();
    m_restored = true;
    listRestoreSources();
    Dialogs::instance().information(this, QStringLiteral("数据库恢复成功！"));
}
