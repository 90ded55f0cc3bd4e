#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsQuery.h"
#include "goods/GoodsStore.h"
#include "goods/StockAlarm.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;
using quollin::test::TestEnvironment;

namespace {

StockInBoxes boxes(const QString &name, const QString &price, const QString &quantity)
{
    StockInBoxes b;
    b.name = name;
    b.specification = QStringLiteral("500ml");
    b.code = QStringLiteral("6901234");
    b.category = QStringLiteral("饮料");
    b.date = QStringLiteral("2016-03-05");
    b.purchasePrice = price;
    b.quantity = quantity;
    b.salePrice = QStringLiteral("3");
    b.supplier = QStringLiteral("华联");
    return b;
}

// A row as an import or an old file may hold it, amounts possibly empty.
GoodsRecord row(const QString &name, std::optional<double> quantity, std::optional<double> stock,
                const QString &day1 = QStringLiteral("2016-03-01"))
{
    GoodsRecord r;
    r.name = name;
    r.category = QStringLiteral("五金");
    r.quantity = quantity;
    r.stockQuantity = stock;
    r.day1 = day1;
    return r;
}

QStringList names(const std::vector<GoodsRecord> &rows)
{
    QStringList out;
    for (const GoodsRecord &r : rows)
        out << r.name;
    return out;
}

qint64 rowCount(Database &db)
{
    Statement s = db.prepare(QStringLiteral("SELECT count(*) FROM data"));
    s.next();
    return s.integer(0);
}

} // namespace

class GoodsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void newStockInDerivesAmountAndStock()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        GoodsStore &store = shop.goods();

        const StockInCheck added = store.addStockIn(boxes(QStringLiteral("  可口可乐 "), QStringLiteral("12.5"),
                                                          QStringLiteral("4")));
        QVERIFY2(added.ok(), qPrintable(added.error));
        const std::optional<GoodsRecord> stored = store.find(added.record->id);
        QVERIFY(stored);
        QCOMPARE(*stored, *added.record);
        QCOMPARE(stored->name, QStringLiteral("可口可乐"));
        QCOMPARE(stored->nameInitials, QStringLiteral("kkkl"));
        QCOMPARE(stored->purchaseAmount, 50.0);
        QCOMPARE(stored->stockQuantity, 4.0);
        QCOMPARE(stored->stockValue, 50.0);
        QCOMPARE(stored->soldQuantity, 0.0);
        QCOMPARE(stored->salesAmount, 0.0);
        QCOMPARE(stored->day1, QStringLiteral("2016-03-05"));

        // The product is what its shown text reads, not the binary noise.
        const StockInCheck tenth = store.addStockIn(boxes(QStringLiteral("螺丝"), QStringLiteral("0.1"),
                                                          QStringLiteral("3")));
        QVERIFY(tenth.ok());
        QCOMPARE(*store.find(tenth.record->id)->purchaseAmount, 0.3);
        QCOMPARE(rowCount(*db), 2);
    }

    void changeRecountsStockAsPurchasedMinusSold()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        GoodsRecord old = row(QStringLiteral("扳手"), 10, 99);
        old.soldQuantity = 3;
        old.salesAmount = 9;
        const qint64 id = store.insert(old);
        const qint64 neighbour = store.insert(row(QStringLiteral("钳子"), 1, 1));
        const GoodsRecord neighbourBefore = *store.find(neighbour);

        StockInBoxes b = boxes(QStringLiteral("扳手"), QStringLiteral("2"), QStringLiteral("10"));
        b.soldQuantity = QStringLiteral("3");
        b.salesAmount = QStringLiteral("9");
        const StockInCheck changed = store.changeStockIn(id, b);
        QVERIFY2(changed.ok(), qPrintable(changed.error));
        const GoodsRecord after = *store.find(id);
        QCOMPARE(after.stockQuantity, 7.0);
        QCOMPARE(after.stockValue, 14.0);
        QCOMPARE(after.purchaseAmount, 20.0);
        QCOMPARE(after.soldQuantity, 3.0);
        QCOMPARE(after.salesAmount, 9.0);
        QCOMPARE(*store.find(neighbour), neighbourBefore);
    }

    void deleteRemovesOnlyTheAddressedRow()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        GoodsStore &store = shop.goods();
        // Two identical rows: only the ID tells them apart.
        const qint64 first = store.insert(row(QStringLiteral("胶带"), 2, 2));
        const qint64 second = store.insert(row(QStringLiteral("胶带"), 2, 2));

        QVERIFY(store.remove(first));
        QVERIFY(!store.find(first));
        QVERIFY(store.find(second));
        QVERIFY(!store.remove(first));

        const StockInCheck gone = store.changeStockIn(first, boxes(QStringLiteral("胶带"), QStringLiteral("1"),
                                                                   QStringLiteral("1")));
        QVERIFY(!gone.ok());
        QCOMPARE(rowCount(*db), 1);
    }

    void listAndConditionFollowTheZeroStockSwitch()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        store.insert(row(QStringLiteral("late"), 5, 5, QStringLiteral("2016-04-01")));
        store.insert(row(QStringLiteral("imported"), 0, 0));
        store.insert(row(QStringLiteral("owed"), 3, -2));
        store.insert(row(QStringLiteral("blank"), std::nullopt, std::nullopt));
        store.insert(row(QStringLiteral("soldout"), 4, 0));

        QCOMPARE(names(store.list(ZeroStock::Shown)),
                 (QStringList{"imported", "owed", "blank", "soldout", "late"}));
        QCOMPARE(names(store.list(ZeroStock::Hidden)), (QStringList{"owed", "late"}));
        QCOMPARE(names(store.search(ZeroStock::Shown, {})), (QStringList{"late", "owed", "soldout"}));
        QCOMPARE(names(store.search(ZeroStock::Hidden, {})), (QStringList{"late", "owed"}));

        GoodsSearch march;
        march.category = QStringLiteral("五");
        march.dateRange = true;
        march.from = QDate(2016, 3, 1);
        march.to = QDate(2016, 3, 31);
        QCOMPARE(names(store.search(ZeroStock::Shown, march)), (QStringList{"owed", "soldout"}));
        march.category = QStringLiteral("饮料");
        QVERIFY(store.search(ZeroStock::Shown, march).empty());

        const GoodsDropDowns lists = store.dropDowns();
        QCOMPARE(lists.names, (QStringList{"blank", "imported", "late", "owed", "soldout"}));
        QCOMPARE(lists.categories, QStringList{QStringLiteral("五金")});
    }

    void dropDownsMatchTheEnginesDistinctOrder()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        Statement insert = db->prepare(QStringLiteral("INSERT INTO data (a, b, c, d, g) VALUES (:v, :v, :v, :v, :v)"));
        for (const QVariant &v : {QVariant(QStringLiteral("可乐")), QVariant(), QVariant(QString()), QVariant(QStringLiteral("b")),
                                  QVariant(QStringLiteral("B")), QVariant(QStringLiteral("可乐")), QVariant(QStringLiteral("\U0001F600")),
                                  QVariant(QStringLiteral("\uFF21")), QVariant(QStringLiteral("饼干"))}) {
            insert.reset();
            insert.bind(":v", v).exec();
        }
        const GoodsDropDowns lists = shop.goods().dropDowns();
        const std::pair<const QStringList *, const char *> columns[] = {
            {&lists.names, "a"}, {&lists.specifications, "b"}, {&lists.codes, "c"}, {&lists.categories, "d"},
            {&lists.suppliers, "g"}};
        for (auto [list, column] : columns)
            QCOMPARE(*list, DistinctValues(*db, QLatin1String(column), QStringLiteral("data")));
        // Null and empty text are two entries, as the engine lists them; "b"
        // and "B" one, under the code point least of them.
        QCOMPARE(lists.names, (QStringList{QString(), QStringLiteral(""), QStringLiteral("\U0001F600"),
                                           QStringLiteral("\uFF21"), QStringLiteral("B"), QStringLiteral("饼干"),
                                           QStringLiteral("可乐")}));
        QVERIFY(lists.names.first().isNull());
        QVERIFY(!lists.names.at(1).isNull());
    }

    void dropDownListsAreInPinyinOrderIgnoringCase()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        const char *goods[][2] = {{"铅笔", "张"}, {"锤子", "李"}, {"coke", "王"}, {"Coke", "李"},
                                  {"Cokes", "张"}, {"2B铅笔", "wang"}, {"COKE", "Wang"}};
        for (const auto &[name, supplier] : goods) {
            GoodsRecord r = row(QString::fromUtf8(name), 1, 1);
            r.supplier = QString::fromUtf8(supplier);
            store.insert(r);
        }
        const GoodsDropDowns lists = store.dropDowns();
        // Digits, then Latin letters, then Chinese by pinyin (chui, qian);
        // "coke" in any case is one entry, "Cokes" one of its own.
        QCOMPARE(lists.names, (QStringList{"2B铅笔", "COKE", "Cokes", "锤子", "铅笔"}));
        QCOMPARE(lists.suppliers, (QStringList{"Wang", "李", "王", "张"}));
    }

    void searchTextIsMatchedLiterally_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("percent") << "%" << QStringList{"100%"};
        QTest::newRow("underscore") << "_" << QStringList{"a_b"};
        QTest::newRow("backslash") << "\\" << QStringList{"c:\\x"};
        QTest::newRow("quotes") << "O'Brien \"" << QStringList{"O'Brien \"可乐\""};
        QTest::newRow("statement text") << "' or 1=1 --" << QStringList{};
    }
    void searchTextIsMatchedLiterally()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        for (const char *remark : {"100%", "1000", "a_b", "axb", "c:\\x", "O'Brien \"可乐\""}) {
            GoodsRecord r = row(QString::fromUtf8(remark), 1, 1);
            r.remarks = r.name;
            store.insert(r);
        }
        GoodsSearch search;
        search.remarks = typed;
        QCOMPARE(names(store.search(ZeroStock::Shown, search)), found);
        GoodsSearch harmless;
        harmless.remarks = QStringLiteral("x");
        QCOMPARE(GoodsQuery::condition(ZeroStock::Shown, search).sql,
                 GoodsQuery::condition(ZeroStock::Shown, harmless).sql);
    }

    void initialsSearchFindsAnywhereIgnoringCase()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        QVERIFY(store.addStockIn(boxes(QStringLiteral("可口可乐"), QStringLiteral("2"), QStringLiteral("6"))).ok());
        StockInBoxes bread = boxes(QStringLiteral("面包"), QStringLiteral("2"), QStringLiteral("6"));
        bread.specification = QStringLiteral("大号");
        QVERIFY(store.addStockIn(bread).ok());

        const auto byName = [&](const QString &typed) {
            return names(store.load(GoodsQuery::initials(ZeroStock::Shown, GoodsQuery::InitialsOf::Name, typed)));
        };
        QCOMPARE(byName("k"), QStringList{"可口可乐"});
        QCOMPARE(byName("kl"), QStringList{"可口可乐"}); // the last two characters
        QCOMPARE(byName("KKK"), QStringList{"可口可乐"});
        QCOMPARE(byName("mb"), QStringList{"面包"});
        QVERIFY(byName("km").isEmpty());
        const auto bySpec = store.load(GoodsQuery::initials(ZeroStock::Shown, GoodsQuery::InitialsOf::Specification,
                                                            QStringLiteral("dh")));
        QCOMPARE(names(bySpec), QStringList{"面包"});
    }

    void alarmComparesWithStockRoundedHalfToEven_data()
    {
        QTest::addColumn<std::optional<double>>("stock");
        QTest::addColumn<bool>("red");
        QTest::newRow("5") << std::optional<double>(5) << true;
        QTest::newRow("5.4") << std::optional<double>(5.4) << true;
        QTest::newRow("4.6") << std::optional<double>(4.6) << true;
        QTest::newRow("4.5 to 4") << std::optional<double>(4.5) << true;
        QTest::newRow("0") << std::optional<double>(0) << true;
        QTest::newRow("no stock") << std::optional<double>() << true;
        QTest::newRow("-3") << std::optional<double>(-3) << true;
        QTest::newRow("5.5 to 6") << std::optional<double>(5.5) << false;
        QTest::newRow("5.6") << std::optional<double>(5.6) << false;
        QTest::newRow("6") << std::optional<double>(6) << false;
        QTest::newRow("6.5 to 6") << std::optional<double>(6.5) << false;
        QTest::newRow("5.5 with binary noise") << std::optional<double>(5.499999999999999) << false;
    }
    void alarmComparesWithStockRoundedHalfToEven()
    {
        QFETCH(std::optional<double>, stock);
        QFETCH(bool, red);
        QCOMPARE(StockAlarm::isRed(StockAlarm::parseLevel(QStringLiteral("5")), stock), red);
    }

    void alarmLevelThatIsNoWholeNumberPaintsNothing()
    {
        for (const char *text : {"", "a", "5.0", "-1", " 5"})
            QVERIFY2(!StockAlarm::isRed(StockAlarm::parseLevel(QString::fromUtf8(text)), 0.0), text);
        QCOMPARE(StockAlarm::parseLevel(QStringLiteral("007")), 7);
    }

    void titleClicksSortDescendingFirstThenAlternate()
    {
        SortStep step = sortClick(SortMark::None);
        QVERIFY(step.descending);
        step = sortClick(step.markAfter);
        QVERIFY(!step.descending);
        step = sortClick(step.markAfter);
        QVERIFY(step.descending);
        QCOMPARE(step.markAfter, SortMark::Ascending);
    }

    void refusedStockInNamesTheBoxAndWritesNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("message");
        QTest::newRow("two points") << "purchasePrice" << "1.2.3" << int(StockInBox::PurchasePrice) << "进货单价";
        QTest::newRow("lone point") << "quantity" << "." << int(StockInBox::Quantity) << "数量";
        QTest::newRow("letter") << "salePrice" << "3a" << int(StockInBox::SalePrice) << "销售单价";
        QTest::newRow("sold") << "soldQuantity" << "x" << int(StockInBox::SoldQuantity) << "销售数量";
        QTest::newRow("blank code") << "code" << "  " << int(StockInBox::Code) << "商品编码必须输入！";
        QTest::newRow("blank price") << "purchasePrice" << "" << int(StockInBox::PurchasePrice) << "进货单价必须输入！";
        QTest::newRow("no date") << "date" << "" << int(StockInBox::Date) << "入库日期必须输入";
        QTest::newRow("bad date") << "date" << "2016-02-30" << int(StockInBox::Date) << "入库日期";
        QTest::newRow("negative quantity") << "quantity" << "-3" << int(StockInBox::Quantity) << "数量“-3”不能为负数";
        QTest::newRow("negative price") << "purchasePrice" << "-0.5" << int(StockInBox::PurchasePrice)
                                        << "进货单价“-0.5”不能为负数";
        QTest::newRow("negative sale price") << "salePrice" << "-1" << int(StockInBox::SalePrice)
                                             << "销售单价“-1”不能为负数";
        QTest::newRow("price at the bound") << "purchasePrice" << "1000000000000" << int(StockInBox::PurchasePrice)
                                            << "进货单价“1000000000000”超出允许的范围";
        QTest::newRow("quantity of 201 digits") << "quantity" << "1" + QString(200, QLatin1Char('0'))
                                                << int(StockInBox::Quantity) << "超出允许的范围";
        QTest::newRow("sold beyond the bound") << "soldQuantity" << "-1000000000000" << int(StockInBox::SoldQuantity)
                                               << "销售数量“-1000000000000”超出允许的范围";
    }
    void refusedStockInNamesTheBoxAndWritesNothing()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, box);
        QFETCH(QString, message);
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        GoodsStore &store = shop.goods();
        const qint64 id = store.insert(row(QStringLiteral("扳手"), 10, 10));
        const GoodsRecord before = *store.find(id);

        StockInBoxes b = boxes(QStringLiteral("扳手"), QStringLiteral("2"), QStringLiteral("8"));
        QHash<QString, QString *> fields{{"purchasePrice", &b.purchasePrice}, {"quantity", &b.quantity},
                                        {"salePrice", &b.salePrice},         {"soldQuantity", &b.soldQuantity},
                                        {"code", &b.code},                   {"date", &b.date}};
        *fields.value(field) = text;

        const StockInCheck added = store.addStockIn(b);
        QVERIFY(!added.ok());
        QCOMPARE(int(added.box), box);
        QVERIFY2(added.error.contains(message), qPrintable(added.error));
        QCOMPARE(rowCount(*db), 1);

        // A change takes the sold quantity from the row itself, never from
        // the boxes: a bad one there is no refusal of the change.
        if (field == QLatin1String("soldQuantity"))
            return;
        const StockInCheck changed = store.changeStockIn(id, b);
        QCOMPARE(int(changed.box), box);
        QCOMPARE(*store.find(id), before);
    }

    // Row A's values left in the panel must not be written into row B.
    void changeKeepsTheTargetRowsOwnSales()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        GoodsStore &store = shop.goods();
        GoodsRecord a = row(QStringLiteral("甲"), 100, 99);
        a.soldQuantity = 1;
        a.salesAmount = 3;
        GoodsRecord b = row(QStringLiteral("乙"), 100, 60);
        b.soldQuantity = 40;
        b.salesAmount = 120;
        shop.seedGoods(a);
        const qint64 idB = shop.seedGoods(b);

        StockInBoxes fromA = boxes(QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("100"));
        fromA.soldQuantity = QStringLiteral("1");
        fromA.salesAmount = QStringLiteral("3");
        const StockInCheck changed = store.changeStockIn(idB, fromA);
        QVERIFY2(changed.ok(), qPrintable(changed.error));
        const GoodsRecord stored = *store.find(idB);
        QCOMPARE(stored.soldQuantity, 40.0);
        QCOMPARE(stored.salesAmount, 120.0);
        QCOMPARE(stored.stockQuantity, 60.0);
        QCOMPARE(stored.stockValue, 120.0);
    }

    // Rights live in the rules: an ordinary operator who reaches a hidden
    // command (a screen reader, an automation client) is refused there, and
    // the values he may not see never leave the store.
    void ordinaryOperatorIsRefusedByTheRules()
    {
        ShopFixture shop;
        const qint64 id = shop.seedGoods(row(QStringLiteral("扳手"), 10, 9));
        shop.addOperator(QStringLiteral("小王"));
        QVERIFY(shop.signIn(QStringLiteral("小王")));
        GoodsStore &store = shop.goods();
        const GoodsRecord before = *store.findStored(id);

        QSignalSpy changes(&shop.shop(), &ShopContext::changed);
        QVERIFY_THROWS_EXCEPTION(NotPermitted, store.changeStockIn(id, boxes(QStringLiteral("扳手"), QStringLiteral("1"),
                                                                             QStringLiteral("10"))));
        QVERIFY_THROWS_EXCEPTION(NotPermitted, store.addStockIn(boxes(QStringLiteral("钳子"), QStringLiteral("1"),
                                                                      QStringLiteral("10"))));
        QVERIFY_THROWS_EXCEPTION(NotPermitted, store.remove(id));
        QVERIFY_THROWS_EXCEPTION(NotPermitted, store.update(before));
        QCOMPARE(*store.findStored(id), before);
        QCOMPARE(shop.count(QStringLiteral("data")), 1);
        QCOMPARE(changes.count(), 0);

        shop.db().prepare(QStringLiteral("UPDATE data SET \"1\"=2, \"3\"=20, \"8\"=18")).exec();
        const GoodsRecord seen = *store.find(id);
        QVERIFY(!seen.purchasePrice && !seen.purchaseAmount && !seen.stockValue);
        QCOMPARE(store.hiddenFields(), (QStringList{"1", "3", "8"}));
        QCOMPARE(*store.findStored(id)->purchasePrice, 2.0);
    }

    // Each box within the bound, yet their product or difference beyond it:
    // refused as well, naming a box that takes part.
    void derivedValuesBeyondTheBoundWriteNothing_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("sold");
        QTest::addColumn<QString>("message");
        const QString digits201 = "1" + QString(200, QLatin1Char('0'));
        QTest::newRow("infinite product") << digits201 << digits201 << "0" << "超出允许的范围";
        QTest::newRow("purchase amount") << "1000000" << "1000000" << "0" << "进货金额超出允许的范围";
        QTest::newRow("stock after many returns") << "0" << "999999999999" << "-999999999999" << "库存数量超出允许的范围";
    }
    void derivedValuesBeyondTheBoundWriteNothing()
    {
        QFETCH(QString, price);
        QFETCH(QString, quantity);
        QFETCH(QString, sold);
        QFETCH(QString, message);
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        GoodsStore &store = shop.goods();
        // A change takes the sold quantity from the row itself.
        GoodsRecord stored = row(QStringLiteral("扳手"), 10, 10);
        stored.soldQuantity = sold.toDouble();
        const qint64 id = shop.seedGoods(stored);
        const GoodsRecord before = *store.find(id);
        StockInBoxes b = boxes(QStringLiteral("扳手"), price, quantity);
        b.soldQuantity = sold;

        const StockInCheck changed = store.changeStockIn(id, b);
        QVERIFY(!changed.ok());
        QVERIFY2(changed.error.contains(message), qPrintable(changed.error));
        QVERIFY(changed.box == StockInBox::PurchasePrice || changed.box == StockInBox::Quantity);
        QCOMPARE(*store.find(id), before);
        if (sold == QLatin1String("0")) {
            QVERIFY(!store.addStockIn(b).ok());
            QCOMPARE(rowCount(*db), 1);
        }
    }

    void valuesJustUnderTheBoundAreStored()
    {
        ShopFixture shop(ShopFixture::Start::SignedInAsSuper);
        Database *db = &shop.db();
        GoodsStore &store = shop.goods();
        StockInBoxes b = boxes(QStringLiteral("金条"), QStringLiteral("999999999999.99"), QStringLiteral("0.5"));
        b.salePrice = QStringLiteral("999999999999.99");
        const StockInCheck added = store.addStockIn(b);
        QVERIFY2(added.ok(), qPrintable(added.error));
        QCOMPARE(*store.find(added.record->id)->purchasePrice, 999999999999.99);
        QVERIFY(store.addStockIn(boxes(QStringLiteral("赠品"), QStringLiteral("0"), QStringLiteral("0"))).ok());
        QCOMPARE(rowCount(*db), 2);
    }
};

QTEST_GUILESS_MAIN(GoodsStoreTest)
#include "tst_goodsstore.moc"
