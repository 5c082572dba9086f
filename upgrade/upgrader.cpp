// The check: the information file and its signature, the newer-version test and the question.
#include "upgrade/upgrader.h"

#include "store/clock.h"
#include "store/maker.h"
#include "store/settingsstore.h"
#include "upgrade/installation.h"
#include "upgrade/packageupgrade.h"
#include "upgrade/upgradedialogs.h"
#include "upgrade/upgradetexts.h"
#include "upgrade/upgradeverify.h"
#include "upgrade/upgradewaitwindow.h"
#include "upgrade/upgradewizard.h"
#include "widgets/dialogs.h"
#include "widgets/shell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

Upgrader::Settings Upgrader::defaultSettings() {
    Settings settings;
    // The maker's server over https: what is said on the way, a password included, stays between the two.
    QUrl server(maker::webAddress());
    server.setScheme(QStringLiteral("https"));
    settings.infoFileUrl = server.toString(QUrl::StripTrailingSlash) + QStringLiteral("/jsjxc.inf");
    settings.versionNumber = QStringLiteral(JSJXC_VERSION);
    settings.publicKey = upgradeverify::makerPublicKey();
    settings.programPath = QCoreApplication::applicationFilePath();
    settings.temporaryFolder = QDir::tempPath();
    settings.fromPackage = packageupgrade::installedFromPackage(settings.programPath);
    settings.programPid = QCoreApplication::applicationPid();
    return settings;
}

Upgrader::Upgrader(QWidget *window, Settings settings)
    : QObject(window), m_window(window), m_settings(std::move(settings)) {
    installation::removeLeftUpgraders(
        installation::upgraderBase(m_settings.temporaryFolder, programFolder()));
    connect(&m_transfer, &HttpTransfer::done, this,
            [this](const QString &, const QByteArray &body, qint64) { m_body = body; });
    connect(&m_transfer, &HttpTransfer::httpError, this,
            [this](int status, const QByteArray &) { m_status = status; });
    connect(&m_transfer, &HttpTransfer::failed, this, [this](const QString &error) { m_failure = error; });
    connect(&m_transfer, &HttpTransfer::finished, this, &Upgrader::onFinished);
    connect(&m_transfer, &HttpTransfer::headersReceived, this, &Upgrader::onHeaders);
    connect(&m_transfer, &HttpTransfer::progress, this, &Upgrader::onProgress);
    connect(&m_transfer, &HttpTransfer::passwordRequested, this, &Upgrader::onPasswordRequested);
    if (installation::isAfterRestart(QCoreApplication::arguments(), m_settings.restartParameters))
        QTimer::singleShot(0, this, &Upgrader::afterRestart);
    // The upgrader could not install the package: the user may still do it by hand.
    const QString leftPackage =
        packageupgrade::packageLeftByRestart(QCoreApplication::arguments(), m_settings.restartParameters);
    if (!leftPackage.isEmpty())
        QTimer::singleShot(0, this, [this, leftPackage] {
            showError(upgradetext::PackageNotInstalled, {packageupgrade::commandByHand(leftPackage)});
        });
}

Upgrader::~Upgrader() {
    if (m_wizard) m_wizard->closeQuietly();
    delete m_waitWindow;
}

UpgradeWizard *Upgrader::wizard() const {
    return m_wizard;
}

QString Upgrader::programFolder() const {
    return QFileInfo(m_settings.programPath).absolutePath();
}

QString Upgrader::targetOf(const QString &url) const {
    if (!m_packageFolder.isEmpty()) {
        // apt takes a package by its ".deb" name; nothing else is written there.
        const QString name = downloadName(url);
        const bool plain = name.endsWith(QStringLiteral(".deb")) && !name.startsWith(u'.');
        return QDir(m_packageFolder).filePath(plain ? name : QStringLiteral("jsjxc.deb"));
    }
    return QDir(programFolder()).filePath(downloadName(url) + QStringLiteral(".uTMP"));
}

void Upgrader::check() {
    startCheck(false);
}

void Upgrader::checkUnattended() {
    startCheck(true);
}

void Upgrader::startCheck(bool unattended) {
    m_aborted = false;
    if (m_transfer.isBusy() || m_wizard) return;
    m_unattended = unattended;
    m_mode = Mode::InfoFile;
    if (!m_unattended) showWait();
    startTransfer(m_settings.infoFileUrl, QString(), true, MaxInfoBytes);
}

void Upgrader::startTransfer(const QString &address, const QString &outputFile, bool bypassCache,
                             qint64 maxBytes) {
    HttpRequest &request = m_transfer.request();
    request.address = address;
    request.outputFile = outputFile;
    request.hideOutputFile = !outputFile.isEmpty();
    request.bypassCache = bypassCache;
    request.maxBytes = maxBytes;
    m_body.clear();
    m_status = 0;
    m_failure.clear();
    if (!m_transfer.start()) {
        m_mode = Mode::Idle;
        closeWait();
    }
}

void Upgrader::showWait() {
    if (!m_waitWindow) {
        m_waitWindow = new UpgradeWaitWindow(m_window);
        connect(m_waitWindow, &UpgradeWaitWindow::cancelPressed, this, &Upgrader::stop);
    }
    m_waitWindow->show();
}

void Upgrader::closeWait() {
    if (!m_waitWindow) return;
    m_waitWindow->hide();
    m_waitWindow->deleteLater(); // it may be its own button that ended the check
    m_waitWindow = nullptr;
}

void Upgrader::onFinished(HttpOutcome outcome) {
    const Mode mode = m_mode;
    const QString address = m_transfer.request().address;
    switch (outcome) {
    case HttpOutcome::Done:
        if (mode == Mode::InfoFile) {
            m_infoFile = m_body;
            m_mode = Mode::Signature;
            startTransfer(m_settings.infoFileUrl + QStringLiteral(".sig"), QString(), true,
                          MaxSignatureBytes);
        } else if (mode == Mode::Signature) {
            readInfo();
        } else if (mode == Mode::Files) {
            fileComplete();
        }
        return;
    case HttpOutcome::HttpError:
        if (mode == Mode::InfoFile) {
            emit noInfoFile();
            stop();
            showError(upgradetext::NoInfoFileStatus, {QString::number(m_status)});
        } else if (mode == Mode::Signature) {
            stop();
            showError(upgradetext::BadSignature);
        } else {
            askAboutLostFile(m_status);
        }
        return;
    case HttpOutcome::NoResponse: {
        const QString host = QUrl(completeAddress(address)).host();
        emit hostUnreachable(address, host);
        stop();
        showError(upgradetext::ServerUnreachable,
                  {host, m_failure.isEmpty() ? upgradeText(upgradetext::NoReason) : m_failure});
        return;
    }
    case HttpOutcome::Incomplete:
        emit connectionLost();
        stop();
        showError(upgradetext::ConnectionLost);
        return;
    case HttpOutcome::TooLarge:
        if (mode == Mode::Files) {
            refuseFile(upgradetext::FileTooLarge);
        } else {
            stop();
            showError(upgradetext::InfoTooLarge);
        }
        return;
    case HttpOutcome::Cancelled: // a file the handlers chose to skip
        if (mode == Mode::Files) {
            ++m_index;
            downloadNext();
        }
        return;
    case HttpOutcome::Failed:
    case HttpOutcome::Aborted:
        if (mode == Mode::Files) {
            const QString name = QFileInfo(m_target).fileName();
            giveUp();
            showError(upgradetext::WriteFailed, {name});
        } else {
            const QString reason = m_failure;
            stop();
            // Aborted: the user ended the check with the waiting window's button and knows.
            if (outcome == HttpOutcome::Failed) showError(upgradetext::CheckFailed, {reason});
        }
        return;
    }
}

void Upgrader::readInfo() {
    closeWait();
    if (!upgradeverify::signatureValid(m_infoFile, m_body, m_settings.publicKey)) {
        stop();
        showError(upgradetext::BadSignature);
        return;
    }
    const UpgradeInfo info = readUpgradeInfo(QString::fromUtf8(m_infoFile));
    if (!acceptSerial(info.serial)) return;
    const bool nothingListed = info.urls.isEmpty() && (!m_settings.fromPackage || info.packageUrl.isEmpty());
    if (!offersNewerVersion(info) || nothingListed) {
        m_mode = Mode::Idle;
        emit noUpdateAvailable();
        showError(upgradetext::NoUpdate);
        return;
    }
    offer(info);
}

bool Upgrader::acceptSerial(qint64 serial) {
    // Every information file the maker ever signed stays valid: only its serial number tells an old one,
    // served again to go back to an older version, from the current one.
    SettingsStore &store = SettingsStore::instance();
    const std::optional<qlonglong> highest = store.readWholeNumber(serialKey());
    if (serial < 0 || (highest && serial < *highest)) {
        m_mode = Mode::Idle;
        showError(upgradetext::OlderInfo);
        return false;
    }
    QString error;
    if ((!highest || serial > *highest) && !store.write(serialKey(), QString::number(serial), &error)) {
        m_mode = Mode::Idle;
        showError(upgradetext::SerialNotSaved, {error});
        return false;
    }
    return true;
}

bool Upgrader::offersNewerVersion(const UpgradeInfo &info) const {
    // An offer that cannot show it is newer is none: a date must read as one.
    const bool newer = m_settings.versionControl == VersionControl::ByDate
                           ? readsAsUpgradeDate(info.date) &&
                                 isNewerByDate(m_settings.versionDate, info.date, Clock::today())
                           : isNewerByNumber(m_settings.versionNumber, info.version);
    // Whichever key decides, a program older than this one is never installed (a newer data.mdb could
    // be refused by it).
    const bool older = !info.version.isEmpty() && !m_settings.versionNumber.isEmpty() &&
                       isNewerByNumber(info.version, m_settings.versionNumber);
    return newer && !older;
}

void Upgrader::offer(const UpgradeInfo &info) {
    m_unattended = false; // the question involves the user: from here every outcome is told
    // A program the package manager installed is upgraded by its package only: its files are not ours.
    const bool package = m_settings.fromPackage && info.method != UpgradeMethod::RedirectToUrl;
    if (package && info.packageUrl.isEmpty()) {
        m_mode = Mode::Idle;
        showError(upgradetext::NoPackage);
        return;
    }
    m_urls = package ? QStringList{info.packageUrl} : info.urls;
    m_hashes = package ? QStringList{info.packageHash} : info.hashes;
    m_sizes = package ? QList<qint64>{info.packageSize} : info.sizes;
    m_method = info.method;
    bool canUpgrade = true;
    emit beginUpgrade(info.message, info.method, m_urls, canUpgrade);
    if (canUpgrade) {
        UpgradeQuestionWindow question(QApplication::applicationDisplayName(), info.message, m_window);
        canUpgrade = question.exec() == QDialog::Accepted;
    }
    if (!canUpgrade) {
        m_mode = Mode::Idle;
        emit laterUpgrade();
        return;
    }
    if (m_method == UpgradeMethod::RedirectToUrl) {
        m_mode = Mode::Idle;
        Shell::instance().openUrl(completeAddress(m_urls.first()));
        return;
    }
    m_packageFolder.clear();
    if (package) {
        m_packageFolder = packageupgrade::makePackageFolder(m_settings.temporaryFolder);
        if (m_packageFolder.isEmpty()) {
            m_mode = Mode::Idle;
            showError(upgradetext::WriteFailed, {downloadName(info.packageUrl)});
            return;
        }
    }
    m_mode = Mode::Files;
    m_index = 0;
    m_downloaded.clear();
    if (m_settings.wizardEnabled) {
        m_wizard =
            new UpgradeWizard(QApplication::applicationDisplayName(), m_settings.wizardStaysOnTop, m_window);
        m_wizard->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_wizard, &UpgradeWizard::cancelConfirmed, this, &Upgrader::giveUp);
        connect(m_wizard, &UpgradeWizard::finishPressed, this, &Upgrader::install);
        m_wizard->show();
    }
    downloadNext();
}

void Upgrader::showError(int text, const QStringList &values) {
    if (m_unattended) return;
    Dialogs::instance().message(m_window, Dialogs::Kind::Error, upgradeText(text, values),
                                upgradeText(upgradetext::Caption));
}

void Upgrader::onPasswordRequested(const QString &, bool &tryAgain) {
    UpgradePasswordWindow window(downloadName(m_transfer.request().address), m_transfer.username(), m_window);
    if (window.exec() == QDialog::Accepted) {
        m_transfer.setCredentials(window.userName(), window.password());
        tryAgain = true;
        return;
    }
    tryAgain = false;
    giveUp();
}
