#include "maintenance/BackupFile.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/Schema.h"
#include "core/ShopDatabase.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace quollin::BackupFile {

QString temporaryNameFor(const QString &target)
{
    const QFileInfo info(target);
    return info.dir().filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".partial"));
}

bool replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()), std::filesystem::path(to.toStdU16String()),
                            error);
    return !error;
}

Result checkTarget(const QString &target)
{
    const QFileInfo targetInfo(target);
    if (!targetInfo.dir().exists())
        return Result::failure(QStringLiteral("文件夹不存在：%1").arg(targetInfo.absolutePath()));
    if (targetInfo.isDir())
        return Result::failure(QStringLiteral("这是一个文件夹：%1").arg(target));
#ifdef Q_OS_UNIX
    if (!QFileInfo(targetInfo.absolutePath()).isWritable())
        return Result::failure(QStringLiteral("备份文件的文件夹不能写入（也许是写保护的U盘）：%1").arg(targetInfo.absolutePath()));
#endif
    return Result::success();
}

// A copy or a check reads each page once: what passed is not read again, so
// the pages need not stay.
std::unique_ptr<Database> openForCopy(const QString &path, Database::OpenMode mode)
{
    auto db = Database::open(path, QByteArray(ShopDatabase::kKey), mode);
    db->execScript(QStringLiteral("PRAGMA cache_size=-%1").arg(kCopyCacheKiB));
    return db;
}

QStringList companions(const QString &path)
{
    return {path + QStringLiteral("-wal"), path + QStringLiteral("-shm"), path + QStringLiteral("-journal")};
}

void removeWithCompanions(const QString &path)
{
    QFile::remove(path);
    for (const QString &companion : companions(path))
        QFile::remove(companion);
}

Result verify(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return Result::failure(QStringLiteral("文件不存在：%1").arg(path));
    try {
        auto db = openForCopy(path, Database::OpenMode::ReadOnly);
        Schema::verify(*db);
        Statement check = db->prepare(QStringLiteral("PRAGMA integrity_check"));
        QStringList problems;
        while (check.next()) {
            const QString line = check.text(0);
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (!problems.isEmpty())
            return Result::failure(QStringLiteral("%1（%2）").arg(engineSentence(SQLITE_CORRUPT), problems.first()));
    } catch (const DbError &e) {
        return Result::failure(engineMessage(e));
    }
    return Result::success();
}

bool copyPages(Database &from, Database &to, const Progress &progress)
{
    sqlite3_backup *backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        throw DbError::technical(to.lastErrorMessage(), sqlite3_extended_errcode(to.handle()));
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        if (progress) {
            const int total = sqlite3_backup_pagecount(backup);
            if (!progress(total - sqlite3_backup_remaining(backup), total)) {
                sqlite3_backup_finish(backup);
                return false;
            }
        }
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    // The engine's words ("database or disk is full") go after a sentence
    // the shop owner can act on.
    if (rc != SQLITE_DONE)
        throw DbError::technical(QString::fromUtf8(sqlite3_errstr(rc)), rc);
    return true;
}

void makeSingleFile(Database &db)
{
    // A copy takes the header of its source, log mark included; reading the
    // header first lets the engine see the mark before it is cleared.
    db.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master")).exec();
    Statement mode = db.prepare(QStringLiteral("PRAGMA journal_mode=DELETE"));
    if (!mode.next() || mode.text(0).compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("无法把备份写成单个文件。"), SQLITE_ERROR);
}

Result copy(const QString &source, const QString &target, const Progress &progress, Database::OpenMode sourceMode)
{
    if (QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath())
        return Result::failure(QStringLiteral("备份文件不能是正在使用的数据库本身。"));
    if (const Result usable = checkTarget(target); !usable.ok)
        return usable;

    const QString partial = temporaryNameFor(target);
    removeWithCompanions(partial);
    try {
        auto from = openForCopy(source, sourceMode);
        // One read transaction over the whole copy: every step reads the same
        // snapshot, so sales made meanwhile (the daily backup runs beside the
        // work) neither block the copy nor make it start again.
        from->execScript(QStringLiteral("BEGIN"));
        {
            Statement snapshot = from->prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            snapshot.next();
        }
        {
            auto to = openForCopy(partial, Database::OpenMode::CreateIfMissing);
            const bool done = copyPages(*from, *to, progress);
            from->execScript(QStringLiteral("COMMIT"));
            if (!done) {
                to.reset();
                removeWithCompanions(partial);
                return Result::failure(QStringLiteral("备份已取消。"));
            }
            // The copy is a file on its own: no log beside it, which a
            // write-protected stick could not hold.
            makeSingleFile(*to);
        }
    } catch (const DbError &e) {
        removeWithCompanions(partial);
        return Result::failure(engineMessage(e));
    }

    const Result checked = verify(partial);
    if (!checked.ok) {
        removeWithCompanions(partial);
        return checked;
    }
    // The old target's companions belong to the old file: a log left beside
    // the new one would be replayed into it.
    for (const QString &companion : companions(target))
        QFile::remove(companion);
    if (!replaceFile(partial, target)) {
        removeWithCompanions(partial);
        return Result::failure(QStringLiteral("无法写入文件：%1").arg(target));
    }
    for (const QString &companion : companions(partial))
        QFile::remove(companion);
    return Result::success();
}

} // namespace quollin::BackupFile
