#pragma once
// The online upgrade: looks on the maker's server for a newer version, asks the user, downloads the
// listed files next to the program under ".uTMP" names with a progress wizard, checks them, and hands
// over to the upgrader program, which restarts the program. The program's main window is closed through
// `programShouldClose`, which the program wires to its normal close. Every download has a limit, and an
// information file older than the last one accepted (by its signed serial number) is refused.
#include "upgrade/httptransfer.h"
#include "upgrade/upgradeinfo.h"

#include <QDateTime>
#include <QPointer>
#include <QStringList>

class UpgradeWaitWindow;
class UpgradeWizard;
class QWidget;

class Upgrader : public QObject {
    Q_OBJECT
  public:
    enum class VersionControl { ByDate, ByNumber };
    enum class MiscFiles { AlwaysDownload, OnlyIfSizeDifferent };

    struct Settings {
        QString infoFileUrl;
        QString versionDate = QStringLiteral("07/29/2014"); // month/day/year of this version
        VersionControl versionControl = VersionControl::ByDate;
        QString versionNumber; // this program's version; no offer of an older one is taken
        QString restartParameters = QStringLiteral("/afterupgrade");
        MiscFiles miscFiles = MiscFiles::AlwaysDownload;
        bool wizardEnabled = true;
        bool wizardStaysOnTop = true;
        QByteArray publicKey; // the key the information file's signature is checked with
        QString programPath;  // the program's own file; its folder receives the downloads
        QString temporaryFolder;
        // Installed by the system's package manager: the upgrade downloads the "#deb=" package into a
        // private folder in the temporary folder and hands it to the system's installer.
        bool fromPackage = false;
        QString installer = QStringLiteral("pkexec"); // gains the rights for apt; looked up on the PATH
        qint64 programPid = 0;                        // the process the upgrader waits for
    };

    // `window` is the main window: the parent of the upgrade's windows and messages. Deletes what an
    // earlier upgrade left of the upgrader program in the temporary folder.
    explicit Upgrader(QWidget *window, Settings settings = defaultSettings());
    ~Upgrader() override;

    // The maker's server, this version, this program.
    static Settings defaultSettings();
    // The most bytes taken of the information file and of its signature.
    static constexpr qint64 MaxInfoBytes = 1 << 20;
    static constexpr qint64 MaxSignatureBytes = 1 << 10;
    // The settings-store value that keeps the highest serial number of an information file accepted.
    static QString serialKey() { return QStringLiteral("UpgradeSerial"); }
    Settings &settings() { return m_settings; }
    HttpTransfer &transfer() { return m_transfer; }

    // "软件升级": a check, unless a transfer is running. The user asked for it, so it always ends with a
    // word: the offer, "no newer version", or why the server could not be asked.
    void check();
    // A check nobody asked for (at start-up): no waiting window and no message unless a newer version
    // is offered; from the offer on it is an ordinary upgrade.
    void checkUnattended();
    bool isRunning() const { return m_mode != Mode::Idle; }
    // The wizard while it shows (for the tests and the status of the program).
    UpgradeWizard *wizard() const;

  signals:
    void beginUpgrade(const QString &message, UpgradeMethod method, const QStringList &files,
                      bool &canUpgrade);
    void laterUpgrade();
    void noUpdateAvailable();
    void noInfoFile();
    void fileStarted(const QString &url, qint64 size, const QDateTime &time, bool &canUpgrade);
    void fileDone(const QString &fileName);
    void lostFile(const QString &url, int status, bool &continueUpgrade);
    void connectionLost();
    void hostUnreachable(const QString &url, const QString &hostName);
    void aborted();
    void endUpgrade();
    // The upgrader program runs: the program must now close its main window the normal way.
    void programShouldClose();
    // The program was started again by an upgrade.
    void afterRestart();

  private:
    enum class Mode { Idle, InfoFile, Signature, Files };

    void startTransfer(const QString &address, const QString &outputFile, bool bypassCache, qint64 maxBytes);
    void onFinished(HttpOutcome outcome);
    void onHeaders(const HttpResponse &response, bool &proceed);
    void onProgress(const HttpResponse &response, const HttpProgress &figures);
    void onPasswordRequested(const QString &realm, bool &tryAgain);
    void readInfo();
    bool acceptSerial(qint64 serial);
    bool offersNewerVersion(const UpgradeInfo &info) const;
    void showWait();
    void closeWait();
    void offer(const UpgradeInfo &info);
    void downloadNext();
    void fileComplete();
    void askAboutLostFile(int status);
    void refuseFile(int text);
    void downloadsComplete();
    void install();
    void installPackage();
    // Writes the upgrader program and starts it with the arguments, then closes this program; false
    // (the error shown, nothing left behind) when it cannot be started.
    bool handOverToUpgrader(const QStringList &arguments);
    void giveUp();
    void stop();
    void startCheck(bool unattended);
    // Messages of an unattended check are left out.
    void showError(int text, const QStringList &values = {});
    QString programFolder() const;
    QString targetOf(const QString &url) const;

    QWidget *m_window;
    Settings m_settings;
    HttpTransfer m_transfer;
    Mode m_mode = Mode::Idle;
    QByteArray m_body;
    int m_status = 0;
    QByteArray m_infoFile;
    QStringList m_urls;
    QStringList m_hashes;
    QList<qint64> m_sizes;
    UpgradeMethod m_method = UpgradeMethod::SelfUpgrade;
    int m_index = 0;
    QString m_target;
    QDateTime m_lastModified;
    QStringList m_downloaded; // the ".uTMP" files of this upgrade, in download order
    QString m_packageFolder;  // where the Debian package of this upgrade goes; empty for the others
    bool m_aborted = false;
    bool m_unattended = false;
    QString m_failure; // the transfer's reason for its last failure
    QPointer<UpgradeWizard> m_wizard;
    QPointer<UpgradeWaitWindow> m_waitWindow;
};
