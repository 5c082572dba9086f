#pragma once
// The dialogs of a benchmark run: any message or question is a failure of the run, not something to
// wait for.
#include "widgets/dialogs.h"

#include <QtGlobal>

class FailingDialogs : public Dialogs {
  public:
    void message(QWidget *, Kind, const QString &text, const QString &) override {
        qFatal("unexpected message: %s", qPrintable(text));
    }
    bool ask(QWidget *, const QString &text, const QString &, Buttons, QuestionIcon) override {
        qFatal("unexpected question: %s", qPrintable(text));
        return false;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};
