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
    const QCommandLineOption move(QStringLiteral("move-to-server"), QStringLiteral("把数据库文件搬到服务器上的空数据库"),
                                  QStringLiteral("URI"));
    parser.addOption(database);
    parser.addOption(newShop);
    parser.addOption(move);
    StartupOptions options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    const QString chosen = parser.value(database);
    options.databasePath = DatabaseLocation::resolve(chosen, environmentValue);
    options.mayCreateDatabase = parser.isSet(newShop) || (chosen.isEmpty() && environmentValue.isEmpty());
    options.moveToServer = parser.isSet(move);
    options.serverUri = parser.value(move);
    return options;
}

} // namespace quollin
