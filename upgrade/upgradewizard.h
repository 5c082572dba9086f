#pragma once
// "TUpgraderWizardForm": the progress of the downloads, file by file and in all, and then the completed
// view whose OK button starts the installation. It does not block the program while it shows.
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

class UpgradeWizard : public QDialog {
    Q_OBJECT
  public:
    UpgradeWizard(const QString &applicationTitle, bool stayOnTop, QWidget *parent = nullptr);

    void showFile(const QString &address, int number, int count);
    void showFileSize(qint64 bytes);
    void showProgress(int filePercent, int allPercent, float rate, qint64 secondsLeft);
    void showCompleted();
    bool isCompleted() const { return m_completed; }
    // Closes without asking (the upgrade ended for another reason).
    void closeQuietly();

  signals:
    void finishPressed();
    // The user confirmed giving up the upgrade (or, when completed, the installation).
    void cancelConfirmed();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

  private:
    bool confirmCancel();

    QString m_title;
    QLabel *m_wizardTitle;
    QGroupBox *m_currentFile;
    QGroupBox *m_allFiles;
    QLineEdit *m_fileUrl;
    QLabel *m_allDownloading;
    QLabel *m_fileSize;
    QLabel *m_rate;
    QLabel *m_timeLeft;
    QLabel *m_afterNote;
    QProgressBar *m_fileProgress;
    QProgressBar *m_allProgress;
    QPushButton *m_finish;
    QPushButton *m_cancel;
    bool m_completed = false;
    bool m_quiet = false;
    bool m_finished = false;
};
