#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace quollin::test {

// Answers message boxes and file dialogs from a script and records every text
// shown, so tests can assert on what the operator would have read.
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Warning, Information, Confirm, YesNo, OpenFile, SaveFile };
    struct Shown {
        Kind kind;
        QString text;
        QString title; // when the caller gave one
    };

    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    bool askYesNo(const QString &text) override;
    void titledWarning(const QString &title, const QString &text) override;
    bool titledQuestion(const QString &title, const QString &text) override;
    QString openFileName(const QString &caption, const QString &startPath,
                         const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &startPath,
                         const QString &filter, Overwrite overwrite) override;

    // Answers for the next confirm/askYesNo calls, in order. With none queued
    // a question is answered with its safe default (Cancel / no).
    void queueAnswer(bool answer) { answers.enqueue(answer); }
    void queueFileName(const QString &path) { fileNames.enqueue(path); }

    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); }

    QList<Shown> shown;

private:
    QQueue<bool> answers;
    QQueue<QString> fileNames;
};

} // namespace quollin::test
