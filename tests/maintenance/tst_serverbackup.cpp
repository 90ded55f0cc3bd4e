#include "core/Database.h"
#include "core/Schema.h"
#include "core/ShopDatabase.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/ServerBackup.h"
#include "maintenance/Trepair.h"
#include "sales/SaleTransaction.h"
#include "support/ShopFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;
using quollin::test::TestEnvironment;

namespace {

// Per table of the shop: its rows, and the sum in fen of each amount column.
QStringList rowsAndSums(Database &db)
{
    const QList<std::pair<QString, QStringList>> tables{{QStringLiteral("data"), Schema::goodsColumns()},
                                                        {QStringLiteral("data1"), Schema::saleLineColumns()},
                                                        {QStringLiteral("userdb"), Schema::userColumns()},
                                                        {QStringLiteral("rz"), Schema::logColumns()}};
    QStringList out;
    for (const auto &[table, columns] : tables) {
        QStringList sums{QStringLiteral("count(*)")};
        for (const QString &column : columns) {
            if (column == QLatin1String("a5") || (column.size() == 1 && column.at(0).isDigit()))
                sums << QStringLiteral("coalesce(sum(fen(%1)), 0)").arg(Schema::quoted(column));
        }
        Statement s = db.prepare(QStringLiteral("SELECT %1 FROM %2").arg(sums.join(QLatin1Char(',')), table));
        QStringList values{table};
        if (s.next()) {
            for (int c = 0; c < s.columnCount(); ++c)
                values << QString::number(s.integer(c));
        }
        out << values.join(QLatin1Char(' '));
    }
    return out;
}

QStringList rowsAndSums(const QString &uri)
{
    auto db = Database::open(uri, QByteArray());
    return rowsAndSums(*db);
}

// A shop with goods, two sales, a second operator and the sign-in's log row.
void stock(ShopFixture &f)
{
    GoodsRecord goods = ShopFixture::boughtIn(QStringLiteral("可乐"), 2.1, 10, QStringLiteral("2024-05-01"));
    goods.code = QStringLiteral("A1");
    goods.salePrice = 3.3;
    const qint64 id = f.seedGoods(goods);
    goods.name = QStringLiteral("雪碧\n新品");
    goods.code = QStringLiteral("\\.");
    f.seedGoods(goods);
    for (const char *serial : {"20240502001", "20240502002"}) {
        SaleInput in;
        in.goodsId = id;
        in.price = QStringLiteral("3.3");
        in.quantity = QStringLiteral("2");
        in.arrears = QStringLiteral("0.7");
        in.saleDate = QStringLiteral("2024-05-02");
        in.slipNumber = QLatin1String(serial);
        const SaleResult sold = f.shop().sales().confirm(in);
        QVERIFY2(sold.ok, qPrintable(sold.message));
    }
    f.addOperator(QStringLiteral("小王"));
}

void makeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestServerBackup : public QObject {
    Q_OBJECT
private slots:
    void backupRestoresIntoAnEmptyDatabaseWithTheSameRows();
    void databaseThatIsNotEmptyIsRefusedAndLeftAsItWas();
    void whatIsNotAWholeDumpOfAShopIsRefused();
    void dailyDumpIsMadeOnceADayAndKeepsTheNewest();
};

void TestServerBackup::backupRestoresIntoAnEmptyDatabaseWithTheSameRows()
{
    // Made before the shop, gone after it: the session ends up there.
    TestEnvironment other;
    const QString target = other.databasePath();
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    stock(f);
    const QString source = f.env.databasePath();
    const QStringList before = rowsAndSums(f.db());

    const QString dump = f.env.path(QStringLiteral("备份 文件/beifen.dump"));
    QVERIFY(QDir().mkpath(QFileInfo(dump).path()));
    const BackupFile::Result backedUp = f.shop().backups().backup(dump);
    QVERIFY2(backedUp.ok, qPrintable(backedUp.reason));
    QVERIFY(ServerBackup::verify(dump).ok);
    QCOMPARE(QDir(QFileInfo(dump).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("beifen.dump")});

    // Through the window, as the super administrator does it.
    {
        Trepair window(f.shop(), f.prompter);
        window.show();
        QVERIFY(window.targetBox()->isVisible());
        QCOMPARE(window.targetBox()->accessibleName(), QStringLiteral("恢复到服务器上的空数据库:"));
        window.restoreBox()->setText(dump);
        window.targetBox()->setText(target);
        f.prompter.queueAnswer(true);
        window.findChild<QPushButton *>(QStringLiteral("restoreButton"))->click();
        const QString said = f.prompter.lastText();
        QVERIFY2(said.startsWith(QStringLiteral("数据库恢复成功！")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("商品 2 条、销售记录 2 条、操作员 2 个、操作日志 1 条")), qPrintable(said));
        window.close();
    }
    QCOMPARE(f.shop().databasePath(), target);
    QVERIFY(f.shop().isOpen());
    QCOMPARE(rowsAndSums(f.db()), before);
    // The database it came from is as it was.
    QCOMPARE(rowsAndSums(source), before);
    // The numbering goes on after the restored rows.
    GoodsRecord next;
    next.name = QStringLiteral("芬达");
    QVERIFY(f.seedGoods(next) > 2);
    QCOMPARE(f.count(QStringLiteral("data")), 3);
}

void TestServerBackup::databaseThatIsNotEmptyIsRefusedAndLeftAsItWas()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    stock(f);
    const QString dump = f.env.path(QStringLiteral("beifen.dump"));
    QVERIFY(f.shop().backups().backup(dump).ok);

    // Another shop; a database holding only a table in a schema of its own.
    TestEnvironment shop;
    ShopDatabase::open(shop.databasePath()).reset();
    TestEnvironment stray;
    Database::open(stray.databasePath(), QByteArray())
        ->execScript(QStringLiteral("CREATE SCHEMA kept; CREATE TABLE kept.t (i integer); INSERT INTO kept.t VALUES (7)"));

    for (const QString &target : {shop.databasePath(), stray.databasePath()}) {
        auto look = Database::open(target, QByteArray());
        Statement objects = look->prepare(QStringLiteral(
            "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname !~ '^pg_'"));
        QVERIFY(objects.next());
        const qint64 objectsBefore = objects.integer(0);
        const bool isShop = target == shop.databasePath();
        const QStringList rowsBefore = isShop ? rowsAndSums(*look) : QStringList();

        const DatabaseBackup::Restore r = f.shop().backups().restoreInto(target, dump);
        QVERIFY(r.outcome == DatabaseBackup::RestoreOutcome::Refused);
        QVERIFY2(r.reason.contains(QStringLiteral("不是空的")), qPrintable(r.reason));

        objects.reset();
        QVERIFY(objects.next());
        QCOMPARE(objects.integer(0), objectsBefore);
        if (isShop)
            QCOMPARE(rowsAndSums(*look), rowsBefore);
        QCOMPARE(f.shop().databasePath(), f.env.databasePath());
        QVERIFY(f.shop().isOpen());
    }
}

void TestServerBackup::whatIsNotAWholeDumpOfAShopIsRefused()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    stock(f);
    const QString dump = f.env.path(QStringLiteral("beifen.dump"));
    QVERIFY(f.shop().backups().backup(dump).ok);
    QFile whole(dump);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();

    TestEnvironment empty;
    const QString target = empty.databasePath();
    const QString notADump = f.env.path(QStringLiteral("notes.dump"));
    makeFile(notADump, "PGDMP? no, a shopping list\n");
    // Cut where the table of contents is whole but the data is not.
    const QString cut = f.env.path(QStringLiteral("cut.dump"));
    makeFile(cut, bytes.left(bytes.size() - 64));
    QVERIFY(ServerBackup::verify(cut).ok);

    for (const QString &file : {notADump, cut}) {
        const DatabaseBackup::Restore r = f.shop().backups().restoreInto(target, file);
        QVERIFY2(r.outcome == DatabaseBackup::RestoreOutcome::Refused, qPrintable(file));
        QVERIFY(!r.reason.isEmpty());
        auto db = Database::open(target, QByteArray());
        QVERIFY2(ServerBackup::isEmpty(*db), qPrintable(file));
        QCOMPARE(f.shop().databasePath(), f.env.databasePath());
    }

    // A backup of a database that is no shop is no success, and leaves no file.
    const QString ofEmpty = f.env.path(QStringLiteral("empty.dump"));
    const BackupFile::Result r = ServerBackup::dump(target, ofEmpty);
    QVERIFY(!r.ok);
    QVERIFY2(r.reason.contains(QStringLiteral("data")), qPrintable(r.reason));
    QVERIFY(!QFileInfo::exists(ofEmpty));
    QVERIFY(!QFileInfo::exists(BackupFile::temporaryNameFor(ofEmpty)));
}

void TestServerBackup::dailyDumpIsMadeOnceADayAndKeepsTheNewest()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    stock(f);
    const QString uri = f.env.databasePath();
    DatabaseBackup &backups = f.shop().backups();
    QDir folder(backups.dailyFolder());
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    // The folder is the user's, shared with the daily copies of file shops:
    // one of a file named as the database is not one of ours.
    const QString name = ServerBackup::databaseName(uri);
    makeFile(folder.filePath(name + QStringLiteral("-2024-01-01.db")), "file shop");

    for (int day = 1; day <= 3; ++day)
        QCOMPARE(DatabaseBackup::makeDailyBackup(uri, QDate(2024, 1, day), 2), QString());
    const QStringList ours{name + QStringLiteral("*")};
    QCOMPARE(folder.entryList(ours, QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{name + QStringLiteral("-2024-01-01.db"), name + QStringLiteral("-2024-01-02.dump"),
                          name + QStringLiteral("-2024-01-03.dump")}));
    QCOMPARE(backups.newestDailyBackup(), folder.filePath(name + QStringLiteral("-2024-01-03.dump")));
    QVERIFY(ServerBackup::verify(backups.newestDailyBackup()).ok);

    // Today's is there: nothing is made again.
    const QDateTime made = QFileInfo(backups.newestDailyBackup()).lastModified();
    QCOMPARE(backups.ensureDailyBackup(QDate(2024, 1, 3), 2), QString());
    QCOMPARE(QFileInfo(backups.newestDailyBackup()).lastModified(), made);

    for (const QString &file : folder.entryList(ours, QDir::Files | QDir::Hidden))
        folder.remove(file);
}

QTEST_MAIN(TestServerBackup)
#include "tst_serverbackup.moc"
