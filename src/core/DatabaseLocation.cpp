#include "core/DatabaseLocation.h"

#include <QDir>
#include <QStandardPaths>

namespace quollin::DatabaseLocation {

QString defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder).filePath(QLatin1String(kFileName));
}

QString resolve(const QString &commandLineValue, const QString &environmentValue)
{
    if (!commandLineValue.isEmpty())
        return QDir::cleanPath(QDir::current().absoluteFilePath(commandLineValue));
    if (!environmentValue.isEmpty())
        return QDir::cleanPath(QDir::current().absoluteFilePath(environmentValue));
    return defaultPath();
}

} // namespace quollin::DatabaseLocation
