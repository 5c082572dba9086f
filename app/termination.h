#pragma once
// Turns the system's requests to end the program (SIGTERM, SIGINT, SIGHUP: a logout, a shutdown,
// Ctrl+C) into an orderly close of the windows, so that the close steps still record the exit.
#include <QObject>

class QSocketNotifier;
class QWidget;

class TerminationRequests : public QObject {
    Q_OBJECT
  public:
    // Only one may exist at a time; it takes over the three signals until it is destroyed.
    explicit TerminationRequests(QObject *parent = nullptr);
    ~TerminationRequests() override;

  signals:
    void requested();

  private:
    void readRequest();

    QSocketNotifier *m_notifier = nullptr;
};

// Closes an open modal window first (its own close steps decide about the rest), then the main window.
void closeForTermination(QWidget *mainWindow);
