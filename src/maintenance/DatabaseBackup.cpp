#include "maintenance/DatabaseBackup.h"

#include "core/EngineMessage.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quollin {

namespace {

// Copies the engine's files of `path` as they lie (the damaged file too: the
// dated copy keeps whatever there was).
bool copyAsItLies(const QString &path, const QString &to)
{
    if (!QFile::copy(path, to))
        return false;
    for (const char *suffix : {"-wal", "-journal"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion) && !QFile::copy(companion, to + QLatin1String(suffix)))
            return false;
    }
    return true;
}

} // namespace

QString DatabaseBackup::defaultTarget()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("beifen.db"));
}

BackupFile::Result DatabaseBackup::backup(const QString &target, const BackupFile::Progress &progress)
{
    return BackupFile::copy(m_shop.databasePath(), target, progress);
}

DatabaseBackup::Restore DatabaseBackup::restore(const QString &backupFile, const BackupFile::Progress &progress)
{
    m_shop.demand(OperatorRestrictions::Command::RestoreDatabase);
    Restore result;
    if (backupFile.trimmed().isEmpty() || !QFileInfo(backupFile).isFile()) {
        result.outcome = RestoreOutcome::NotFound;
        return result;
    }
    const BackupFile::Result checked = BackupFile::verify(backupFile);
    if (!checked.ok) {
        result.reason = checked.reason;
        return result;
    }

    const QString path = m_shop.databasePath();
    const bool wasOpen = m_shop.isOpen();
    m_shop.closeDatabase();

    const QFileInfo info(path);
    if (info.exists()) {
        // Two restores within one second each keep their own copy.
        const QString stamp = QStringLiteral("%1-恢复前-%2").arg(
            info.completeBaseName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
        const QString suffix = info.suffix().isEmpty() ? QStringLiteral("db") : info.suffix();
        QString kept = info.dir().filePath(stamp + QLatin1Char('.') + suffix);
        for (int n = 2; QFileInfo::exists(kept); ++n)
            kept = info.dir().filePath(QStringLiteral("%1-%2.%3").arg(stamp).arg(n).arg(suffix));
        if (!copyAsItLies(path, kept)) {
            BackupFile::removeWithCompanions(kept);
            result.reason = QStringLiteral("无法保留当前的数据库：%1").arg(kept);
        } else {
            result.keptCopy = kept;
        }
    }
    if (result.reason.isEmpty()) {
        const BackupFile::Result copied = BackupFile::copy(backupFile, path, progress);
        if (copied.ok)
            result.outcome = RestoreOutcome::Restored;
        else
            result.reason = copied.reason;
    }
    if (wasOpen) {
        try {
            m_shop.reopenDatabase(ShopDatabase::open(path));
        } catch (const DbError &e) {
            result.outcome = RestoreOutcome::Refused;
            result.reason = engineMessage(e);
        }
    }
    return result;
}

QString DatabaseBackup::dailyFolder() const { return dailyFolderOf(m_shop.databasePath()); }

QString DatabaseBackup::dailyFolderOf(const QString &databasePath)
{
    return QFileInfo(databasePath).dir().filePath(QStringLiteral("自动备份"));
}

QString DatabaseBackup::todaysDailyBackup(const QString &databasePath, const QDate &today)
{
    return QDir(dailyFolderOf(databasePath))
        .filePath(QStringLiteral("%1-%2.db").arg(QFileInfo(databasePath).completeBaseName(),
                                                 today.toString(QStringLiteral("yyyy-MM-dd"))));
}

QString DatabaseBackup::ensureDailyBackup(const QDate &today, int keep)
{
    return makeDailyBackup(m_shop.databasePath(), today, keep);
}

QString DatabaseBackup::makeDailyBackup(const QString &databasePath, const QDate &today, int keep,
                                        const std::atomic_bool *stop)
{
    const QFileInfo info(databasePath);
    const QString base = info.completeBaseName();
    QDir folder(dailyFolderOf(databasePath));
    const QString todays = todaysDailyBackup(databasePath, today);
    if (QFileInfo::exists(todays))
        return QString();
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return QStringLiteral("无法建立文件夹：%1").arg(folder.path());
    const BackupFile::Result copied = BackupFile::copy(info.absoluteFilePath(), todays, [stop](int, int) {
        return !stop || !stop->load();
    });
    if (!copied.ok)
        return copied.reason;

    // Dated names sort by day: the oldest come first.
    const QRegularExpression dated(QStringLiteral("^%1-\\d{4}-\\d{2}-\\d{2}\\.db$").arg(QRegularExpression::escape(base)));
    QStringList days;
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
        if (dated.match(name).hasMatch())
            days << name;
    }
    while (days.size() > keep)
        QFile::remove(folder.filePath(days.takeFirst()));
    return QString();
}

} // namespace quollin
