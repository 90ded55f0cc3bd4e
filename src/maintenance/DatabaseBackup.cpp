#include "maintenance/DatabaseBackup.h"

#include "core/DatabaseLocation.h"
#include "core/EngineMessage.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"
#include "maintenance/ServerBackup.h"

#include <sqlite3.h>

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


QString inUseElsewhere()
{
    return QStringLiteral("数据库文件正被其他程序使用（也许是另一台电脑或另一个窗口里的本程序），现在不能恢复。"
                          "请先关闭它们，再恢复数据库。");
}

// A connection that alone holds the file: the engine's exclusive lock, taken
// at once or not at all, and the file out of write-ahead-log mode, so that no
// log or shared-memory file is left that another connection could still
// write to or that closing one would delete. Null when another connection
// has the file open.
std::unique_ptr<Database> takeAlone(const QString &path)
{
    auto db = BackupFile::openForCopy(path, Database::OpenMode::ExistingOnly);
    db->execScript(QStringLiteral("PRAGMA busy_timeout=0"));
    db->execScript(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
    try {
        Statement mode = db->prepare(QStringLiteral("PRAGMA journal_mode=DELETE"));
        if (!mode.next() || mode.text(0).compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            return nullptr;
    } catch (const DbError &e) {
        if (e.primaryCode() == SQLITE_BUSY || e.primaryCode() == SQLITE_LOCKED)
            return nullptr;
        throw;
    }
    // Out of log mode, an exclusive transaction keeps the lock until close.
    try {
        db->execScript(QStringLiteral("BEGIN EXCLUSIVE"));
        db->execScript(QStringLiteral("COMMIT"));
    } catch (const DbError &e) {
        if (e.primaryCode() == SQLITE_BUSY || e.primaryCode() == SQLITE_LOCKED)
            return nullptr;
        throw;
    }
    return db;
}

// A dated name beside the file for the copy of the replaced file; two
// restores within one second each keep their own.
QString keptCopyName(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QStringLiteral("%1-恢复前-%2").arg(
        info.completeBaseName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("db") : info.suffix();
    QString kept = info.dir().filePath(stamp + QLatin1Char('.') + suffix);
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = info.dir().filePath(QStringLiteral("%1-%2.%3").arg(stamp).arg(n).arg(suffix));
    return kept;
}

// What the engine's own check finds wrong in the file in use, or nothing.
QString damageIn(const QString &path)
{
    try {
        auto db = BackupFile::openForCopy(path, Database::OpenMode::ExistingOnly);
        Statement check = db->prepare(QStringLiteral("PRAGMA quick_check"));
        if (check.next() && check.text(0) != QLatin1String("ok"))
            return check.text(0);
    } catch (const DbError &e) {
        if (e.primaryCode() == SQLITE_CORRUPT || e.primaryCode() == SQLITE_NOTADB)
            return e.message();
    }
    return QString();
}

// The daily backups' names: "<file's name>-<day>.db" for a file,
// "<database's name>-<day>.dump" for a server's database.
QString dailyStem(const QString &databasePath)
{
    return Database::isServerLocation(databasePath) ? ServerBackup::databaseName(databasePath)
                                                    : QFileInfo(databasePath).completeBaseName();
}

QString dailySuffix(const QString &databasePath)
{
    return Database::isServerLocation(databasePath) ? QStringLiteral("dump") : QStringLiteral("db");
}

} // namespace

QString DatabaseBackup::damagedFileMessage()
{
    return QStringLiteral("数据库文件已经损坏，请尽快用备份恢复：先关闭其他电脑上的本程序，再点“数据备份”，"
                          "在“打开备份文件”中选一份备份（“自动备份”文件夹里存着最近几天的），然后点“恢复数据库”。");
}

QString DatabaseBackup::defaultTarget()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("beifen.db"));
}

QString DatabaseBackup::suggestedTarget() const
{
    if (!Database::isServerLocation(m_shop.databasePath()))
        return defaultTarget();
    return QFileInfo(defaultTarget()).dir().filePath(QStringLiteral("beifen.dump"));
}

BackupFile::Result DatabaseBackup::backup(const QString &target, const BackupFile::Progress &progress)
{
    // A folder the operator typed is taken as typed: missing, it is more
    // likely mistyped or on a stick not plugged in than wanted new.
    const QFileInfo info(target);
    if (!target.trimmed().isEmpty() && info.absoluteFilePath() == QFileInfo(suggestedTarget()).absoluteFilePath()
        && !info.dir().exists() && !QDir().mkpath(info.absolutePath()))
        return BackupFile::Result::failure(QStringLiteral("无法建立文件夹：%1").arg(QDir::toNativeSeparators(info.absolutePath())));
    if (Database::isServerLocation(m_shop.databasePath()))
        return ServerBackup::dump(m_shop.databasePath(), target, progress);
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
    if (Database::isServerLocation(m_shop.databasePath())) {
        result.reason = QStringLiteral("服务器上的数据库要恢复到一个新的空数据库里，请填写它的地址。");
        return result;
    }
    const BackupFile::Result checked = BackupFile::verify(backupFile);
    if (!checked.ok) {
        result.reason = checked.reason;
        return result;
    }

    const QString path = m_shop.databasePath();
    const bool wasOpen = m_shop.isOpen();
    // Everything of this program lets go of the file (the daily backup
    // included, which follows the closing).
    m_shop.closeDatabase();

    try {
        std::unique_ptr<Database> alone;
        bool wholeFile = !QFileInfo::exists(path);
        if (!wholeFile) {
            try {
                alone = takeAlone(path);
            } catch (const DbError &e) {
                // A file the engine cannot open as a database cannot be
                // locked through it either, nor can anyone work in it: it is
                // replaced whole, as it lies kept beside.
                if (e.primaryCode() != SQLITE_NOTADB && e.primaryCode() != SQLITE_CORRUPT)
                    throw;
                wholeFile = true;
            }
        }
        if (wholeFile) {
            if (QFileInfo::exists(path)) {
                const QString kept = keptCopyName(path);
                if (!copyAsItLies(path, kept)) {
                    BackupFile::removeWithCompanions(kept);
                    result.reason = QStringLiteral("无法保留当前的数据库：%1").arg(kept);
                    throw DbError(result.reason);
                }
                result.keptCopy = kept;
            }
            const BackupFile::Result copied =
                BackupFile::copy(backupFile, path, progress, Database::OpenMode::ReadOnly);
            if (copied.ok)
                result.outcome = RestoreOutcome::Restored;
            else
                result.reason = copied.reason;
        } else if (alone) {
            // The file is replaced in place, under the lock: no other
            // connection can slip in between, and none is left on an old
            // file whose companions now belong to the new one.
            const QString kept = keptCopyName(path);
            if (!QFile::copy(path, kept)) {
                QFile::remove(kept);
                result.reason = QStringLiteral("无法保留当前的数据库：%1").arg(kept);
            } else {
                result.keptCopy = kept;
                auto from = BackupFile::openForCopy(backupFile, Database::OpenMode::ReadOnly);
                if (!BackupFile::copyPages(*from, *alone, progress)) {
                    result.reason = QStringLiteral("恢复已取消，数据库没有改变。");
                } else {
                    BackupFile::makeSingleFile(*alone);
                    result.outcome = RestoreOutcome::Restored;
                }
            }
        } else {
            result.reason = inUseElsewhere();
        }
    } catch (const DbError &e) {
        result.outcome = RestoreOutcome::Refused;
        result.reason = engineMessage(e);
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

DatabaseBackup::Restore DatabaseBackup::restoreInto(const QString &targetUri, const QString &backupFile,
                                                    const BackupFile::Progress &progress)
{
    m_shop.demand(OperatorRestrictions::Command::RestoreDatabase);
    Restore result;
    if (backupFile.trimmed().isEmpty() || !QFileInfo(backupFile).isFile()) {
        result.outcome = RestoreOutcome::NotFound;
        return result;
    }
    ServerBackup::Restored restored = ServerBackup::restore(backupFile, targetUri.trimmed(), progress);
    if (!restored.result.ok) {
        result.reason = restored.result.reason;
        return result;
    }
    result.outcome = RestoreOutcome::Restored;
    result.rows = ServerBackup::describe(restored.rows);
    m_shop.closeDatabase();
    m_shop.reopenDatabase(std::move(restored.db));
    return result;
}

QString DatabaseBackup::dailyFolder() const { return dailyFolderOf(m_shop.databasePath()); }

QString DatabaseBackup::newestDailyBackup() const
{
    const QStringList days = dailyBackupsOf(m_shop.databasePath());
    return days.isEmpty() ? QString() : days.last();
}

QStringList DatabaseBackup::dailyBackupsOf(const QString &databasePath)
{
    // Only whole copies carry the dated name: a copy is built under another
    // name and renamed when verified. Dated names sort by day.
    const QDir folder(dailyFolderOf(databasePath));
    const QRegularExpression dated(QStringLiteral("^%1-\\d{4}-\\d{2}-\\d{2}\\.%2$")
                                       .arg(QRegularExpression::escape(dailyStem(databasePath)), dailySuffix(databasePath)));
    QStringList days;
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
        if (dated.match(name).hasMatch())
            days << folder.filePath(name);
    }
    return days;
}

QString DatabaseBackup::dailyFolderOf(const QString &databasePath)
{
    const QString beside = Database::isServerLocation(databasePath) ? DatabaseLocation::defaultPath() : databasePath;
    return QFileInfo(beside).dir().filePath(QStringLiteral("自动备份"));
}

QString DatabaseBackup::todaysDailyBackup(const QString &databasePath, const QDate &today)
{
    return QDir(dailyFolderOf(databasePath))
        .filePath(QStringLiteral("%1-%2.%3").arg(dailyStem(databasePath), today.toString(QStringLiteral("yyyy-MM-dd")),
                                                 dailySuffix(databasePath)));
}

QString DatabaseBackup::ensureDailyBackup(const QDate &today, int keep)
{
    return makeDailyBackup(m_shop.databasePath(), today, keep);
}

QString DatabaseBackup::makeDailyBackup(const QString &databasePath, const QDate &today, int keep,
                                        const std::atomic_bool *stop)
{
    const QFileInfo info(databasePath);
    QDir folder(dailyFolderOf(databasePath));
    const QString todays = todaysDailyBackup(databasePath, today);
    if (QFileInfo::exists(todays))
        return QString();
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        return QStringLiteral("无法建立文件夹：%1").arg(folder.path());
    const auto goOn = [stop](int, int) { return !stop || !stop->load(); };
    // A server's dump reads one snapshot while the other tills work on.
    const bool server = Database::isServerLocation(databasePath);
    const BackupFile::Result copied = server ? ServerBackup::dump(databasePath, todays, goOn)
                                             : BackupFile::copy(info.absoluteFilePath(), todays, goOn);
    if (!copied.ok) {
        if (server || (stop && stop->load()))
            return copied.reason;
        // The copy reads every page of the file: a failure may be the first
        // sign that the file in use is damaged. Say so, and how to restore.
        if (const QString damage = damageIn(info.absoluteFilePath()); !damage.isEmpty())
            return damagedFileMessage() + QStringLiteral("（") + damage + QStringLiteral("）");
        return copied.reason;
    }

    QStringList days = dailyBackupsOf(databasePath);
    while (days.size() > keep)
        QFile::remove(days.takeFirst());
    return QString();
}

} // namespace quollin
