// The downloads of an upgrade, their checks, giving up, and the hand-over to the upgrader program.
#include "upgrade/installation.h"
#include "upgrade/upgrader.h"
#include "upgrade/upgradetexts.h"
#include "upgrade/upgradeverify.h"
#include "upgrade/upgradewizard.h"
#include "widgets/dialogs.h"
#include "widgets/shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>
#include <QUrl>
#include <QWidget>
#include <cmath>

void Upgrader::downloadNext() {
    if (m_aborted || m_mode != Mode::Files) return;
    if (m_index >= m_urls.size()) {
        downloadsComplete();
        return;
    }
    const QString url = m_urls[m_index];
    if (m_wizard) m_wizard->showFile(url, m_index + 1, int(m_urls.size()));
    m_target = targetOf(url);
    m_lastModified = QDateTime();
    // Nothing is written beside the program that the signed information file does not describe: its
    // hash, and its size as the limit of the download.
    const qint64 size = m_sizes.value(m_index, -1);
    if (size < 0 || m_hashes.value(m_index).isEmpty()) {
        refuseFile(upgradetext::BadHash);
        return;
    }
    startTransfer(url, m_target, false, size);
}

void Upgrader::refuseFile(int text) {
    const QString name = downloadName(m_urls.value(m_index));
    giveUp();
    showError(text, {name});
}

void Upgrader::onHeaders(const HttpResponse &response, bool &proceed) {
    if (m_mode != Mode::Files) return;
    m_lastModified = response.lastModified;
    if (m_wizard) m_wizard->showFileSize(response.contentLength);
    const QString final = m_target.chopped(5);
    const bool isProgram =
        QFileInfo(final).fileName().toUpper() == QFileInfo(m_settings.programPath).fileName().toUpper();
    if (m_settings.miscFiles == MiscFiles::OnlyIfSizeDifferent && m_urls.size() > 1 &&
        response.contentLength > 0 && !isProgram && QFileInfo::exists(final) &&
        QFileInfo(final).size() == response.contentLength)
        proceed = false;
    bool canUpgrade = proceed;
    emit fileStarted(m_urls[m_index], response.contentLength, response.lastModified, canUpgrade);
    proceed = canUpgrade;
}

void Upgrader::onProgress(const HttpResponse &, const HttpProgress &figures) {
    if (m_mode != Mode::Files || !m_wizard) return;
    const int count = int(m_urls.size());
    const int overall = int(std::lround(m_index * 100.0 / count)) + figures.percentDone / count;
    m_wizard->showProgress(figures.percentDone, overall, figures.transferRate, figures.secondsLeft);
}

void Upgrader::fileComplete() {
    // A file is kept only when it is exactly what the signed information file describes.
    if (upgradeverify::fileSha256(m_target) != m_hashes.value(m_index)) {
        refuseFile(upgradetext::BadHash); // giving up deletes it
        return;
    }
    if (m_lastModified.isValid()) {
        QFile file(m_target);
        if (file.open(QIODevice::ReadWrite)) {
            file.setFileTime(m_lastModified, QFileDevice::FileModificationTime);
            file.setFileTime(m_lastModified, QFileDevice::FileAccessTime);
        }
    }
    m_downloaded.removeAll(m_target); // the same name twice: the later download replaced the earlier
    m_downloaded << m_target;
    emit fileDone(m_target);
    ++m_index;
    downloadNext();
}

void Upgrader::askAboutLostFile(int status) {
    bool continueUpgrade = false;
    const QString url = m_urls.value(m_index);
    emit lostFile(url, status, continueUpgrade);
    // A plain-http server asking for the password was not sent it (the transfer sends it over https
    // only): say so, rather than that the file is missing.
    const bool passwordNotSent =
        status == 401 &&
        QUrl(completeAddress(url)).scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) != 0;
    if (!continueUpgrade)
        continueUpgrade = Dialogs::instance().ask(
            m_window,
            upgradeText(passwordNotSent ? upgradetext::PasswordNotSent : upgradetext::LostFile,
                        {downloadName(url)}),
            upgradeText(upgradetext::ErrorCaption) + QStringLiteral(" #") + QString::number(status),
            Dialogs::Buttons::YesNo, Dialogs::QuestionIcon::Warning);
    if (!continueUpgrade) {
        giveUp();
        return;
    }
    ++m_index;
    downloadNext();
}

void Upgrader::downloadsComplete() {
    if (!m_wizard) {
        install();
        return;
    }
    m_wizard->showCompleted(); // its OK button installs, its close box may still give up
}

void Upgrader::install() {
    if (m_aborted || m_mode != Mode::Files) return;
    emit endUpgrade();
    if (!m_packageFolder.isEmpty()) {
        installPackage();
        return;
    }
    handOverToUpgrader(installation::upgraderArguments(m_settings.programPath, m_settings.restartParameters,
                                                       m_method, m_downloaded));
}

bool Upgrader::handOverToUpgrader(const QStringList &arguments) {
    const QString path =
        installation::writeUpgrader(installation::upgraderBase(m_settings.temporaryFolder, programFolder()),
                                    installation::upgraderImage());
    const bool started = !path.isEmpty() && Shell::instance().startProgram(path, arguments);
    if (!started) {
        // Closing now would end the program for nothing: no one would put the files in place.
        if (!path.isEmpty()) { // its own folder, nobody else's to change
            QFile::remove(path);
            QDir().rmdir(QFileInfo(path).absolutePath());
        }
        stop();
        showError(upgradetext::WriteFailed, {installation::upgraderFileName()});
        return false;
    }
    // From here on what was downloaded is the upgrader's.
    m_mode = Mode::Idle;
    m_packageFolder.clear();
    if (isSignalConnected(QMetaMethod::fromSignal(&Upgrader::programShouldClose)))
        emit programShouldClose();
    else if (m_window)
        m_window->window()->close();
    return true;
}

void Upgrader::giveUp() {
    m_aborted = true;
    stop();
    emit aborted();
}

void Upgrader::stop() {
    const bool files = m_mode == Mode::Files;
    m_mode = Mode::Idle;
    m_transfer.abort();
    closeWait();
    if (files) {
        // Nothing of an upgrade that ended early stays behind to be installed by a later one.
        QFile::remove(m_target);
        for (const QString &file : std::as_const(m_downloaded))
            QFile::remove(file);
        m_downloaded.clear();
        if (!m_packageFolder.isEmpty()) QDir().rmdir(m_packageFolder);
    }
    m_packageFolder.clear();
    if (m_wizard) m_wizard->closeQuietly();
}
