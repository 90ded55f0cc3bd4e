#pragma once

#include <QString>

namespace quollin {

// The program's shortcut on the user's desktop: a freedesktop desktop entry,
// written again at every sign-in so that a deleted or outdated one comes back.

// "Quollin进销存.desktop"
QString desktopEntryFileName();

// The user's desktop folder, or empty when there is none on this machine.
QString desktopFolder();

// Writes the entry into the folder, replacing any file of that name, and makes
// it executable for the owner (file managers refuse to launch it otherwise).
// The write is atomic: a failure leaves an earlier entry as it was. A folder
// that is missing or cannot be written gives false and nothing else; the
// shortcut is a convenience, never a reason to bother the operator.
// iconPath is a file path or an icon theme name; empty leaves the icon out.
bool writeDesktopEntry(const QString &desktopFolder, const QString &programPath, const QString &iconPath);

// The entry for the running program in the user's desktop folder, with the
// installed icon when there is one next to the program.
bool refreshDesktopEntry();

} // namespace quollin
