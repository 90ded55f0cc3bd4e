#include "core/Database.h"
#include "core/DistinctValues.h"
#include "session/Shop.h"
#include "records/SaleLineQuery.h"
#include "records/SaleLineStore.h"
#include "records/SalesStatistics.h"
#include "widgets/GridModel.h"
#include "sales/SaleTransaction.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace quollin;
using quollin::test::ShopFixture;
using quollin::test::TestEnvironment;

namespace {

// A sale line as a file holds it, written past the rules.
struct Line {
    QString name = QStringLiteral("钢笔");
    QString spec = QStringLiteral("黑色");
    QString code = QStringLiteral("P01");
    QString category = QStringLiteral("文具");
    QString nameInitials = QStringLiteral("GB");
    QString specInitials = QStringLiteral("HS");
    QVariant purchase = 3.5, price = 8.0, quantity = 1.0, amount = 8.0, profit = 4.5, arrears = 0.0;
    QString day1 = QStringLiteral("2016-05-10");
    QString day2 = QStringLiteral("2016-03-01");
    QString slip = QStringLiteral("20160510001");
    QString customer, address, phone, remark;
    QVariant goodsId; // null: a line of an older file
};

qint64 seedLine(Database &db, const Line &l)
{
    Statement s = db.prepare(QStringLiteral(
        "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
        "VALUES (:a,:b,:c,:d,:e,:f,:g,:h,:i,:j,:z,:n1,:n2,:n3,:n4,:a5,:n6,:day1,:day2,:gid)"));
    s.bind(":a", l.name).bind(":b", l.spec).bind(":c", l.code).bind(":d", l.category);
    s.bind(":e", l.nameInitials).bind(":f", l.specInitials).bind(":g", l.customer).bind(":h", l.address);
    s.bind(":i", l.phone).bind(":j", l.remark).bind(":z", l.slip);
    s.bind(":n1", l.purchase).bind(":n2", l.price).bind(":n3", l.quantity).bind(":n4", l.amount);
    s.bind(":a5", l.profit).bind(":n6", l.arrears).bind(":day1", l.day1).bind(":day2", l.day2);
    s.bind(":gid", l.goodsId);
    s.exec();
    return db.lastInsertId();
}

GoodsRecord pen(double sold, double salesAmount, double stock, double stockValue,
                const QString &name = QStringLiteral("钢笔"))
{
    GoodsRecord r;
    r.name = name;
    r.specification = QStringLiteral("黑色");
    r.code = QStringLiteral("P01");
    r.category = QStringLiteral("文具");
    r.purchasePrice = 3.5;
    r.quantity = 15;
    r.salePrice = 8;
    r.soldQuantity = sold;
    r.salesAmount = salesAmount;
    r.stockQuantity = stock;
    r.stockValue = stockValue;
    r.day1 = QStringLiteral("2016-03-01");
    return r;
}

QList<qint64> ids(ShopFixture &f, const BoundQuery &query)
{
    QList<qint64> out;
    Statement s = f.shop().saleLines().statement(query);
    while (s.next())
        out << s.integer("ID");
    return out;
}

// Sold, sales amount, stock and stock value of a goods row.
QList<double> stockOf(ShopFixture &f, qint64 id)
{
    const GoodsRecord r = *f.goods().findStored(id);
    return {*r.soldQuantity, *r.salesAmount, *r.stockQuantity, *r.stockValue};
}

} // namespace

class TestSaleLineStore : public QObject {
    Q_OBJECT
private slots:
    void conditionQueryBindsWhatIsTyped();
    void monthAllReturnsAndSlipSearch();
    void sortingAndRedRows();
    void deletionGivesTheSaleBack();
    void deletionOfAReturnTakesTheStockOutAgain();
    void deletionFindsTheRightGoodsRow();
    void deletionRefusesUnreadableValuesAndRollsBack();
    void correctionChecksTheArrears();
    void restrictedOperatorIsRefused();
    void statisticsByMonthAndDay();
    void liveSearchFindsWhatTheScanFinds();
    void heldValuesFollowSalesCorrectionsAndDeletions();
};

void TestSaleLineStore::conditionQueryBindsWhatIsTyped()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    Line l;
    const qint64 plain = seedLine(f.db(), l);
    l.quantity = -1.0;
    const qint64 ret = seedLine(f.db(), l);
    l = Line{};
    l.category = QStringLiteral("办公 用品");
    l.customer = QStringLiteral("O'Brien");
    l.day1 = QStringLiteral("2016-05-12");
    const qint64 spaced = seedLine(f.db(), l);
    l = Line{};
    l.name = QStringLiteral("康师傅");
    l.nameInitials = QStringLiteral("KSF");
    l.remark = QStringLiteral("打9折_50%");
    l.day1 = QStringLiteral("2016-05-20");
    const qint64 ksf = seedLine(f.db(), l);
    l.nameInitials = QStringLiteral("KAS"); // k and s, but not side by side
    l.remark = QStringLiteral("打9折X50");
    const qint64 kas = seedLine(f.db(), l);

    using SaleLineQuery::Sign;
    // Empty boxes: every sale, no return, in entry order.
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, {})), (QList<qint64>{plain, spaced, ksf, kas}));
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Returns, {})), (QList<qint64>{ret}));

    SaleLineSearch s;
    s.category = QStringLiteral(" ");
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{spaced}));
    s = {};
    s.nameInitials = QStringLiteral("ks"); // typed in lower case
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{ksf}));
    s.nameInitials = QStringLiteral("康"); // Chinese is no initial
    QVERIFY(ids(f, SaleLineQuery::condition(Sign::Sales, s)).isEmpty());
    // Quote, percent and underscore find themselves and nothing else.
    s = {};
    s.customer = QStringLiteral("'");
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{spaced}));
    s = {};
    s.remark = QStringLiteral("_50%");
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{ksf}));
    s.remark = QStringLiteral("%");
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{ksf}));
    // A date range includes both end days.
    s = {};
    s.dateRange = true;
    s.from = QDate(2016, 5, 12);
    s.to = QDate(2016, 5, 20);
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{spaced, ksf, kas}));
    s.code = QStringLiteral("p0");
    s.specInitials = QStringLiteral("HS");
    QCOMPARE(ids(f, SaleLineQuery::condition(Sign::Sales, s)), (QList<qint64>{spaced, ksf, kas}));
    s.code = QStringLiteral("P02");
    QVERIFY(ids(f, SaleLineQuery::condition(Sign::Sales, s)).isEmpty());
}

void TestSaleLineStore::monthAllReturnsAndSlipSearch()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    Line l;
    l.day1 = QStringLiteral("2016-05-31");
    l.slip = QStringLiteral("20160531001");
    const qint64 may31 = seedLine(f.db(), l);
    l.day1 = QStringLiteral("2016-06-01");
    l.slip = QStringLiteral("20160601001");
    const qint64 june = seedLine(f.db(), l);
    l.day1 = QStringLiteral("2015-05-10");
    l.slip = QStringLiteral("20150510001");
    const qint64 lastYear = seedLine(f.db(), l);
    l.day1 = QStringLiteral("2016-05-01");
    l.slip = QStringLiteral("20160501002");
    l.quantity = -2.0;
    const qint64 mayReturn = seedLine(f.db(), l);

    // The calendar month, returns included, by date: the newest last.
    QCOMPARE(ids(f, SaleLineQuery::month(QDate(2016, 5, 17))), (QList<qint64>{mayReturn, may31}));
    QCOMPARE(ids(f, SaleLineQuery::month(QDate(2016, 12, 1))), QList<qint64>{});
    QCOMPARE(ids(f, SaleLineQuery::all()), (QList<qint64>{lastYear, mayReturn, may31, june}));
    QCOMPARE(ids(f, SaleLineQuery::allReturns()), (QList<qint64>{mayReturn}));
    // The slip search is a containment search, blanks trimmed.
    QCOMPARE(ids(f, SaleLineQuery::slipContaining(QStringLiteral(" 0531 "))), (QList<qint64>{may31}));
    QCOMPARE(ids(f, SaleLineQuery::slipContaining(QStringLiteral("2016"))), (QList<qint64>{may31, june, mayReturn}));
    QCOMPARE(ids(f, SaleLineQuery::slipContaining(QStringLiteral("'"))), QList<qint64>{});
}

void TestSaleLineStore::sortingAndRedRows()
{
    SaleSort sort;
    sort = nextSaleSort(sort, 5);
    QCOMPARE(sort.column, 5);
    QVERIFY(sort.descending);
    sort = nextSaleSort(sort, 5);
    QVERIFY(!sort.descending);
    sort = nextSaleSort(sort, 5);
    QVERIFY(sort.descending);
    sort = nextSaleSort(sort, 5);
    sort = nextSaleSort(sort, 2); // another column starts descending again
    QCOMPARE(sort.column, 2);
    QVERIFY(sort.descending);

    for (double red : {0.4, 0.5, 0.0, -0.4, -1.0, 2.5 - 2.0, std::nan("")})
        QVERIFY2(isRedQuantity(red), qPrintable(QString::number(red)));
    for (double normal : {0.6, 1.5, 2.5, 1.0, 0.5000001})
        QVERIFY2(!isRedQuantity(normal), qPrintable(QString::number(normal)));
}

void TestSaleLineStore::deletionGivesTheSaleBack()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const qint64 goods = f.seedGoods(pen(10, 80, 5, 17.5));
    SaleInput in;
    in.goodsId = goods;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("2");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2016-05-10");
    in.slipNumber = QStringLiteral("20160510001");
    const SaleResult sold = f.shop().sales().confirm(in);
    QVERIFY(sold.ok);
    QCOMPARE(stockOf(f, goods), (QList<double>{12, 96, 3, 10.5}));

    QSignalSpy lines(&f.shop(), &ShopContext::changed);
    const SaleLineOutcome out = f.shop().saleLines().remove(sold.lineId);
    QVERIFY2(out.ok, qPrintable(out.message));
    QCOMPARE(out.goodsId, goods);
    QCOMPARE(stockOf(f, goods), (QList<double>{10, 80, 5, 17.5}));
    QCOMPARE(f.count(QStringLiteral("data1")), 0);
    // One announcement for both rows.
    QCOMPARE(lines.count(), 1);
    const ChangeSet announced = lines.at(0).at(0).value<ChangeSet>();
    QCOMPARE(announced.goods.changedRows(), (QList<qint64>{goods}));
    QCOMPARE(announced.saleLines.removedRows(), (QList<qint64>{sold.lineId}));

    // Gone already: refused, nothing announced.
    const SaleLineOutcome again = f.shop().saleLines().remove(sold.lineId);
    QVERIFY(!again.ok);
    QVERIFY(!again.message.isEmpty());
    QCOMPARE(lines.count(), 1);
}

void TestSaleLineStore::deletionOfAReturnTakesTheStockOutAgain()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const qint64 goods = f.seedGoods(pen(10, 80, 5, 17.5));
    Line l;
    l.quantity = -1.0;
    l.amount = -8.0;
    l.goodsId = goods;
    const qint64 line = seedLine(f.db(), l);
    QVERIFY(f.shop().saleLines().remove(line).ok);
    QCOMPARE(stockOf(f, goods), (QList<double>{11, 88, 4, 14}));

    // The purchase price copied into the line counts, not the row's own.
    Line dear;
    dear.purchase = 0.1;
    dear.quantity = 3.0;
    dear.amount = 0.3;
    dear.goodsId = goods;
    QVERIFY(f.shop().saleLines().remove(seedLine(f.db(), dear)).ok);
    const QList<double> after = stockOf(f, goods);
    QCOMPARE(after.at(0), 8.0);
    QCOMPARE(after.at(1), 87.7);
    QCOMPARE(after.at(2), 7.0);
    QCOMPARE(after.at(3), 14.3); // 14 + 3 × 0.1 as the panel shows it, no binary tail
}

void TestSaleLineStore::deletionFindsTheRightGoodsRow()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    // Names containing the line's name, stocked in the same day: only the
    // equal one is the line's row; of two equal rows the first.
    const qint64 refill = f.seedGoods(pen(1, 8, 9, 31.5, QStringLiteral("钢笔芯")));
    const qint64 pen1 = f.seedGoods(pen(2, 16, 8, 28, QStringLiteral(" 钢笔 ")));
    const qint64 pen2 = f.seedGoods(pen(3, 24, 7, 24.5));
    const qint64 box = f.seedGoods(pen(4, 32, 6, 21, QStringLiteral("钢笔盒")));

    Line older; // no goods_id
    older.name = QStringLiteral("钢笔 ");
    older.quantity = 1.0;
    older.amount = 8.0;
    QVERIFY(f.shop().saleLines().remove(seedLine(f.db(), older)).ok);
    QCOMPARE(stockOf(f, pen1), (QList<double>{1, 8, 9, 31.5}));
    QCOMPARE(stockOf(f, refill), (QList<double>{1, 8, 9, 31.5}));
    QCOMPARE(stockOf(f, pen2), (QList<double>{3, 24, 7, 24.5}));
    QCOMPARE(stockOf(f, box), (QList<double>{4, 32, 6, 21}));

    // Another stock-in date: no row matches, the line still goes.
    older.day2 = QStringLiteral("2016-03-02");
    const qint64 unmatched = seedLine(f.db(), older);
    QSignalSpy changed(&f.shop(), &ShopContext::changed);
    SaleLineOutcome out = f.shop().saleLines().remove(unmatched);
    QVERIFY(out.ok);
    QCOMPARE(out.goodsId, 0);
    QCOMPARE(changed.count(), 1);
    QVERIFY(changed.at(0).at(0).value<ChangeSet>().goods.isEmpty());

    // A goods_id names the row, whatever the fields say; a row that is gone
    // changes nothing, even though another row has the same fields.
    Line linked;
    linked.name = QStringLiteral("别的名字");
    linked.goodsId = box;
    QVERIFY(f.shop().saleLines().remove(seedLine(f.db(), linked)).ok);
    QCOMPARE(stockOf(f, box), (QList<double>{3, 24, 7, 24.5}));
    const qint64 gone = f.seedGoods(pen(5, 40, 5, 17.5));
    linked = Line{};
    linked.goodsId = gone;
    const qint64 orphan = seedLine(f.db(), linked);
    QVERIFY(f.goods().remove(gone));
    out = f.shop().saleLines().remove(orphan);
    QVERIFY(out.ok);
    QCOMPARE(out.goodsId, 0);
    QCOMPARE(stockOf(f, pen1), (QList<double>{1, 8, 9, 31.5}));
    QCOMPARE(stockOf(f, pen2), (QList<double>{3, 24, 7, 24.5}));
    QCOMPARE(f.count(QStringLiteral("data1")), 0);

    // No sold quantity in the row: only the line goes.
    GoodsRecord empty = pen(0, 0, 5, 17.5);
    empty.soldQuantity.reset();
    const qint64 noSold = f.seedGoods(empty);
    linked.goodsId = noSold;
    out = f.shop().saleLines().remove(seedLine(f.db(), linked));
    QVERIFY(out.ok);
    QCOMPARE(out.goodsId, 0);
    QVERIFY(!f.goods().findStored(noSold)->soldQuantity);
    QCOMPARE(*f.goods().findStored(noSold)->stockQuantity, 5.0);
}

void TestSaleLineStore::deletionRefusesUnreadableValuesAndRollsBack()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const qint64 goods = f.seedGoods(pen(10, 80, 5, 17.5));
    Line l;
    l.goodsId = goods;
    l.purchase = QVariant(); // no purchase price copied
    const qint64 noPrice = seedLine(f.db(), l);
    SaleLineOutcome out = f.shop().saleLines().remove(noPrice);
    QVERIFY(!out.ok);
    QVERIFY2(out.message.contains(QStringLiteral("进货单价")), qPrintable(out.message));
    QCOMPARE(f.count(QStringLiteral("data1")), 1);
    QCOMPARE(stockOf(f, goods), (QList<double>{10, 80, 5, 17.5}));

    // Text an older file left in the row's sales amount (a server refuses
    // to hold it).
    const bool server = TestEnvironment::onServer();
    l.purchase = 3.5;
    if (!server) {
        f.db().execScript(QStringLiteral("UPDATE data SET \"6\"='abc'"));
        out = f.shop().saleLines().remove(seedLine(f.db(), l));
        QVERIFY(!out.ok);
        QVERIFY2(out.message.contains(QStringLiteral("销售金额")), qPrintable(out.message));
        QCOMPARE(f.count(QStringLiteral("data1")), 2);
        f.db().execScript(QStringLiteral("UPDATE data SET \"6\"=80"));
    } else {
        seedLine(f.db(), l);
    }

    // The line's deletion fails after the goods row was written: the goods
    // row is rolled back with it.
    f.db().execScript(server ? QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                              "$$BEGIN RAISE EXCEPTION 'refused'; END$$; "
                                              "CREATE TRIGGER no_delete BEFORE DELETE ON data1 "
                                              "FOR EACH ROW EXECUTE FUNCTION refuse()")
                             : QStringLiteral("CREATE TRIGGER no_delete BEFORE DELETE ON data1 BEGIN SELECT "
                                              "RAISE(ABORT, 'refused'); END"));
    QSignalSpy lines(&f.shop(), &ShopContext::changed);
    QVERIFY_THROWS_EXCEPTION(DbError, f.shop().saleLines().remove(noPrice + 1));
    QCOMPARE(stockOf(f, goods), (QList<double>{10, 80, 5, 17.5}));
    QCOMPARE(f.count(QStringLiteral("data1")), 2);
    QCOMPARE(lines.count(), 0);
    QVERIFY(!f.db().inTransaction());
}

void TestSaleLineStore::correctionChecksTheArrears()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    Line l;
    l.arrears = 5.0;
    l.customer = QStringLiteral("张三");
    const qint64 id = seedLine(f.db(), l);
    QSignalSpy lines(&f.shop(), &ShopContext::changed);
    SaleLineCorrection c;
    c.slipNumber = QStringLiteral("X");
    c.customer = QStringLiteral("李四");
    // The sale's own limits: no negative arrears, nothing from 10^12 up.
    for (const QString &bad : {QString(), QStringLiteral("."), QStringLiteral("1.2.3"), QString(20, QLatin1Char('9')),
                               QStringLiteral("-5"), QStringLiteral("5000000000000"), QStringLiteral("1000000000000")}) {
        c.arrears = bad;
        const SaleLineOutcome out = f.shop().saleLines().correct(id, c);
        QVERIFY(!out.ok);
        QVERIFY(!out.message.isEmpty());
    }
    QCOMPARE(lines.count(), 0);
    QCOMPARE(*f.shop().saleLines().find(id)->arrears, 5.0);
    QCOMPARE(f.shop().saleLines().find(id)->customer, QStringLiteral("张三"));

    c.arrears = QStringLiteral("12.5");
    c.slipNumber = QStringLiteral(" 20160510009 ");
    c.customer = QStringLiteral(" 王五 ");
    c.address = QStringLiteral(" 北京 ");
    c.phone = QStringLiteral(" 123 ");
    c.remark = QStringLiteral(" 熟客 ");
    QVERIFY(f.shop().saleLines().correct(id, c).ok);
    const SaleLine after = *f.shop().saleLines().find(id);
    QCOMPARE(*after.arrears, 12.5);
    QCOMPARE(after.slipNumber, QStringLiteral("20160510009"));
    QCOMPARE(after.customer, QStringLiteral("王五"));
    QCOMPARE(after.address, QStringLiteral("北京"));
    QCOMPARE(after.phone, QStringLiteral("123"));
    QCOMPARE(after.remark, QStringLiteral("熟客"));
    QCOMPARE(*after.quantity, 1.0); // goods and amounts stay
    QCOMPARE(lines.count(), 1);
}

void TestSaleLineStore::restrictedOperatorIsRefused()
{
    ShopFixture f;
    f.addOperator(QStringLiteral("营业员"));
    QVERIFY(f.signIn(QStringLiteral("营业员")));
    const qint64 goods = f.seedGoods(pen(10, 80, 5, 17.5));
    Line l;
    l.goodsId = goods;
    const qint64 id = seedLine(f.db(), l);
    QVERIFY_THROWS_EXCEPTION(NotPermitted, f.shop().saleLines().remove(id));
    SaleLineCorrection c;
    c.arrears = QStringLiteral("1");
    QVERIFY_THROWS_EXCEPTION(NotPermitted, f.shop().saleLines().correct(id, c));
    QVERIFY_THROWS_EXCEPTION(NotPermitted, f.shop().statistics().byMonth(StatValue::SalesAmount, 2016));
    QCOMPARE(f.count(QStringLiteral("data1")), 1);
    QCOMPARE(stockOf(f, goods), (QList<double>{10, 80, 5, 17.5}));
    // The profit is never read for him.
    QCOMPARE(f.shop().saleLines().hiddenFields(), QStringList{QStringLiteral("a5")});
    QVERIFY(!f.shop().saleLines().find(id)->profit);
}

void TestSaleLineStore::statisticsByMonthAndDay()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    auto add = [&](const char *day, double amount, double profit) {
        Line l;
        l.day1 = QLatin1String(day);
        l.amount = amount;
        l.quantity = amount < 0 ? -1.0 : 1.0;
        l.profit = profit;
        seedLine(f.db(), l);
    };
    add("2016-01-31", 10, 2);
    add("2016-01-31", 20, 3);
    add("2016-03-01", 5, 1);
    add("2016-03-02", -8, -4.5); // a day of returns only
    add("2016-12-31", 7, 1.5);
    // Sales and a return that cancel out to the fen: a bar of 0, no residue.
    add("2016-06-10", 1.1, 0.1);
    add("2016-06-10", 2.2, 0.2);
    add("2016-06-10", -3.3, -0.3);
    add("2017-01-01", 100, 50);
    add("2015-12-31", 100, 50);
    SalesStatistics &stats = f.shop().statistics();
    auto flat = [](const std::vector<StatBar> &bars) {
        QList<double> out;
        for (const StatBar &b : bars)
            out << b.slot << b.total;
        return out;
    };
    QCOMPARE(flat(stats.byMonth(StatValue::Profit, 2016)), (QList<double>{1, 5, 3, -3.5, 6, 0, 12, 1.5}));
    QCOMPARE(flat(stats.byMonth(StatValue::SalesAmount, 2016)), (QList<double>{1, 30, 3, -3, 6, 0, 12, 7}));
    QCOMPARE(flat(stats.byDay(StatValue::SalesAmount, 2016, 6)), (QList<double>{10, 0}));
    QVERIFY(stats.byMonth(StatValue::Profit, 2014).empty());
    QCOMPARE(flat(stats.byDay(StatValue::Profit, 2016, 1)), (QList<double>{31, 5}));
    QCOMPARE(flat(stats.byDay(StatValue::SalesAmount, 2016, 3)), (QList<double>{1, 5, 2, -8}));
    QCOMPARE(flat(stats.byDay(StatValue::SalesAmount, 2016, 12)), (QList<double>{31, 7}));
    QVERIFY(stats.byDay(StatValue::Profit, 2016, 13).empty());
    QVERIFY(stats.byDay(StatValue::Profit, 2016, 0).empty());

    QCOMPARE(SalesStatistics::wholeNumber(QStringLiteral("2016")), std::optional<int>(2016));
    QCOMPARE(SalesStatistics::wholeNumber(QStringLiteral(" 7 ")), std::optional<int>(7));
    for (const char *bad : {"", "20a6", "1.5", "-3", "2016'", "1234567890"})
        QVERIFY2(!SalesStatistics::wholeNumber(QLatin1String(bad)), bad);

    // The sums read a range of the day1 index, not the whole table (the
    // embedded engine's plan; a server chooses by its statistics).
    if (TestEnvironment::onServer())
        return;
    Statement plan = f.db().prepare(QStringLiteral(
        "EXPLAIN QUERY PLAN SELECT day1,SUM(fen(a5))/100.0 FROM data1 WHERE day1>=:from AND day1<:to GROUP BY day1 ORDER BY day1"));
    plan.bind(":from", QStringLiteral("2016-01-01")).bind(":to", QStringLiteral("2016-02-01"));
    QString detail;
    while (plan.next())
        detail += plan.text(plan.columnCount() - 1) + QLatin1Char('\n');
    QVERIFY2(detail.contains(QStringLiteral("data1_day1")), qPrintable(detail));
}

QTEST_GUILESS_MAIN(TestSaleLineStore)

namespace {

QList<qint64> listed(const std::vector<qint64> &ids) { return QList<qint64>(ids.begin(), ids.end()); }

QList<qint64> searched(ShopFixture &f, SaleLineQuery::Sign sign, const SaleLineSearch &search)
{
    return listed(f.shop().saleLines().searchIds(sign, search));
}

} // namespace

void TestSaleLineStore::liveSearchFindsWhatTheScanFinds()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    // Awkward stored values: none, empty, the pattern characters, letters in
    // both cases, a space, Chinese.
    const QVariant none;
    const QList<QVariant> customers{none, QString(), QStringLiteral("100%"), QStringLiteral("a_b"),
                                    QStringLiteral("AbC"), QStringLiteral("abc"), QStringLiteral("王 五"),
                                    QStringLiteral("Ab%c_"), QStringLiteral("\\x")};
    // Quantities that are sales, returns, and neither (0, none, text; a
    // server keeps no text in a number column).
    QList<QVariant> quantities{2.0, -1.0, 0.0, none};
    if (!TestEnvironment::onServer())
        quantities << QStringLiteral("x");
    int n = 0;
    for (const QVariant &customer : customers)
        for (const QVariant &quantity : quantities) {
            Statement s = f.db().prepare(QStringLiteral("INSERT INTO data1 (g,j,e,\"3\",day1) VALUES (:g,:j,:e,:q,:day)"));
            s.bind(":g", customer).bind(":j", customers.at((n + 3) % customers.size()));
            s.bind(":e", customers.at((n + 5) % customers.size())).bind(":q", quantity);
            s.bind(":day", QStringLiteral("2016-05-%1").arg(10 + n % 3));
            s.exec();
            ++n;
        }
    const QStringList texts{QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("a"), QStringLiteral("B"),
                            QStringLiteral("bc"), QStringLiteral(" "), QStringLiteral("王"), QStringLiteral("0%"),
                            QStringLiteral("\\"), QStringLiteral("c_"), QStringLiteral("无")};
    for (const auto sign : {SaleLineQuery::Sign::Sales, SaleLineQuery::Sign::Returns})
        for (const QString &text : texts) {
            SaleLineSearch one;
            one.customer = text;
            QCOMPARE(searched(f, sign, one), ids(f, SaleLineQuery::condition(sign, one)));
            // Two boxes narrow together, with a range of days.
            SaleLineSearch two = one;
            two.remark = QStringLiteral("a");
            two.nameInitials = text == QStringLiteral("a") ? QStringLiteral("b") : QString();
            two.dateRange = true;
            two.from = QDate(2016, 5, 10);
            two.to = QDate(2016, 5, 11);
            QCOMPARE(searched(f, sign, two), ids(f, SaleLineQuery::condition(sign, two)));
        }
    const SaleLineSearch empty;
    for (const auto sign : {SaleLineQuery::Sign::Sales, SaleLineQuery::Sign::Returns})
        QCOMPARE(searched(f, sign, empty), ids(f, SaleLineQuery::condition(sign, empty)));
    // "全部记录" and "全部退货" in their date order, from indexes alone.
    QCOMPARE(listed(f.shop().saleLines().allLineIds()), ids(f, SaleLineQuery::all()));
    QCOMPARE(listed(f.shop().saleLines().allReturnIds()), ids(f, SaleLineQuery::allReturns()));
}

void TestSaleLineStore::heldValuesFollowSalesCorrectionsAndDeletions()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const qint64 goods = f.seedGoods(pen(0, 0, 5, 17.5));
    Line l;
    l.customer = QStringLiteral("甲");
    l.remark = QStringLiteral("月结");
    l.goodsId = goods;
    const qint64 first = seedLine(f.db(), l);
    l.customer = QStringLiteral("乙");
    l.remark = QString();
    const qint64 second = seedLine(f.db(), l);
    // Categories that are none, empty, or differ in case alone.
    for (const QVariant &category : {QVariant(), QVariant(QString()), QVariant(QStringLiteral("abc")),
                                     QVariant(QStringLiteral("ABC")), QVariant(QStringLiteral("Abd")),
                                     QVariant(QStringLiteral("白菜"))})
        f.db().prepare(QStringLiteral("INSERT INTO data1 (d) VALUES (:d)")).bind(":d", category).exec();
    SaleLineStore &store = f.shop().saleLines();
    // Every searched column held (as its first search reads it).
    for (QString SaleLineSearch::*box : {&SaleLineSearch::category, &SaleLineSearch::nameInitials, &SaleLineSearch::code,
                                         &SaleLineSearch::specInitials, &SaleLineSearch::customer, &SaleLineSearch::remark}) {
        SaleLineSearch one;
        one.*box = QStringLiteral("x");
        searched(f, SaleLineQuery::Sign::Sales, one);
    }
    auto sameAsFile = [&] {
        for (int c = 0; c < SaleLineValues::kColumns; ++c) {
            const auto column = SaleLineValues::Column(c);
            Statement s = f.db().prepare(QStringLiteral("SELECT DISTINCT \"%1\" FROM data1 WHERE \"%1\" IS NOT NULL")
                                             .arg(QLatin1String(SaleLineValues::field(column))));
            QStringList file;
            while (s.next())
                file << s.text(0);
            file.sort();
            if (store.heldValues().values(column) != file) {
                qWarning() << SaleLineValues::field(column) << store.heldValues().values(column) << file;
                return false;
            }
        }
        // The IDs held for "全部记录" and the unnarrowed search.
        return listed(store.allLineIds()) == ids(f, SaleLineQuery::all())
               && searched(f, SaleLineQuery::Sign::Sales, {}) == ids(f, SaleLineQuery::condition(SaleLineQuery::Sign::Sales, {}));
    };
    QVERIFY(sameAsFile());

    SaleInput in;
    in.goodsId = goods;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("1");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2016-05-11");
    in.slipNumber = QStringLiteral("20160511001");
    in.customer = QStringLiteral("丙");
    QVERIFY(f.shop().sales().confirm(in).ok);
    QVERIFY(store.heldValues().values(SaleLineValues::Customer).contains(QStringLiteral("丙")));
    QVERIFY(sameAsFile());
    // A sale dated before the last one shown takes its place among the dates.
    in.saleDate = QStringLiteral("2016-05-01");
    QVERIFY(f.shop().sales().confirm(in).ok);
    QVERIFY(sameAsFile());

    // The only line of 甲 becomes 丁's: 甲 goes, and the remark it kept stays.
    SaleLineCorrection c;
    c.arrears = QStringLiteral("0");
    c.customer = QStringLiteral("丁");
    c.remark = QStringLiteral("月结");
    QVERIFY(store.correct(first, c).ok);
    QVERIFY(!store.heldValues().values(SaleLineValues::Customer).contains(QStringLiteral("甲")));
    QVERIFY(sameAsFile());
    // 乙 had one line; deleting it takes 乙 out.
    QVERIFY(store.remove(second).ok);
    QVERIFY(!store.heldValues().values(SaleLineValues::Customer).contains(QStringLiteral("乙")));
    QVERIFY(sameAsFile());
    // The category list from the held values is the engine's distinct list.
    QCOMPARE(store.categories(), DistinctValues(f.db(), QStringLiteral("d"), QStringLiteral("data1")));
    SaleLineSearch byCustomer;
    byCustomer.customer = QStringLiteral("丁");
    QCOMPARE(searched(f, SaleLineQuery::Sign::Sales, byCustomer), (QList<qint64>{first}));
}

#include "tst_salelinestore.moc"
