#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace quollin {

// The per-user store of named strings that keeps preferences and counters
// between runs: organisation "brennick", application "jxc" (on Windows the
// registry key HKEY_CURRENT_USER\Software\brennick\jxc itself). Each call opens
// the store afresh, so two copies of the program see each other's writes; the
// last write wins.
class SettingsStore {
public:
    // The user's own store.
    SettingsStore();
    // A store kept in the given ini file; tests use a temporary one.
    explicit SettingsStore(const QString &iniFile);

    // Does the store exist at all? Reading never creates it.
    bool exists() const;
    // A missing value reads as the empty string.
    QString read(const QString &name) const;
    // Several values at one opening; missing ones read as empty.
    QHash<QString, QString> read(const QStringList &names) const;
    // Creates the store when it is missing and replaces any earlier value.
    // False when the store could not be written (a read-only file).
    bool write(const QString &name, const QString &value);

    // Where the store lives, for messages and the about box.
    QString location() const;

private:
    QString m_iniFile; // empty: the user's native store
};

} // namespace quollin
