#pragma once

#include <QString>
#include <QStringList>

namespace quollin {

// What the command line and the environment say about this run.
struct StartupOptions {
    QString databasePath;
    QString error; // a command line that could not be read

    static StartupOptions parse(const QStringList &arguments);
};

} // namespace quollin
