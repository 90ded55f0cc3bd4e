#include "core/ShopDatabase.h"

#include "core/PasswordHash.h"
#include "core/Schema.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quollin::ShopDatabase {

namespace {

void removeWithCompanions(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

std::unique_ptr<Database> openExisting(const QString &path)
{
    auto db = Database::open(path, QByteArray(kKey), Database::OpenMode::ExistingOnly);
    Schema::verify(*db);
    db->useDurableJournal();
    Schema::addMissingIndexes(*db);
    return db;
}

void createAt(const QString &path)
{
    auto db = Database::open(path, QByteArray(kKey), Database::OpenMode::CreateIfMissing);
    db->useDurableJournal();
    Transaction transaction(*db);
    Schema::create(*db);
    Statement insert = db->prepare(QStringLiteral("INSERT INTO userdb (username, passwd) VALUES (:name, :hash)"));
    insert.bind(":name", kSuperAdministrator).bind(":hash", PasswordHash::hash(kInitialPassword)).exec();
    transaction.commit();
}

} // namespace

std::unique_ptr<Database> open(const QString &path, IfMissing ifMissing)
{
    if (QFileInfo::exists(path))
        return openExisting(path);
    if (ifMissing == IfMissing::Refuse)
        throw DbError(QStringLiteral("数据库文件不存在：%1").arg(QDir::toNativeSeparators(path)), SQLITE_CANTOPEN);

    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        throw DbError(QStringLiteral("无法建立数据库文件夹：%1").arg(info.absolutePath()));

    // Build the new file beside its final name and move it into place whole,
    // so an interrupted first start never leaves a half-made database behind.
    const QString building = path + QStringLiteral(".new");
    removeWithCompanions(building);
    try {
        createAt(building);
    } catch (...) {
        removeWithCompanions(building);
        throw;
    }
    if (!QFile::rename(building, path)) {
        removeWithCompanions(building);
        // Another copy of the program may have created it meanwhile.
        if (!QFileInfo::exists(path))
            throw DbError(QStringLiteral("无法建立数据库文件：%1").arg(path));
    }
    return openExisting(path);
}

} // namespace quollin::ShopDatabase
