#pragma once
// Answers the program's dialogs from a script and remembers everything that was shown.
#include "widgets/dialogs.h"

#include <QStringList>
#include <deque>

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        enum class What { Message, Question, OpenFile, SaveFile, Choice } what;
        Kind kind = Kind::Information;
        QString text;
        QString title;
        QStringList choices; // the buttons of a choice
    };

    ScriptedDialogs();           // installs itself
    ~ScriptedDialogs() override; // and returns to Qt's dialogs

    // Answers for the next questions and file dialogs, in order. A question with no scripted answer
    // is answered No, a file dialog with none is cancelled.
    void answer(bool yes) { m_answers.push_back(yes); }
    void fileName(const QString &path) { m_fileNames.push_back(path); }
    // The button pressed in the next choice; one with none scripted is closed (its escape choice).
    void choice(int index) { m_choices.push_back(index); }

    const std::vector<Shown> &shown() const { return m_shown; }
    QStringList texts() const; // every text shown, in order
    QString lastText() const;
    void clear() { m_shown.clear(); }

    void message(QWidget *parent, Kind kind, const QString &text, const QString &title) override;
    // A question with the warning icon is recorded with the kind Warning, any other as Information.
    bool ask(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
             QuestionIcon icon) override;
    // Recorded with the kind Warning.
    int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices,
               int escapeChoice) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &startPath,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                         const QString &filter) override;

  private:
    std::vector<Shown> m_shown;
    std::deque<bool> m_answers;
    std::deque<QString> m_fileNames;
    std::deque<int> m_choices;
};
