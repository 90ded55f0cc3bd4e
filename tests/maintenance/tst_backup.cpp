#include "core/Database.h"
#include "core/ShopDatabase.h"
#include "maintenance/BackupFile.h"
#include "maintenance/DatabaseBackup.h"
#include "sales/SaleTransaction.h"
#include "support/ShopFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

using namespace quollin;
using quollin::test::ShopFixture;

namespace {

GoodsRecord article(const QString &name)
{
    GoodsRecord r;
    r.name = name;
    r.code = name;
    r.quantity = 1;
    r.stockQuantity = 1;
    r.day1 = QStringLiteral("2024-05-01");
    return r;
}

// Rows of table data in a file, read through a connection of its own.
qint64 goodsIn(const QString &path)
{
    auto db = Database::open(path, QByteArray(ShopDatabase::kKey));
    Statement s = db->prepare(QStringLiteral("SELECT count(*) FROM data"));
    return s.next() ? s.integer(0) : -1;
}

// A copy of a good file with a run of pages overwritten in its middle.
void damage(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    QVERIFY(size > 8192);
    file.seek(size / 2);
    file.write(QByteArray(4096, '\x5a'));
}

// Everything a file holds, as text: its schema, then every row of every
// table in order.
QStringList contentOf(const QString &path)
{
    auto db = Database::open(path, QByteArray(ShopDatabase::kKey), Database::OpenMode::ReadOnly);
    QStringList content;
    QStringList tables;
    Statement schema = db->prepare(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name"));
    while (schema.next()) {
        content << schema.text(0) + QLatin1Char(' ') + schema.text(1) + QLatin1Char(' ') + schema.text(2);
        if (schema.text(0) == QLatin1String("table") && !schema.text(1).startsWith(QLatin1String("sqlite_")))
            tables << schema.text(1);
    }
    for (const QString &table : tables) {
        Statement rows = db->prepare(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
        while (rows.next()) {
            QStringList cells{table};
            for (int c = 0; c < rows.columnCount(); ++c)
                cells << rows.value(c).toString();
            content << cells.join(QLatin1Char('|'));
        }
    }
    return content;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void backupIsAVerifiedCopyOfTheOpenFile();
    void backupReplacesAnExistingFileOnlyWithAWholeCopy();
    void backupIntoAMissingFolderFailsAndLeavesNothing();
    void saleDuringABackupIsInTheCopyWholeOrNotAtAll();
    void verifyRefusesWhatIsNotAGoodShopFile();
    void restoreReplacesTheFileAndKeepsTheOldOne();
    void restoreRefusesADamagedOrMissingBackup();
    void restoreIsTheSuperAdministratorsCommand();
    void dailyBackupIsMadeOnceADayAndKeepsSeven();
    void restoreNeedsTheFileToItself();
    void noSaleIsSavedIntoAFileNoLongerAtItsPath();
    void backupIsOneFileThatRestoresFromWriteProtectedMedia();
    void damagedFileIsAnnouncedByTheDailyBackup();
};

void TestBackup::backupIsAVerifiedCopyOfTheOpenFile()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    // Committed but still in the write-ahead log of the open connection.
    f.seedGoods(article(QStringLiteral("雪碧")));
    QDir(f.env.path(QString())).mkpath(QStringLiteral("备份 文件夹"));
    const QString target = f.env.path(QStringLiteral("备份 文件夹/beifen.db"));

    int calls = 0;
    const BackupFile::Result r = f.shop().backups().backup(target, [&](int done, int total) {
        ++calls;
        return done <= total;
    });
    QVERIFY2(r.ok, qPrintable(r.reason));
    QVERIFY(calls > 0);
    QVERIFY(BackupFile::verify(target).ok);
    QCOMPARE(goodsIn(target), 2);
    // Nothing of the building is left beside it.
    QCOMPARE(QDir(QFileInfo(target).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("beifen.db")});
    // The shop goes on with its file open.
    QVERIFY(f.shop().isOpen());
    QCOMPARE(f.count(QStringLiteral("data")), 2);
}

void TestBackup::backupReplacesAnExistingFileOnlyWithAWholeCopy()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    const QString target = f.env.path(QStringLiteral("beifen.db"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older file");
    }
    // A copy stopped half-way leaves the old file as it was.
    const BackupFile::Result stopped = f.shop().backups().backup(target, [](int, int) { return false; });
    QVERIFY(!stopped.ok);
    QCOMPARE(quollin::test::fileBytes(target), QByteArray("an older file"));
    QVERIFY(!QFileInfo::exists(f.env.path(QStringLiteral(".beifen.db.partial"))));

    const BackupFile::Result r = f.shop().backups().backup(target);
    QVERIFY2(r.ok, qPrintable(r.reason));
    QCOMPARE(goodsIn(target), 1);

    // The file in use is never its own backup.
    QVERIFY(!f.shop().backups().backup(f.env.databasePath()).ok);
    QCOMPARE(f.count(QStringLiteral("data")), 1);
}

void TestBackup::saleDuringABackupIsInTheCopyWholeOrNotAtAll()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    qint64 id = 0;
    {
        Transaction seeding(f.db());
        for (int i = 0; i < 3000; ++i) {
            GoodsRecord goods = article(QStringLiteral("康师傅红烧牛肉面桶装%1").arg(i));
            goods.purchasePrice = 2;
            goods.soldQuantity = 0;
            goods.salesAmount = 0;
            goods.stockQuantity = 10;
            goods.stockValue = 20;
            id = f.seedGoods(goods);
        }
        seeding.commit();
    }
    SaleInput in;
    in.goodsId = id;
    in.price = QStringLiteral("3");
    in.quantity = QStringLiteral("1");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2024-05-02");
    in.slipNumber = QStringLiteral("20240502001");
    const QString target = f.env.path(QStringLiteral("beifen.db"));
    const QStringList before = contentOf(f.env.databasePath());

    // The sale commits on the session's connection between two steps of the
    // copy; each step moves a bounded piece of the file.
    int steps = 0;
    int copied = 0;
    bool sold = false;
    QString refusal;
    const BackupFile::Result r = f.shop().backups().backup(target, [&](int done, int total) {
        ++steps;
        if (done - copied > BackupFile::kPagesPerStep)
            return false;
        copied = done;
        if (!sold && refusal.isEmpty() && done < total) {
            const SaleResult sale = f.shop().sales().confirm(in);
            sold = sale.ok;
            refusal = sale.message;
        }
        return true;
    });
    QVERIFY2(r.ok, qPrintable(r.reason));
    QVERIFY2(sold, qPrintable(refusal));
    QVERIFY2(steps >= 3, "the file must take several steps for the test to mean anything");
    const QStringList after = contentOf(f.env.databasePath());
    QVERIFY(after != before);
    const QStringList copy = contentOf(target);
    QVERIFY2(copy == before || copy == after, "the copy holds part of a sale");

    // The file in use goes on: the sale is in it, and the next one commits.
    QCOMPARE(f.count(QStringLiteral("data1")), 1);
    in.slipNumber = QStringLiteral("20240502002");
    QVERIFY(f.shop().sales().confirm(in).ok);
}

void TestBackup::backupIntoAMissingFolderFailsAndLeavesNothing()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const QString target = f.env.path(QStringLiteral("没有的文件夹/beifen.db"));
    const BackupFile::Result r = f.shop().backups().backup(target);
    QVERIFY(!r.ok);
    QVERIFY(!r.reason.isEmpty());
    QVERIFY(!QFileInfo::exists(QFileInfo(target).path()));
}

void TestBackup::verifyRefusesWhatIsNotAGoodShopFile()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    for (int i = 0; i < 400; ++i)
        f.seedGoods(article(QStringLiteral("商品%1").arg(i)));
    const QString good = f.env.path(QStringLiteral("good.db"));
    QVERIFY(f.shop().backups().backup(good).ok);
    QVERIFY(BackupFile::verify(good).ok);

    const QString damaged = f.env.path(QStringLiteral("damaged.db"));
    QVERIFY(QFile::copy(good, damaged));
    damage(damaged);
    QVERIFY(!BackupFile::verify(damaged).ok);

    const QString text = f.env.path(QStringLiteral("text.db"));
    {
        QFile t(text);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write(QByteArray(5000, 'x'));
    }
    QVERIFY(!BackupFile::verify(text).ok);

    // A database under another key is not ours.
    const QString foreign = f.env.path(QStringLiteral("foreign.db"));
    Database::open(foreign, QByteArray("another key"), Database::OpenMode::CreateIfMissing)
        ->execScript(QStringLiteral("CREATE TABLE data (x)"));
    QVERIFY(!BackupFile::verify(foreign).ok);

    QVERIFY(!BackupFile::verify(f.env.path(QStringLiteral("missing.db"))).ok);
    // Verifying reads only.
    QCOMPARE(quollin::test::fileBytes(text), QByteArray(5000, 'x'));
}

void TestBackup::restoreReplacesTheFileAndKeepsTheOldOne()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    f.seedGoods(article(QStringLiteral("雪碧")));
    const QString backup = f.env.path(QStringLiteral("beifen.db"));
    QVERIFY(f.shop().backups().backup(backup).ok);
    f.seedGoods(article(QStringLiteral("芬达")));

    QSignalSpy reopened(&f.shop(), &ShopContext::databaseReopened);
    const DatabaseBackup::Restore r = f.shop().backups().restore(backup);
    QVERIFY2(r.outcome == DatabaseBackup::RestoreOutcome::Restored, qPrintable(r.reason));
    QVERIFY(f.shop().isOpen());
    QCOMPARE(reopened.count(), 1);
    QCOMPARE(f.count(QStringLiteral("data")), 2);
    // The replaced file is kept beside, whole.
    QVERIFY(QFileInfo(r.keptCopy).dir() == QFileInfo(f.env.databasePath()).dir());
    QCOMPARE(goodsIn(r.keptCopy), 3);
    // The backup itself is untouched.
    QCOMPARE(goodsIn(backup), 2);
}

void TestBackup::restoreRefusesADamagedOrMissingBackup()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    for (int i = 0; i < 400; ++i)
        f.seedGoods(article(QStringLiteral("商品%1").arg(i)));
    const QString damaged = f.env.path(QStringLiteral("beifen.db"));
    QVERIFY(f.shop().backups().backup(damaged).ok);
    damage(damaged);
    f.seedGoods(article(QStringLiteral("最后一件")));

    const DatabaseBackup::Restore bad = f.shop().backups().restore(damaged);
    QVERIFY(bad.outcome == DatabaseBackup::RestoreOutcome::Refused);
    QVERIFY(!bad.reason.isEmpty());
    QVERIFY(f.shop().isOpen());
    QCOMPARE(f.count(QStringLiteral("data")), 401);

    const DatabaseBackup::Restore missing = f.shop().backups().restore(f.env.path(QStringLiteral("nowhere.db")));
    QVERIFY(missing.outcome == DatabaseBackup::RestoreOutcome::NotFound);
    QCOMPARE(f.count(QStringLiteral("data")), 401);
}

void TestBackup::restoreIsTheSuperAdministratorsCommand()
{
    ShopFixture f;
    f.addOperator(QStringLiteral("小王"));
    QVERIFY(f.signIn(QStringLiteral("小王")));
    f.seedGoods(article(QStringLiteral("可乐")));
    const QString backup = f.env.path(QStringLiteral("beifen.db"));
    // Anyone may take a backup.
    QVERIFY(f.shop().backups().backup(backup).ok);
    f.seedGoods(article(QStringLiteral("雪碧")));
    QVERIFY_THROWS_EXCEPTION(NotPermitted, f.shop().backups().restore(backup));
    QCOMPARE(f.count(QStringLiteral("data")), 2);
}

void TestBackup::dailyBackupIsMadeOnceADayAndKeepsSeven()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    DatabaseBackup &backups = f.shop().backups();
    QDir folder(backups.dailyFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    // Eight older days and a file of the owner's own.
    for (int day = 1; day <= 8; ++day) {
        QFile old(folder.filePath(QStringLiteral("data-2024-01-%1.db").arg(day, 2, 10, QLatin1Char('0'))));
        QVERIFY(old.open(QIODevice::WriteOnly));
    }
    QFile own(folder.filePath(QStringLiteral("mine.db")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();

    const QDate today(2024, 2, 1);
    QCOMPARE(backups.ensureDailyBackup(today), QString());
    const QString todays = folder.filePath(QStringLiteral("data-2024-02-01.db"));
    QCOMPARE(goodsIn(todays), 1);
    QStringList expected;
    for (int day = 3; day <= 8; ++day)
        expected << QStringLiteral("data-2024-01-%1.db").arg(day, 2, 10, QLatin1Char('0'));
    expected << QStringLiteral("data-2024-02-01.db") << QStringLiteral("mine.db");
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), expected);

    // Today's is not made again: later changes wait for tomorrow's.
    f.seedGoods(article(QStringLiteral("雪碧")));
    QCOMPARE(backups.ensureDailyBackup(today), QString());
    QCOMPARE(goodsIn(todays), 1);
    QCOMPARE(backups.ensureDailyBackup(today.addDays(1)), QString());
    QCOMPARE(goodsIn(folder.filePath(QStringLiteral("data-2024-02-02.db"))), 2);
    QCOMPARE(folder.entryList({QStringLiteral("data-*.db")}, QDir::Files).size(), 7);
}

void TestBackup::restoreNeedsTheFileToItself()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    const QString backup = f.env.path(QStringLiteral("beifen.db"));
    QVERIFY(f.shop().backups().backup(backup).ok);

    // A second till on the same file, selling on while the restore is tried.
    auto till = ShopDatabase::open(f.env.databasePath());
    till->execScript(QStringLiteral("INSERT INTO data (a) VALUES ('雪碧')"));
    const DatabaseBackup::Restore r = f.shop().backups().restore(backup);
    QVERIFY(r.outcome == DatabaseBackup::RestoreOutcome::Refused);
    QVERIFY2(r.reason.contains(QStringLiteral("其他程序")), qPrintable(r.reason));
    till->execScript(QStringLiteral("INSERT INTO data (a) VALUES ('芬达')"));
    till.reset();
    QVERIFY(f.shop().isOpen());
    QCOMPARE(f.count(QStringLiteral("data")), 3);

    // Alone on the file, the restore runs and leaves nothing of the old file
    // behind to be replayed into the new one.
    const DatabaseBackup::Restore alone = f.shop().backups().restore(backup);
    QVERIFY2(alone.outcome == DatabaseBackup::RestoreOutcome::Restored, qPrintable(alone.reason));
    QCOMPARE(goodsIn(alone.keptCopy), 3);
    f.seedGoods(article(QStringLiteral("雪碧")));
    f.shop().closeDatabase();
    QCOMPARE(goodsIn(f.env.databasePath()), 2);
}

void TestBackup::noSaleIsSavedIntoAFileNoLongerAtItsPath()
{
    enum Fate { Deleted, Renamed, Replaced };
    for (Fate fate : {Deleted, Renamed, Replaced}) {
        ShopFixture f(ShopFixture::Start::SignedInAsSuper);
        GoodsRecord goods = article(QStringLiteral("可乐"));
        goods.purchasePrice = 2;
        goods.salePrice = 3;
        goods.soldQuantity = 0;
        goods.salesAmount = 0;
        goods.stockQuantity = 10;
        goods.stockValue = 20;
        const qint64 id = f.seedGoods(goods);
        SaleInput in;
        in.goodsId = id;
        in.price = QStringLiteral("3");
        in.quantity = QStringLiteral("1");
        in.arrears = QStringLiteral("0");
        in.saleDate = QStringLiteral("2024-05-02");
        in.slipNumber = QStringLiteral("20240502001");
        const SaleResult first = f.shop().sales().confirm(in);
        QVERIFY2(first.ok, qPrintable(first.message));

        const QString path = f.env.databasePath();
        const QString other = f.env.path(QStringLiteral("other.db"));
        ShopDatabase::open(other).reset();
        switch (fate) {
        case Deleted:
            QVERIFY(QFile::remove(path));
            break;
        case Renamed:
            QVERIFY(QFile::rename(path, f.env.path(QStringLiteral("moved.db"))));
            break;
        case Replaced:
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(other, path));
            break;
        }
        const SaleResult sold = f.shop().sales().confirm(in);
        QVERIFY2(!sold.ok, qPrintable(QStringLiteral("fate %1").arg(int(fate))));
        QVERIFY2(sold.message.contains(QStringLiteral("没有保存")), qPrintable(sold.message));
    }
}

void TestBackup::backupIsOneFileThatRestoresFromWriteProtectedMedia()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    f.seedGoods(article(QStringLiteral("可乐")));
    const QString stick = f.env.path(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(stick));
    const QString backup = QDir(stick).filePath(QStringLiteral("beifen.db"));
    QVERIFY(f.shop().backups().backup(backup).ok);
    QVERIFY(!QFileInfo::exists(backup + QStringLiteral("-wal")));
    {
        // No write-ahead log: the file alone is the whole backup.
        auto db = Database::open(backup, QByteArray(ShopDatabase::kKey));
        Statement mode = db->prepare(QStringLiteral("PRAGMA journal_mode"));
        QVERIFY(mode.next());
        QCOMPARE(mode.text(0), QStringLiteral("delete"));
    }
    f.seedGoods(article(QStringLiteral("雪碧")));
    f.shop().closeDatabase();

    const QString failure = quollin::test::asOrdinaryUser(QFileInfo(f.env.databasePath()).absolutePath(), [&]() -> QString {
        if (::chmod(QFile::encodeName(stick).constData(), 0555) != 0)
            return QStringLiteral("chmod failed");
        f.shop().reopenDatabase(ShopDatabase::open(f.env.databasePath()));
        const BackupFile::Result verified = BackupFile::verify(backup);
        if (!verified.ok)
            return QStringLiteral("verify: ") + verified.reason;
        const BackupFile::Result onto = f.shop().backups().backup(QDir(stick).filePath(QStringLiteral("new.db")));
        if (onto.ok || onto.reason.contains(QStringLiteral("数据库文件所在的文件夹")) || !onto.reason.contains(stick))
            return QStringLiteral("backup onto the stick: ") + onto.reason;
        const DatabaseBackup::Restore r = f.shop().backups().restore(backup);
        if (r.outcome != DatabaseBackup::RestoreOutcome::Restored)
            return QStringLiteral("restore: ") + r.reason;
        if (f.count(QStringLiteral("data")) != 1)
            return QStringLiteral("restored %1 rows").arg(f.count(QStringLiteral("data")));
        if (!QDir(stick).entryList(QDir::Files | QDir::Hidden).contains(QStringLiteral("beifen.db"))
            || QDir(stick).entryList(QDir::Files | QDir::Hidden).size() != 1)
            return QStringLiteral("left on the stick: ") + QDir(stick).entryList(QDir::Files | QDir::Hidden).join(' ');
        f.shop().closeDatabase();
        return {};
    });
    if (failure.startsWith(QLatin1String("SKIP: ")))
        QSKIP(qPrintable(failure.mid(6)));
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(goodsIn(f.env.databasePath()), 1);
}

void TestBackup::damagedFileIsAnnouncedByTheDailyBackup()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    for (int i = 0; i < 400; ++i)
        f.seedGoods(article(QStringLiteral("商品%1").arg(i)));
    f.shop().closeDatabase();
    damage(f.env.databasePath());
    const QString failure = DatabaseBackup::makeDailyBackup(f.env.databasePath(), QDate(2024, 2, 1), 7);
    QVERIFY2(failure.startsWith(QStringLiteral("数据库文件已经损坏")), qPrintable(failure));
    QVERIFY2(failure.contains(QStringLiteral("恢复数据库")), qPrintable(failure));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
