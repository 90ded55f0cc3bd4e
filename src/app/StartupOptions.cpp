#include "app/StartupOptions.h"

#include "core/DatabaseLocation.h"

#include <QCommandLineParser>

namespace quollin {

StartupOptions StartupOptions::parse(const QStringList &arguments)
{
    return parse(arguments, qEnvironmentVariable(DatabaseLocation::kEnvironmentVariable));
}

StartupOptions StartupOptions::parse(const QStringList &arguments, const QString &environmentValue)
{
    QCommandLineParser parser;
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("数据库文件"), QStringLiteral("FILE"));
    const QCommandLineOption newShop(QStringLiteral("new"), QStringLiteral("数据库文件不存在时建立一个新的"));
    parser.addOption(database);
    parser.addOption(newShop);
    StartupOptions options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    const QString chosen = parser.value(database);
    options.databasePath = DatabaseLocation::resolve(chosen, environmentValue);
    options.mayCreateDatabase = parser.isSet(newShop) || (chosen.isEmpty() && environmentValue.isEmpty());
    return options;
}

} // namespace quollin
