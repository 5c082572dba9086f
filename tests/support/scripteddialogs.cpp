#include "tests/support/scripteddialogs.h"

ScriptedDialogs::ScriptedDialogs() {
    Dialogs::install(this);
}
ScriptedDialogs::~ScriptedDialogs() {
    Dialogs::install(nullptr);
}

QStringList ScriptedDialogs::texts() const {
    QStringList list;
    for (const auto &shown : m_shown)
        list << shown.text;
    return list;
}

QString ScriptedDialogs::lastText() const {
    return m_shown.empty() ? QString() : m_shown.back().text;
}

void ScriptedDialogs::message(QWidget *, Kind kind, const QString &text, const QString &title) {
    m_shown.push_back({Shown::What::Message, kind, text, title});
}

bool ScriptedDialogs::ask(QWidget *, const QString &text, const QString &title, Buttons, QuestionIcon icon) {
    m_shown.push_back({Shown::What::Question,
                       icon == QuestionIcon::Warning ? Kind::Warning : Kind::Information, text, title});
    if (m_answers.empty()) return false;
    const bool yes = m_answers.front();
    m_answers.pop_front();
    return yes;
}

int ScriptedDialogs::choose(QWidget *, const QString &text, const QString &title, const QStringList &choices,
                            int escapeChoice) {
    m_shown.push_back({Shown::What::Choice, Kind::Warning, text, title, choices});
    if (m_choices.empty()) return escapeChoice;
    const int index = m_choices.front();
    m_choices.pop_front();
    return index;
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &title, const QString &, const QString &) {
    m_shown.push_back({Shown::What::OpenFile, Kind::Information, QString(), title});
    if (m_fileNames.empty()) return {};
    QString path = m_fileNames.front();
    m_fileNames.pop_front();
    return path;
}

QString ScriptedDialogs::saveFileName(QWidget *parent, const QString &title, const QString &startPath,
                                      const QString &filter) {
    QString path = openFileName(parent, title, startPath, filter);
    m_shown.back().what = Shown::What::SaveFile;
    return path;
}
