#pragma once

#include "core/Prompter.h"

namespace quollin {

// Message boxes and file dialogs on screen. Each box carries its text as its
// accessible name, so screen readers and UI automation can read it; boxes
// belong to the window they are shown over and never end the program.
class MessageBoxPrompter : public Prompter {
public:
    void warning(const QString &text) override;
    void information(const QString &text) override;
    bool confirm(const QString &text) override;
    bool askYesNo(const QString &text) override;
    void titledWarning(const QString &title, const QString &text) override;
    bool titledQuestion(const QString &title, const QString &text) override;
    QString askText(const QString &title, const QString &label) override;
    QString openFileName(const QString &caption, const QString &startPath, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &startPath, const QString &filter,
                         Overwrite overwrite) override;
};

} // namespace quollin
