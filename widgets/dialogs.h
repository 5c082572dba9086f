#pragma once
// Every message, question and file dialog of the program goes through here, so that tests can answer
// them from a script and read what was said.
#include <QString>
#include <QStringList>

class QWidget;

class Dialogs {
  public:
    enum class Kind {
        Warning,     // an input check: warning icon, one OK button
        Information, // a plain message box
        Error,       // an engine or file error
    };
    enum class Buttons { YesNo, OkCancel };
    // A question about something that cannot be undone (a change or a deletion) shows the warning icon.
    enum class QuestionIcon { Question, Warning };

    virtual ~Dialogs() = default;

    // Shows a message with one OK button. An empty title gives the application's title.
    virtual void message(QWidget *parent, Kind kind, const QString &text, const QString &title = {}) = 0;
    // Asks; the negative answer is preselected. True for Yes / OK.
    virtual bool ask(QWidget *parent, const QString &text, const QString &title = {},
                     Buttons buttons = Buttons::YesNo, QuestionIcon icon = QuestionIcon::Question) = 0;
    // A choice between buttons (three or more, say "重试", "更改连接…", "退出") under a warning: the index
    // of the one pressed, the first preselected; closing the box counts as `escapeChoice`. One that
    // shows nothing answers `escapeChoice`.
    virtual int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
                       int escapeChoice);
    // A file to open or to save; empty when the user cancels.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &startPath,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                                 const QString &filter) = 0;
    // A file to save with `defaultSuffix` added to a name that has none, and without the dialog's own
    // question about an existing file: the caller asks its own. Empty when the user cancels.
    virtual QString saveFileNameWithSuffix(QWidget *parent, const QString &title, const QString &startPath,
                                           const QString &filter, const QString &defaultSuffix);

    void warning(QWidget *parent, const QString &text) { message(parent, Kind::Warning, text); }
    void information(QWidget *parent, const QString &text) { message(parent, Kind::Information, text); }
    void error(QWidget *parent, const QString &text) { message(parent, Kind::Error, text); }

    // The program's dialogs (Qt's, unless a test installed its own).
    static Dialogs &instance();
    // Installs another implementation (not owned); nullptr returns to Qt's.
    static void install(Dialogs *dialogs);
};

class QMessageBox;
// Makes a message box wide enough for its whole title in the title bar.
void widenForTitle(QMessageBox &box);

// Qt's message boxes and file dialogs.
class QtDialogs : public Dialogs {
  public:
    void message(QWidget *parent, Kind kind, const QString &text, const QString &title) override;
    bool ask(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
             QuestionIcon icon) override;
    int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
               int escapeChoice) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &startPath,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                         const QString &filter) override;
    QString saveFileNameWithSuffix(QWidget *parent, const QString &title, const QString &startPath,
                                   const QString &filter, const QString &defaultSuffix) override;
};
