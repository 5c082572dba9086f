#include "upgrade/upgradewizard.h"

#include "upgrade/upgradetexts.h"
#include "widgets/dialogs.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <typename T> T *named(T *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString formatted(int number, auto... values) {
    return QString::asprintf(upgradeText(number).toUtf8().constData(), values...);
}
} // namespace

UpgradeWizard::UpgradeWizard(const QString &applicationTitle, bool stayOnTop, QWidget *parent)
    : QDialog(parent), m_title(applicationTitle) {
    setObjectName(QStringLiteral("TUpgraderWizardForm"));
    setWindowTitle(upgradeText(upgradetext::Caption));
    setModal(false);
    if (stayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint);

    m_wizardTitle = named(new QLabel(upgradeText(upgradetext::TitleDownloading), this), "WizardTitle");
    QFont titleFont = m_wizardTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    m_wizardTitle->setFont(titleFont);
    auto *about = named(new QLabel(QStringLiteral(" Upgrader "), this), "AboutLabel");
    auto *aboutShadow = named(new QLabel(QStringLiteral(" Upgrader "), this), "AboutShadow");
    aboutShadow->hide(); // the shadow of the original picture; one label reads the same

    m_currentFile =
        named(new QGroupBox(u' ' + upgradeText(upgradetext::CurrentFile) + u' ', this), "LCurrentFile");
    auto *from =
        named(new QLabel(upgradeText(upgradetext::DownloadingFrom), m_currentFile), "LDownloadingFileFrom");
    m_fileUrl = named(new QLineEdit(m_currentFile), "FileURL");
    m_fileUrl->setReadOnly(true);
    m_fileSize = named(new QLabel(m_currentFile), "FileSizeLab");
    m_rate = named(new QLabel(m_currentFile), "TransferRateLab");
    m_timeLeft =
        named(new QLabel(upgradeText(upgradetext::Preparing), m_currentFile), "EstimatedTimeLeftLab");
    m_fileProgress = named(new QProgressBar(m_currentFile), "ProgressCurrentFile");
    auto *fileLayout = new QVBoxLayout(m_currentFile);
    for (QWidget *widget :
         std::initializer_list<QWidget *>{from, m_fileUrl, m_fileSize, m_rate, m_timeLeft, m_fileProgress})
        fileLayout->addWidget(widget);

    m_allFiles = named(new QGroupBox(u' ' + upgradeText(upgradetext::AllFiles) + u' ', this), "LAllFiles");
    m_allDownloading = named(new QLabel(m_allFiles), "AllDownloading");
    m_allProgress = named(new QProgressBar(m_allFiles), "ProgressAllFiles");
    auto *allLayout = new QVBoxLayout(m_allFiles);
    allLayout->addWidget(m_allDownloading);
    allLayout->addWidget(m_allProgress);

    m_afterNote = named(new QLabel(this), "AfterNote");
    m_afterNote->setWordWrap(true);
    m_afterNote->hide();

    m_finish = named(new QPushButton(upgradeText(upgradetext::Next), this), "FinishBtn");
    m_finish->setEnabled(false);
    m_cancel = named(new QPushButton(upgradeText(upgradetext::Cancel), this), "CancelBtn");
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (confirmCancel()) emit cancelConfirmed();
    });
    connect(m_finish, &QPushButton::clicked, this, [this] {
        m_finished = true;
        close();
        emit finishPressed();
    });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_finish);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(m_wizardTitle, 1);
    head->addWidget(about);
    layout->addLayout(head);
    layout->addWidget(m_currentFile);
    layout->addWidget(m_allFiles);
    layout->addWidget(m_afterNote);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(480, 360);
}

void UpgradeWizard::showFile(const QString &address, int number, int count) {
    m_fileUrl->setText(address);
    m_allDownloading->setText(formatted(upgradetext::FileOf, number, count));
}

void UpgradeWizard::showFileSize(qint64 bytes) {
    m_fileSize->setText(formatted(upgradetext::FileSize, static_cast<double>(bytes) / 1024.0));
}

void UpgradeWizard::showProgress(int filePercent, int allPercent, float rate, qint64 secondsLeft) {
    m_fileProgress->setValue(filePercent);
    m_allProgress->setValue(allPercent);
    m_rate->setText(formatted(upgradetext::TransferRate, static_cast<double>(rate)));
    const int seconds = static_cast<int>(std::max<qint64>(secondsLeft, 0));
    m_timeLeft->setText(formatted(upgradetext::TimeLeft, seconds / 3600, (seconds / 60) % 60, seconds % 60));
}

void UpgradeWizard::showCompleted() {
    m_completed = true;
    m_wizardTitle->setText(upgradeText(upgradetext::TitleCompleted));
    m_afterNote->setText(upgradeText(upgradetext::CompletedNote, {m_title}));
    m_afterNote->show();
    m_currentFile->hide();
    m_allFiles->hide();
    m_cancel->setEnabled(false);
    m_finish->setText(upgradeText(upgradetext::Ok));
    m_finish->setEnabled(true);
    m_finish->setDefault(true);
    m_finish->setFocus();
}

void UpgradeWizard::closeQuietly() {
    m_quiet = true;
    close();
}

bool UpgradeWizard::confirmCancel() {
    return Dialogs::instance().ask(this, upgradeText(upgradetext::CancelQuestion), m_title);
}

void UpgradeWizard::closeEvent(QCloseEvent *event) {
    if (m_quiet || m_finished) {
        event->accept();
        return;
    }
    event->ignore();
    if (confirmCancel()) emit cancelConfirmed();
}

void UpgradeWizard::reject() {
    // Escape works as the cancel button while it can be pressed.
    if (m_cancel->isEnabled()) m_cancel->click();
}
