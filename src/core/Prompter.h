#pragma once

#include <QString>

namespace quollin {

// Every message box and file dialog of the program goes through this interface,
// so that tests can answer them and read their texts. Texts are shown as plain
// text: nothing in them is taken for markup. The window-side
// implementation lives in the widgets library (MessageBoxPrompter).
class Prompter {
public:
    virtual ~Prompter() = default;

    // A warning box with the caption "Warning", a warning icon and one OK button
    // (the required-field checks use it).
    virtual void warning(const QString &text) = 0;

    // A plain message box with one OK button: results and refusals.
    virtual void information(const QString &text) = 0;

    // A confirmation titled "警告！" with OK and Cancel, Cancel being the default.
    // True when the operator chose OK.
    virtual bool confirm(const QString &text) = 0;

    // A question with the answers yes and no. True for yes.
    virtual bool askYesNo(const QString &text) = 0;

    // The same warning and question under a title of the caller's own (the
    // import's boxes are "警告", the export's question "提示").
    virtual void titledWarning(const QString &title, const QString &text)
    {
        Q_UNUSED(title);
        warning(text);
    }
    virtual bool titledQuestion(const QString &title, const QString &text)
    {
        Q_UNUSED(title);
        return askYesNo(text);
    }

    // One line typed by the operator (a server's address); empty when the
    // operator cancelled. Nothing typed here is kept.
    virtual QString askText(const QString &title, const QString &label)
    {
        Q_UNUSED(title);
        Q_UNUSED(label);
        return {};
    }

    // Who asks before an existing file is replaced: the save dialog, or the
    // caller with a question of its own, the dialog then not asking first.
    enum class Overwrite { DialogAsks, CallerAsks };

    // File dialogs; an empty result means the operator cancelled.
    virtual QString openFileName(const QString &caption, const QString &startPath,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &startPath,
                                 const QString &filter, Overwrite overwrite) = 0;
};

} // namespace quollin
