#include "core/PinyinInitials.h"
#include "maintenance/GoodsImport.h"
#include "SheetWriter.h"
#include "support/ShopFixture.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using namespace quollin;
using namespace quollin::test;

namespace {

QString write(ShopFixture &f, const QString &name, const QList<TestSheet> &sheets)
{
    const QString path = f.env.path(name);
    const QString error = writeWorkbook(path, sheets);
    return error.isEmpty() ? path : QString();
}

TestSheet morvel(const QJsonArray &rows) { return {QStringLiteral("morvel"), rows}; }

} // namespace

class TestGoodsImport : public QObject {
    Q_OBJECT
private slots:
    void importsEveryRowOfTheSheet();
    void computesMissingInitials();
    void formulaCellsGiveTheirStoredResults();
    void aWrongSheetOrAMissingColumnImportsNothing();
    void aBadValueIsRefusedByRowAndColumn_data();
    void aBadValueIsRefusedByRowAndColumn();
    void onlyAShopFileTakesTheRows();
    void importingIsForThoseWhoMayAddGoods();
};

void TestGoodsImport::importsEveryRowOfTheSheet()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    QVERIFY(QDir(f.env.path(QString())).mkpath(QStringLiteral("my sheets")));
    QJsonArray rows{goodsTitles(),
                    goodsRow(QStringLiteral("可口可乐"), QStringLiteral("500ml"), 2.5, 24, QStringLiteral("2024-03-01")),
                    // Blanks around a text go, as the stock-in trims them.
                    goodsRow(QStringLiteral("雪碧 "), QStringLiteral(" 330ml"), 2, 12, QStringLiteral("2024-03-02")),
                    // A blank line between goods is passed over.
                    QJsonArray{},
                    goodsRow(QStringLiteral("矿泉水"), QString(), 1, 100, QStringLiteral("2024-03-03"))};
    // A code the spreadsheet holds as a number, a price typed as text and a
    // date typed as text.
    QJsonArray third = rows[4].toArray();
    third[2] = 690123;
    third[7] = QStringLiteral(" 1.25 ");
    third[16] = QStringLiteral("2024-03-04");
    rows[4] = third;
    const QString path = write(f, QStringLiteral("my sheets/goods list.xls"), {morvel(rows)});
    QVERIFY(!path.isEmpty());

    QSignalSpy reloaded(&f.shop(), &ShopContext::changed);
    const GoodsImport::Outcome out = f.shop().goodsImport().run(QStringLiteral("  ") + path, f.env.databasePath());
    QCOMPARE(out.message, GoodsImport::doneMessage());
    QVERIFY(out.result == GoodsImport::Result::Done);
    QCOMPARE(out.rows, 3);
    QCOMPARE(reloaded.count(), 1);
    QVERIFY(reloaded.at(0).at(0).value<ChangeSet>().goods.isAll());

    const std::vector<GoodsRecord> stored = f.goods().list(ZeroStock::Shown);
    QCOMPARE(stored.size(), size_t(3));
    const GoodsRecord &cola = stored[0];
    QCOMPARE(cola.name, QStringLiteral("可口可乐"));
    QCOMPARE(cola.specification, QStringLiteral("500ml"));
    QCOMPARE(cola.nameInitials, QStringLiteral("ini"));
    QCOMPARE(cola.supplier, QStringLiteral("供货商甲"));
    QCOMPARE(cola.purchasePrice, 2.5);
    QCOMPARE(cola.quantity, 24.0);
    QCOMPARE(cola.purchaseAmount, 60.0);
    QCOMPARE(cola.stockQuantity, 24.0);
    QCOMPARE(cola.soldQuantity, 0.0);
    QCOMPARE(cola.remarks, QStringLiteral("备注"));
    QCOMPARE(cola.day1, QStringLiteral("2024-03-01"));
    QCOMPARE(stored[1].name + stored[1].specification, QStringLiteral("雪碧330ml"));
    const GoodsRecord &water = stored[2];
    QCOMPARE(water.code, QStringLiteral("690123"));
    QCOMPARE(water.purchasePrice, 1.25);
    QCOMPARE(water.day1, QStringLiteral("2024-03-04"));
}

void TestGoodsImport::computesMissingInitials()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    // A sheet without the columns e and f, and one with them left empty.
    const QString without = write(f, QStringLiteral("a.xls"),
                                  {morvel({goodsTitles(false), goodsRow(QStringLiteral("可口可乐"), QStringLiteral("大瓶500ml"),
                                                                        2.5, 24, QStringLiteral("2024-03-01"), false)})});
    QJsonArray emptyRow = goodsRow(QStringLiteral("雪碧"), QStringLiteral("罐装"), 2, 12, QStringLiteral("2024-03-02"));
    emptyRow[4] = QJsonValue();
    emptyRow[5] = QStringLiteral("  ");
    const QString empty = write(f, QStringLiteral("b.xls"), {morvel({goodsTitles(), emptyRow})});
    QVERIFY(!without.isEmpty() && !empty.isEmpty());

    QVERIFY(f.shop().goodsImport().run(without, f.env.databasePath()).result == GoodsImport::Result::Done);
    QVERIFY(f.shop().goodsImport().run(empty, f.env.databasePath()).result == GoodsImport::Result::Done);
    const std::vector<GoodsRecord> stored = f.goods().list(ZeroStock::Shown);
    QCOMPARE(stored.size(), size_t(2));
    QCOMPARE(stored[0].nameInitials, QStringLiteral("kkkl"));
    QCOMPARE(stored[0].specInitials, PinyinInitials(QStringLiteral("大瓶500ml")));
    QCOMPARE(stored[1].nameInitials, PinyinInitials(QStringLiteral("雪碧")));
    QCOMPARE(stored[1].specInitials, PinyinInitials(QStringLiteral("罐装")));
    // So the live search finds them.
    GoodsSearch search;
    search.nameInitials = QStringLiteral("kk");
    QCOMPARE(f.goods().search(ZeroStock::Shown, search).size(), size_t(1));
}

void TestGoodsImport::formulaCellsGiveTheirStoredResults()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    auto formula = [](const char *text, const QJsonValue &result) {
        return QJsonObject{{QStringLiteral("formula"), QLatin1String(text)}, {QStringLiteral("result"), result}};
    };
    // Amounts, stock, the code and the date as a sheet program saves them.
    QJsonArray row = goodsRow(QStringLiteral("可乐"), QString(), 2.5, 24, QStringLiteral("2024-03-01"));
    row[2] = formula("\"C-\"&\"7\"", QStringLiteral("C-7"));
    row[9] = formula("H2*I2", 60);
    row[13] = formula("I2-L2", 24);
    row[14] = formula("H2*N2", 60);
    row[16] = formula("DATE(2024,3,1)", day(QStringLiteral("2024-03-01")));
    const QString path = write(f, QStringLiteral("formulas.xls"), {morvel({goodsTitles(), row})});
    QVERIFY(!path.isEmpty());
    const GoodsImport::Outcome out = f.shop().goodsImport().run(path, f.env.databasePath());
    QCOMPARE(out.message, GoodsImport::doneMessage());
    const std::vector<GoodsRecord> stored = f.goods().list(ZeroStock::Shown);
    QCOMPARE(stored.size(), size_t(1));
    QCOMPARE(stored[0].code, QStringLiteral("C-7"));
    QCOMPARE(stored[0].purchaseAmount, 60.0);
    QCOMPARE(stored[0].stockQuantity, 24.0);
    QCOMPARE(stored[0].stockValue, 60.0);
    QCOMPARE(stored[0].day1, QStringLiteral("2024-03-01"));

    // A result that is an error cannot be read: nothing goes in.
    QJsonArray broken = goodsRow(QStringLiteral("雪碧"), QString(), 2, 12, QStringLiteral("2024-03-02"));
    broken[9] = formula("H3/0", QJsonObject{{QStringLiteral("error"), 7}});
    const QString bad = write(f, QStringLiteral("error.xls"), {morvel({goodsTitles(), row, broken})});
    QVERIFY(!bad.isEmpty());
    const GoodsImport::Outcome refused = f.shop().goodsImport().run(bad, f.env.databasePath());
    QVERIFY(refused.result == GoodsImport::Result::Failed);
    QVERIFY2(refused.message.contains(QStringLiteral("第3行“a3”列")), qPrintable(refused.message));
    QCOMPARE(f.count(QStringLiteral("data")), 1);
}

void TestGoodsImport::aWrongSheetOrAMissingColumnImportsNothing()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const QJsonArray good = goodsRow(QStringLiteral("可乐"), QString(), 2, 1, QStringLiteral("2024-03-01"));
    const QString otherSheet = write(f, QStringLiteral("sheet1.xls"), {{QStringLiteral("Sheet1"), {goodsTitles(), good}}});
    QJsonArray titles = goodsTitles();
    titles[11] = QStringLiteral("sold"); // a5 missing
    const QString noA5 = write(f, QStringLiteral("noa5.xls"), {morvel({titles, good})});
    const QString notAWorkbook = f.env.path(QStringLiteral("text.xls"));
    {
        QFile t(notAWorkbook);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("a,b,c\n");
    }
    QVERIFY(!otherSheet.isEmpty() && !noA5.isEmpty());

    QSignalSpy reloaded(&f.shop(), &ShopContext::changed);
    for (const QString &path : {otherSheet, noA5, notAWorkbook, f.env.path(QStringLiteral("missing.xls"))}) {
        const GoodsImport::Outcome out = f.shop().goodsImport().run(path, f.env.databasePath());
        QVERIFY(out.result == GoodsImport::Result::Failed);
        QCOMPARE(out.message, QStringLiteral("批量EXCEL导入失败！请联系技术客服QQ:") + GoodsImport::supportContact());
    }
    QCOMPARE(f.count(QStringLiteral("data")), 0);
    QCOMPARE(reloaded.count(), 0);
}

void TestGoodsImport::aBadValueIsRefusedByRowAndColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("columnName");
    QTest::newRow("text for a price") << 7 << QJsonValue(QStringLiteral("两块五")) << QStringLiteral("a1");
    QTest::newRow("two points") << 8 << QJsonValue(QStringLiteral("1.2.3")) << QStringLiteral("a2");
    QTest::newRow("too large") << 14 << QJsonValue(1e300) << QStringLiteral("a8");
    QTest::newRow("a date in a number") << 10 << day(QStringLiteral("2024-01-01")) << QStringLiteral("a4");
    QTest::newRow("no date") << 16 << QJsonValue() << QStringLiteral("day1");
    QTest::newRow("not a date") << 16 << QJsonValue(QStringLiteral("3月1日")) << QStringLiteral("day1");
    QTest::newRow("a number for a date") << 16 << QJsonValue(45000) << QStringLiteral("day1");
    // The stock-in's limits and required values.
    QTest::newRow("negative price") << 7 << QJsonValue(-2) << QStringLiteral("a1");
    QTest::newRow("negative quantity") << 8 << QJsonValue(-3) << QStringLiteral("a2");
    QTest::newRow("exactly the bound") << 9 << QJsonValue(1e12) << QStringLiteral("a3");
    QTest::newRow("no name") << 0 << QJsonValue() << QStringLiteral("a");
    QTest::newRow("no code") << 2 << QJsonValue(QStringLiteral("  ")) << QStringLiteral("c");
    QTest::newRow("no category") << 3 << QJsonValue() << QStringLiteral("d");
}

void TestGoodsImport::aBadValueIsRefusedByRowAndColumn()
{
    QFETCH(int, column);
    QFETCH(QJsonValue, value);
    QFETCH(QString, columnName);
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    QJsonArray rows{goodsTitles()};
    for (int i = 0; i < 8; ++i)
        rows << goodsRow(QStringLiteral("商品%1").arg(i), QString(), 2, 3, QStringLiteral("2024-03-01"));
    // Sheet row 7: the title line is row 1.
    QJsonArray bad = rows[6].toArray();
    bad[column] = value;
    rows[6] = bad;
    const QString path = write(f, QStringLiteral("bad.xls"), {morvel(rows)});
    QVERIFY(!path.isEmpty());

    const GoodsImport::Outcome out = f.shop().goodsImport().run(path, f.env.databasePath());
    QVERIFY(out.result == GoodsImport::Result::Failed);
    QVERIFY2(out.message.contains(QStringLiteral("第7行")), qPrintable(out.message));
    QVERIFY2(out.message.contains(QStringLiteral("“%1”列").arg(columnName)), qPrintable(out.message));
    QVERIFY(out.message.startsWith(GoodsImport::failedMessage()));
    QCOMPARE(f.count(QStringLiteral("data")), 0);
}

void TestGoodsImport::onlyAShopFileTakesTheRows()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    const QString sheet = write(f, QStringLiteral("a.xls"),
                                {morvel({goodsTitles(), goodsRow(QStringLiteral("可乐"), QString(), 2, 1, QStringLiteral("2024-03-01"))})});
    QVERIFY(!sheet.isEmpty());
    const QString foreign = f.env.path(QStringLiteral("other.db"));
    Database::open(foreign, QByteArray("another key"), Database::OpenMode::CreateIfMissing)
        ->execScript(QStringLiteral("CREATE TABLE data (a)"));
    const QByteArray before = fileBytes(foreign);

    GoodsImport::Outcome out = f.shop().goodsImport().run(sheet, foreign);
    QVERIFY(out.result == GoodsImport::Result::ConnectionFailed);
    QCOMPARE(out.message, QStringLiteral("连接ACCESS失败！请联系技术客服QQ:") + GoodsImport::supportContact());
    QCOMPARE(fileBytes(foreign), before);
    out = f.shop().goodsImport().run(sheet, f.env.path(QStringLiteral("nothing.db")));
    QVERIFY(out.result == GoodsImport::Result::ConnectionFailed);
    QVERIFY(!QFileInfo::exists(f.env.path(QStringLiteral("nothing.db"))));

    out = f.shop().goodsImport().run(QStringLiteral("  "), f.env.databasePath());
    QCOMPARE(out.message, QStringLiteral("请正确选择相关路径！"));
    out = f.shop().goodsImport().run(sheet, QString());
    QCOMPARE(out.message, QStringLiteral("请正确选择相关路径！"));

    // Another shop file of ours takes them.
    const QString second = f.env.path(QStringLiteral("branch.db"));
    ShopDatabase::open(second);
    out = f.shop().goodsImport().run(sheet, second);
    QVERIFY(out.result == GoodsImport::Result::Done);
    QCOMPARE(f.count(QStringLiteral("data")), 0);
    auto branch = ShopDatabase::open(second);
    Statement s = branch->prepare(QStringLiteral("SELECT count(*) FROM data"));
    QVERIFY(s.next());
    QCOMPARE(s.integer(0), 1);
}

void TestGoodsImport::importingIsForThoseWhoMayAddGoods()
{
    ShopFixture f;
    f.addOperator(QStringLiteral("小王"));
    QVERIFY(f.signIn(QStringLiteral("小王")));
    const QString sheet = write(f, QStringLiteral("a.xls"),
                                {morvel({goodsTitles(), goodsRow(QStringLiteral("可乐"), QString(), 2, 1, QStringLiteral("2024-03-01"))})});
    QVERIFY(!sheet.isEmpty());
    QVERIFY_THROWS_EXCEPTION(NotPermitted, f.shop().goodsImport().run(sheet, f.env.databasePath()));
    QCOMPARE(f.count(QStringLiteral("data")), 0);
}

QTEST_GUILESS_MAIN(TestGoodsImport)
#include "tst_goodsimport.moc"
