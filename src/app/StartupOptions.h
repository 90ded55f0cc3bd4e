#pragma once

#include <QString>
#include <QStringList>

namespace quollin {

// What the command line and the environment say about this run.
struct StartupOptions {
    QString databasePath;
    // Whether a missing database file may be created: always at the default
    // location, elsewhere only with --new, so that a mistyped path or an
    // unmounted data folder is refused rather than opened as an empty shop.
    bool mayCreateDatabase = false;
    // --move-to-server: copy the file onto this server database and end,
    // without a window.
    bool moveToServer = false;
    QString serverUri;
    QString error; // a command line that could not be read

    // Reads the environment variable QUOLLIN_DATABASE itself.
    static StartupOptions parse(const QStringList &arguments);
    static StartupOptions parse(const QStringList &arguments, const QString &environmentValue);
};

} // namespace quollin
