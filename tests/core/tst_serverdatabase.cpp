// What only a shop on a server has: the tables made in an empty database
// only, the statement text the server is given, a dropped connection, other
// tills' commits, and slip numbers handed out to several tills.
#include "core/EngineMessage.h"
#include "core/Schema.h"
#include "core/ServerDatabase.h"
#include "core/ShopDatabase.h"
#include "session/Shop.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;
using quollin::test::TestEnvironment;

namespace {

qint64 countOf(Database &db, const QString &sql)
{
    Statement s = db.prepare(sql);
    return s.next() ? s.integer(0) : -1;
}

GoodsRecord pens(double stock)
{
    GoodsRecord r = ShopFixture::boughtIn(QStringLiteral("钢笔"), 3.5, stock, QStringLiteral("2026-12-01"));
    r.salePrice = 8;
    return r;
}

SaleInput oneOf(qint64 goods, const QString &slip)
{
    SaleInput in;
    in.goodsId = goods;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("1");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2026-12-09");
    in.slipNumber = slip;
    return in;
}

} // namespace

class ServerDatabaseTest : public QObject {
    Q_OBJECT

private slots:
    void newShopOnlyInAnEmptyDatabaseOfOurs()
    {
        TestEnvironment env;
        const QString uri = env.databasePath();
        QVERIFY_THROWS_EXCEPTION(DbError, ShopDatabase::open(uri, ShopDatabase::IfMissing::Refuse));
        QVERIFY(Schema::isEmptyServer(*Database::open(uri, {})));

        {
            auto db = ShopDatabase::open(uri, ShopDatabase::IfMissing::Create);
            QCOMPARE(countOf(*db, QStringLiteral("SELECT count(*) FROM userdb")), 1);
            // Opened again it is the same shop, not made anew.
            auto again = ShopDatabase::open(uri, ShopDatabase::IfMissing::Create);
            QCOMPARE(countOf(*again, QStringLiteral("SELECT count(*) FROM userdb")), 1);
            db->execScript(QStringLiteral("UPDATE quollin_layout SET version = version + 1"));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, ShopDatabase::open(uri));

        // Another program's database is left exactly as it was.
        TestEnvironment foreign;
        Database::open(foreign.databasePath(), {})->execScript(QStringLiteral("CREATE TABLE orders (n integer)"));
        try {
            ShopDatabase::open(foreign.databasePath(), ShopDatabase::IfMissing::Create);
            QFAIL("a database of another program must be refused");
        } catch (const DbError &e) {
            QVERIFY2(engineMessage(e).contains(QStringLiteral("不是本程序的数据库")), qPrintable(engineMessage(e)));
        }
        auto left = Database::open(foreign.databasePath(), {});
        QCOMPARE(countOf(*left, QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                                "WHERE table_schema = current_schema()")),
                 1);
    }

    void statementTextIsTranslatedOutsideQuotesOnly()
    {
        QList<QByteArray> names;
        QCOMPARE(ServerDatabase::serverText(QStringLiteral(
                     "SELECT a FROM data WHERE \"ID\"=:id AND c LIKE :p ESCAPE '\\' AND g=:id AND z='a:b like ?'"),
                                            &names),
                 QByteArray("SELECT a FROM data WHERE \"ID\"=$1 AND c ILIKE $2 ESCAPE '\\' AND g=$1 AND z='a:b like ?'"));
        QCOMPARE(names, (QList<QByteArray>{":id", ":p"}));
        QCOMPARE(ServerDatabase::serverText(QStringLiteral("SELECT unlike FROM t WHERE a IN (?,?)")),
                 QByteArray("SELECT unlike FROM t WHERE a IN ($1,$2)"));
        // NULL where the file's engine puts it; keys, which hold none, as they are.
        QCOMPARE(ServerDatabase::serverText(QStringLiteral("SELECT \"ID\" FROM data1 ORDER BY day1,\"ID\"")),
                 QByteArray("SELECT \"ID\" FROM data1 ORDER BY day1 NULLS FIRST,\"ID\""));
        QCOMPARE(ServerDatabase::serverText(QStringLiteral(
                     "SELECT (SELECT g FROM t ORDER BY g DESC LIMIT 1) FROM u ORDER BY v COLLATE PINYIN_NOCASE")),
                 QByteArray("SELECT (SELECT g FROM t ORDER BY g DESC NULLS LAST LIMIT 1) FROM u "
                            "ORDER BY v COLLATE PINYIN_NOCASE NULLS FIRST"));
    }

    // The connection is cut under a signed-in till (a server restart, a
    // network fault): the next command says so in Chinese and writes
    // nothing; the one after connects again and works.
    void droppedConnectionIsReportedThenMadeAnew()
    {
        ShopFixture till(ShopFixture::Start::SignedInAsSuper);
        const qint64 goods = till.seedGoods(pens(5));
        QVERIFY(till.shop().sales().confirm(oneOf(goods, QStringLiteral("20261209001"))).ok);

        const qint64 pid = countOf(till.db(), QStringLiteral("SELECT pg_backend_pid()"));
        auto admin = Database::open(TestEnvironment::maintenanceUri(), {});
        Statement cut = admin->prepare(QStringLiteral("SELECT pg_terminate_backend(:pid)"));
        cut.bind(":pid", pid).exec();

        const SaleResult lost = till.shop().sales().confirm(oneOf(goods, QStringLiteral("20261209001")));
        QVERIFY(!lost.ok);
        QVERIFY2(lost.message.startsWith(QStringLiteral("与数据库服务器的连接断开了")), qPrintable(lost.message));

        const SaleResult again = till.shop().sales().confirm(oneOf(goods, QStringLiteral("20261209001")));
        QVERIFY2(again.ok, qPrintable(again.message));
        QCOMPARE(countOf(till.db(), QStringLiteral("SELECT count(*) FROM data1")), 2);
        QCOMPARE(again.newStockQuantity, 3.0);
    }

    // Two tills on one database: one till's commit reaches the other's
    // change stream, named row by row; numbers handed out are never shared.
    void otherTillsAreHeardAndGetNumbersOfTheirOwn()
    {
        ShopFixture first(ShopFixture::Start::SignedInAsSuper);
        const qint64 goods = first.seedGoods(pens(5));
        ShopFixture second(first.env.databasePath(), first.env.path(QStringLiteral("second.ini")));
        QVERIFY(second.signIn());
        QSignalSpy heard(&second.shop(), &ShopContext::changed);
        heard.clear();

        const SaleResult sold = first.shop().sales().confirm(oneOf(goods, QStringLiteral("20261209001")));
        QVERIFY(sold.ok);
        QTRY_VERIFY(!heard.isEmpty());
        const auto changes = heard.takeLast().at(0).value<ChangeSet>();
        QVERIFY(changes.goods.changedRows().contains(goods));
        QVERIFY(changes.saleLines.addedRows().contains(sold.lineId));
        QVERIFY(!changes.sale); // the current slip stays the other till's own

        const QDate day(2026, 12, 9);
        const std::optional<int> a = first.shop().slips().freeSerialOn(day, 2);
        const std::optional<int> b = second.shop().slips().freeSerialOn(day, 2);
        const std::optional<int> c = first.shop().slips().freeSerialOn(day, 2);
        QVERIFY(a && b && c);
        QCOMPARE(QSet<int>({*a, *b, *c}).size(), 3);
        // A slip that already holds lines is never handed out.
        QCOMPARE(first.shop().slips().freeSerialOn(day, 1).value_or(1) != 1, true);
    }
};

QTEST_GUILESS_MAIN(ServerDatabaseTest)
#include "tst_serverdatabase.moc"
