#include "core/DatabaseLocation.h"

#include <QDir>
#include <QStandardPaths>

#include "core/Database.h"

#include <QUrl>

namespace quollin::DatabaseLocation {

QString defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder).filePath(QLatin1String(kFileName));
}

namespace {

QString located(const QString &value)
{
    // A server's connection URI is passed to libpq as it was given.
    if (Database::isServerLocation(value))
        return value;
    return QDir::cleanPath(QDir::current().absoluteFilePath(value));
}

} // namespace

QString resolve(const QString &commandLineValue, const QString &environmentValue)
{
    if (!commandLineValue.isEmpty())
        return located(commandLineValue);
    if (!environmentValue.isEmpty())
        return located(environmentValue);
    return defaultPath();
}

QString shown(const QString &location)
{
    if (!Database::isServerLocation(location))
        return QDir::toNativeSeparators(location);
    // A password written into the URI is never shown.
    QUrl url(location);
    if (!url.password().isEmpty())
        url.setPassword(QStringLiteral("***"));
    return url.toString();
}

} // namespace quollin::DatabaseLocation
