#include "app/StartupOptions.h"

#include "core/DatabaseLocation.h"

#include <QCommandLineParser>

namespace quollin {

StartupOptions StartupOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("数据库文件"), QStringLiteral("FILE"));
    parser.addOption(database);
    StartupOptions options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    options.databasePath = DatabaseLocation::resolve(parser.value(database),
                                                     qEnvironmentVariable(DatabaseLocation::kEnvironmentVariable));
    return options;
}

} // namespace quollin
