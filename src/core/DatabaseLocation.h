#pragma once

#include <QString>

namespace quollin::DatabaseLocation {

inline constexpr const char *kEnvironmentVariable = "QUOLLIN_DATABASE";
inline constexpr const char *kFileName = "data.db";

// Which file to open: the command line's --database wins, then the
// environment variable, then data.db in the per-user application data folder.
QString resolve(const QString &commandLineValue, const QString &environmentValue);

// The per-user default, for the README and the about box.
QString defaultPath();

// The location as messages show it: a path in the system's form, or a
// server's URI without its password.
QString shown(const QString &location);

} // namespace quollin::DatabaseLocation
