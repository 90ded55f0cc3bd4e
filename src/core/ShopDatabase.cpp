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

// The tables and the super administrator, all or nothing.
void createShop(Database &db)
{
    Transaction transaction(db);
    Schema::create(db);
    Statement insert = db.prepare(QStringLiteral("INSERT INTO userdb (username, passwd) VALUES (:name, :hash)"));
    insert.bind(":name", kSuperAdministrator).bind(":hash", PasswordHash::hash(kInitialPassword)).exec();
    transaction.commit();
}

void createAt(const QString &path)
{
    auto db = Database::open(path, QByteArray(kKey), Database::OpenMode::CreateIfMissing);
    db->useDurableJournal();
    createShop(*db);
}

// A server's database is made by its administrator; the shop's tables go
// into it only when it is empty and the operator asked for a new shop. One
// that holds anything else is left as it is.
std::unique_ptr<Database> openServer(const QString &uri, IfMissing ifMissing)
{
    auto db = Database::open(uri, QByteArray());
    if (Schema::isEmptyServer(*db)) {
        if (ifMissing == IfMissing::Refuse)
            throw DbError(QStringLiteral("服务器上的这个数据库是空的，还没有店的数据。新开一个店请加上 --new。"),
                          DbError::kServerRefused);
        try {
            createShop(*db);
        } catch (const DbError &) {
            // Another till made the tables at the same moment: use them.
            if (Schema::isEmptyServer(*db))
                throw;
        }
    }
    Schema::verify(*db);
    Schema::addMissingIndexes(*db);
    return db;
}

} // namespace

std::unique_ptr<Database> open(const QString &path, IfMissing ifMissing)
{
    if (Database::isServerLocation(path))
        return openServer(path, ifMissing);
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
