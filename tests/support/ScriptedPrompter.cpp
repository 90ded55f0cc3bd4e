#include "support/ScriptedPrompter.h"

namespace quollin::test {

void ScriptedPrompter::warning(const QString &text) { shown.append({Kind::Warning, text}); }

void ScriptedPrompter::information(const QString &text) { shown.append({Kind::Information, text}); }

bool ScriptedPrompter::confirm(const QString &text)
{
    shown.append({Kind::Confirm, text});
    return answers.isEmpty() ? false : answers.dequeue();
}

bool ScriptedPrompter::askYesNo(const QString &text)
{
    shown.append({Kind::YesNo, text});
    return answers.isEmpty() ? false : answers.dequeue();
}

void ScriptedPrompter::titledWarning(const QString &title, const QString &text)
{
    shown.append({Kind::Warning, text, title});
}

bool ScriptedPrompter::titledQuestion(const QString &title, const QString &text)
{
    shown.append({Kind::YesNo, text, title});
    return answers.isEmpty() ? false : answers.dequeue();
}

QString ScriptedPrompter::openFileName(const QString &caption, const QString &, const QString &)
{
    shown.append({Kind::OpenFile, caption});
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompter::saveFileName(const QString &caption, const QString &, const QString &, Overwrite)
{
    shown.append({Kind::SaveFile, caption});
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const auto &s : shown)
        out << s.text;
    return out;
}

} // namespace quollin::test
