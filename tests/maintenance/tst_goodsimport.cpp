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

QJsonObject formula(const char *text, const QJsonValue &result)
{
    return QJsonObject{{QStringLiteral("formula"), QLatin1String(text)}, {QStringLiteral("result"), result}};
}

QString writeXlsx(ShopFixture &f, const QString &name, const QList<TestSheet> &sheets, const QString &damage = QString())
{
    const QString path = f.env.path(name);
    const QString error = writeXlsxWorkbook(path, sheets, damage);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return error.isEmpty() ? path : QString();
}

// The stored rows in the order they went in, without their ids, which two
// imports give apart.
std::vector<GoodsRecord> withoutIds(std::vector<GoodsRecord> rows)
{
    std::sort(rows.begin(), rows.end(), [](const GoodsRecord &a, const GoodsRecord &b) { return a.id < b.id; });
    for (GoodsRecord &g : rows)
        g.id = 0;
    return rows;
}

// A row in one line, for a failure to show what differs.
QByteArray describe(const GoodsRecord &g)
{
    QStringList parts{g.name, g.specification, g.code, g.category, g.nameInitials, g.specInitials, g.supplier};
    for (const std::optional<double> &n : {g.purchasePrice, g.quantity, g.purchaseAmount, g.salePrice, g.soldQuantity,
                                           g.salesAmount, g.stockQuantity, g.stockValue})
        parts << (n ? QString::number(*n, 'g', 17) : QStringLiteral("-"));
    parts << g.remarks << g.day1;
    return parts.join(QLatin1Char('|')).toUtf8();
}

} // namespace

class TestGoodsImport : public QObject {
    Q_OBJECT
private slots:
    void importsEveryRowOfTheSheet();
    void computesMissingInitials();
    void formulaCellsGiveTheirStoredResults();
    void aWrongSheetOrAMissingColumnImportsNothing();
    void anXlsxGivesWhatTheSameXlsGives();
    void aDamagedOrHostileXlsxImportsNothing_data();
    void aDamagedOrHostileXlsxImportsNothing();
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

void TestGoodsImport::anXlsxGivesWhatTheSameXlsGives()
{
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    // Texts shared (one in formatted runs under a phonetic guide) and one
    // kept in its cell, formula results of each kind, a date by a format of
    // the workbook's own and one by a built-in format, a boolean, a blank
    // line and cells left out.
    QJsonArray cola = goodsRow(QStringLiteral("可口可乐"), QStringLiteral("500ml"), 2.5, 24, QStringLiteral("2024-03-01"));
    cola[0] = runs({QStringLiteral("可口"), QStringLiteral("可乐")});
    cola[1] = inlineText(QStringLiteral(" 大瓶500ml"));
    cola[2] = formula("\"C-\"&\"7\"", QStringLiteral("C-7"));
    cola[9] = formula("H2*I2", 60);
    cola[14] = formula("H2*N2", 60);
    cola[16] = formula("DATE(2024,3,1)", day(QStringLiteral("2024-03-01")));
    QJsonArray water = goodsRow(QStringLiteral("矿泉水"), QString(), 1, 100, QStringLiteral("2024-02-29"));
    water[2] = 690123;
    water[4] = QJsonValue();
    water[6] = QJsonValue();
    water[7] = QStringLiteral(" 1.25 ");
    water[12] = 3.3;
    water[15] = true;
    // Sheets on either side, whose parts a reader guessing by the sheet's
    // place or taking the first part would read.
    const QList<TestSheet> book{
        {QStringLiteral("Sheet1"), {goodsTitles(), goodsRow(QStringLiteral("别的表"), QString(), 9, 9, QStringLiteral("2020-01-01"))}},
        morvel({goodsTitles(), cola, QJsonArray{}, water}),
        {QStringLiteral("Sheet3"), {goodsTitles(), goodsRow(QStringLiteral("第三表"), QString(), 8, 8, QStringLiteral("2020-01-02"))}}};
    const QString xls = write(f, QStringLiteral("goods.xls"), book);
    const QString xlsx = writeXlsx(f, QStringLiteral("goods.xlsx"), book);
    QVERIFY(!xls.isEmpty() && !xlsx.isEmpty());

    const GoodsImport::Outcome fromXls = f.shop().goodsImport().run(xls, f.env.databasePath());
    const GoodsImport::Outcome fromXlsx = f.shop().goodsImport().run(xlsx, f.env.databasePath());
    QCOMPARE(fromXls.message, GoodsImport::doneMessage());
    QCOMPARE(fromXlsx.message, GoodsImport::doneMessage());
    QCOMPARE(fromXlsx.rows, 2);
    const std::vector<GoodsRecord> stored = withoutIds(f.goods().list(ZeroStock::Shown));
    QCOMPARE(stored.size(), size_t(4));
    for (size_t i = 0; i < 2; ++i)
        QVERIFY2(stored[i] == stored[i + 2], describe(stored[i]) + "\n   " + describe(stored[i + 2]));
    // And the rows are right, not only alike.
    QCOMPARE(stored[2].name, QStringLiteral("可口可乐"));
    QCOMPARE(stored[2].specification, QStringLiteral("大瓶500ml"));
    QCOMPARE(stored[2].code, QStringLiteral("C-7"));
    QCOMPARE(stored[2].purchaseAmount, 60.0);
    QCOMPARE(stored[2].day1, QStringLiteral("2024-03-01"));
    QCOMPARE(stored[3].code, QStringLiteral("690123"));
    QCOMPARE(stored[3].nameInitials, PinyinInitials(QStringLiteral("矿泉水")));
    QCOMPARE(stored[3].supplier, QString());
    QCOMPARE(stored[3].purchasePrice, 1.25);
    QCOMPARE(stored[3].salesAmount, 3.3);
    QCOMPARE(stored[3].remarks, QStringLiteral("1"));
    QCOMPARE(stored[3].day1, QStringLiteral("2024-02-29"));

    // A refusal names the same row and column either way.
    QJsonArray broken = goodsRow(QStringLiteral("雪碧"), QString(), 2, 12, QStringLiteral("2024-03-02"));
    broken[9] = formula("H5/0", QJsonObject{{QStringLiteral("error"), 7}});
    const QList<TestSheet> bad{morvel({goodsTitles(), cola, QJsonArray{}, water, broken})};
    const QString badXls = write(f, QStringLiteral("bad.xls"), bad);
    const QString badXlsx = writeXlsx(f, QStringLiteral("bad.xlsx"), bad);
    QVERIFY(!badXls.isEmpty() && !badXlsx.isEmpty());
    const QString refusal = f.shop().goodsImport().run(badXls, f.env.databasePath()).message;
    QVERIFY2(refusal.contains(QStringLiteral("第5行“a3”列")), qPrintable(refusal));
    QCOMPARE(f.shop().goodsImport().run(badXlsx, f.env.databasePath()).message, refusal);
    QCOMPARE(f.count(QStringLiteral("data")), 4);
}

void TestGoodsImport::aDamagedOrHostileXlsxImportsNothing_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("where"); // the cell a refusal names, if it names one
    QTest::newRow("the sheet's XML cut off") << QStringLiteral("truncated") << QString();
    QTest::newRow("a sheet that inflates too far") << QStringLiteral("oversized") << QString();
    QTest::newRow("the sheet's part gone") << QStringLiteral("missing-part") << QString();
    QTest::newRow("a shared text that is not there") << QStringLiteral("bad-string") << QString();
    QTest::newRow("multiplying entities") << QStringLiteral("entities") << QString();
    QTest::newRow("cells far apart") << QStringLiteral("far-apart") << QString();
    QTest::newRow("formulas never calculated") << QStringLiteral("uncalculated") << QStringLiteral("第2行“a3”列");
}

void TestGoodsImport::aDamagedOrHostileXlsxImportsNothing()
{
    QFETCH(QString, damage);
    QFETCH(QString, where);
    ShopFixture f(ShopFixture::Start::SignedInAsSuper);
    QJsonArray cola = goodsRow(QStringLiteral("可乐"), QString(), 2, 1, QStringLiteral("2024-03-01"));
    cola[9] = formula("H2*I2", 2);
    const QList<TestSheet> book{{QStringLiteral("Sheet1"), {goodsTitles()}},
                                morvel({goodsTitles(), cola, goodsRow(QStringLiteral("雪碧"), QString(), 2, 1, QStringLiteral("2024-03-01"))})};
    const QString path = writeXlsx(f, QStringLiteral("damaged.xlsx"), book, damage);
    QVERIFY(!path.isEmpty());

    QSignalSpy reloaded(&f.shop(), &ShopContext::changed);
    const GoodsImport::Outcome out = f.shop().goodsImport().run(path, f.env.databasePath());
    QVERIFY(out.result == GoodsImport::Result::Failed);
    if (where.isEmpty())
        QCOMPARE(out.message, GoodsImport::failedMessage());
    else
        QVERIFY2(out.message.startsWith(GoodsImport::failedMessage()) && out.message.contains(where), qPrintable(out.message));
    QCOMPARE(f.count(QStringLiteral("data")), 0);
    QCOMPARE(reloaded.count(), 0);
    // Refused for what was done to it: the same workbook unspoilt imports.
    const QString intact = writeXlsx(f, QStringLiteral("intact.xlsx"), book);
    QVERIFY(!intact.isEmpty());
    QCOMPARE(f.shop().goodsImport().run(intact, f.env.databasePath()).rows, 2);
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
