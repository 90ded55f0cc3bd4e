#include "core/Database.h"
#include "core/ShopDatabase.h"
#include "sales/SaleTransaction.h"
#include "sales/SlipNumber.h"
#include "support/TestEnvironment.h"

#include <QDate>
#include <QtTest>

using namespace quollin;

namespace {

struct Goods {
    double purchase, suggested, sold, salesAmount, stock, stockValue;
    QString day1 = QStringLiteral("2024-03-01");
};

qint64 addGoods(Database &db, const Goods &g)
{
    Statement s = db.prepare(QStringLiteral(
        "INSERT INTO data (a,b,c,d,e,f,\"1\",\"4\",\"5\",\"6\",\"7\",\"8\",day1) "
        "VALUES (:a,:b,:c,:d,'','',:n1,:n4,:n5,:n6,:n7,:n8,:day1)"));
    s.bind(":a", QStringLiteral(" 钢笔 ")).bind(":b", QStringLiteral("黑色")).bind(":c", QStringLiteral("P01"))
        .bind(":d", QStringLiteral("文具")).bind(":n1", g.purchase).bind(":n4", g.suggested).bind(":n5", g.sold)
        .bind(":n6", g.salesAmount).bind(":n7", g.stock).bind(":n8", g.stockValue);
    if (g.day1.isNull())
        s.bindNull(":day1");
    else
        s.bind(":day1", g.day1);
    s.exec();
    return db.lastInsertId();
}

SaleInput sale(qint64 id, const QString &price, const QString &quantity)
{
    SaleInput in;
    in.goodsId = id;
    in.price = price;
    in.quantity = quantity;
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2024-03-05");
    in.slipNumber = QStringLiteral(" 20240305001 ");
    in.customer = QStringLiteral("  张三 ");
    in.address = QStringLiteral(" 北京 ");
    in.phone = QStringLiteral(" 123 ");
    in.remark = QStringLiteral(" 熟客 ");
    return in;
}

// The four values the sale changes: sold, sales amount, stock, stock value.
QList<double> goodsValues(Database &db, qint64 id)
{
    Statement s = db.prepare(QStringLiteral("SELECT \"5\",\"6\",\"7\",\"8\" FROM data WHERE \"ID\"=:id"));
    s.bind(":id", id);
    if (!s.next())
        return {};
    return {s.real(0), s.real(1), s.real(2), s.real(3)};
}

qint64 lineCount(Database &db)
{
    Statement s = db.prepare(QStringLiteral("SELECT count(*) FROM data1"));
    s.next();
    return s.integer(0);
}

} // namespace

class TestSaleTransaction : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<test::TestEnvironment>();
        m_db = ShopDatabase::open(m_env->databasePath());
        m_id = addGoods(*m_db, {3.5, 8, 10, 80, 5, 17.5});
    }
    void cleanup()
    {
        m_db.reset();
        m_env.reset();
    }

    void saleDeductsAndAppendsLine()
    {
        const SaleResult r = confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2")));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{12, 96, 3, 10.5}));

        Statement s = m_db->prepare(QStringLiteral(
            "SELECT a,b,c,d,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id FROM data1 WHERE \"ID\"=:id"));
        s.bind(":id", r.lineId);
        QVERIFY(s.next());
        QCOMPARE(s.text("a"), QStringLiteral("钢笔"));
        QCOMPARE(s.text("b"), QStringLiteral("黑色"));
        QCOMPARE(s.text("d"), QStringLiteral("文具"));
        QCOMPARE(s.text("g"), QStringLiteral("张三"));
        QCOMPARE(s.text("h"), QStringLiteral("北京"));
        QCOMPARE(s.text("i"), QStringLiteral("123"));
        QCOMPARE(s.text("j"), QStringLiteral("熟客"));
        QCOMPARE(s.text("z"), QStringLiteral("20240305001"));
        QCOMPARE(s.real("1"), 3.5);
        QCOMPARE(s.real("2"), 8.0);
        QCOMPARE(s.real("3"), 2.0);
        QCOMPARE(s.real("4"), 16.0);
        QCOMPARE(s.real("a5"), 9.0);
        QCOMPARE(s.real("6"), 0.0);
        QCOMPARE(s.text("day1"), QStringLiteral("2024-03-05"));
        QCOMPARE(s.text("day2"), QStringLiteral("2024-03-01"));
        QCOMPARE(s.integer("goods_id"), m_id);
        QVERIFY(!s.next());
    }

    // A second sale reads the row as the first left it, not as it was when
    // the panel opened.
    void consecutiveSalesBuildOnEachOther()
    {
        QVERIFY(confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2"))).ok);
        QVERIFY(confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2"))).ok);
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{14, 112, 1, 3.5}));
        const SaleResult r = confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2")));
        QVERIFY(!r.ok);
        QCOMPARE(r.message, QStringLiteral("库存不足"));
        QCOMPARE(r.stockQuantity, std::optional<double>(1));
        QCOMPARE(lineCount(*m_db), 2);
    }

    // A second copy of the program on the same file: its sale must count the
    // first one's deduction, not overwrite it.
    void secondConnectionSeesFirstSale()
    {
        std::unique_ptr<Database> other = ShopDatabase::open(m_env->databasePath());
        QVERIFY(confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2"))).ok);
        const SaleResult r = confirmSale(*other, sale(m_id, QStringLiteral("9"), QStringLiteral("1")));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{13, 105, 2, 7}));
        QCOMPARE(lineCount(*m_db), 2);
    }

    void returnOfTwo()
    {
        const SaleResult r = confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("-2")));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.amount, -16.0);
        QCOMPARE(r.profit, -9.0);
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{8, 64, 7, 24.5}));
    }

    void fractionalQuantityRoundsStock()
    {
        const qint64 id = addGoods(*m_db, {1.5, 4, 0, 0, 10, 15});
        const SaleResult r = confirmSale(*m_db, sale(id, QStringLiteral("4"), QStringLiteral("3.333")));
        QVERIFY2(r.ok, qPrintable(r.message));
        const QList<double> v = goodsValues(*m_db, id);
        QCOMPARE(v.value(2), 6.67);
        QCOMPARE(v.value(3), 10.0005); // 6.667 × 1.5, not 6.67 × 1.5
        QCOMPARE(r.profit, 8.33);      // 2.5 × 3.333 = 8.3325
    }

    void refusedBeforeAnyWrite_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("arrears");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        const QString ok = QStringLiteral("2024-03-05");
        QTest::newRow("zero") << "8" << "0" << "0" << ok << "销售数量不能为0";
        QTest::newRow("zero with point") << "8" << "0.0" << "0" << ok << "销售数量不能为0";
        QTest::newRow("above stock") << "8" << "6" << "0" << ok << "库存不足";
        QTest::newRow("empty quantity") << "8" << "" << "0" << ok << "销售数量必须输入！";
        QTest::newRow("lone point quantity") << "8" << "." << "0" << ok << "销售数量“.”不是有效的数字";
        QTest::newRow("two points price") << "8.0.1" << "2" << "0" << ok << "实际销售价“8.0.1”不是有效的数字";
        QTest::newRow("empty price") << "" << "2" << "0" << ok << "实际销售价必须输入！";
        QTest::newRow("lone point arrears") << "8" << "2" << "." << ok << "欠款金额“.”不是有效的数字";
        QTest::newRow("empty arrears") << "8" << "2" << " " << ok << "欠款金额必须输入！";
        QTest::newRow("date mask") << "8" << "2" << "0" << "    -  -  " << "销售日期必须输入";
        QTest::newRow("bad date") << "8" << "2" << "0" << "2024-02-30" << "销售日期“2024-02-30”不是有效的日期";
        QTest::newRow("negative price") << "-8" << "2" << "0" << ok << "实际销售价“-8”不能为负数";
        QTest::newRow("negative arrears") << "8" << "2" << "-1" << ok << "欠款金额“-1”不能为负数";
        const QString huge = "1" + QString(300, QLatin1Char('0'));
        QTest::newRow("return of 10^300") << "8" << "-" + huge << "0" << ok
                                          << "销售数量“-" + huge + "”超出允许的范围，请重新输入";
        const QString digits201 = "1" + QString(200, QLatin1Char('0'));
        QTest::newRow("price of 201 digits") << digits201 << "2" << "0" << ok
                                             << "实际销售价“" + digits201 + "”超出允许的范围，请重新输入";
        QTest::newRow("price at the bound") << "1000000000000" << "1" << "0" << ok
                                            << "实际销售价“1000000000000”超出允许的范围，请重新输入";
        QTest::newRow("arrears at the bound") << "8" << "1" << "1000000000000" << ok
                                              << "欠款金额“1000000000000”超出允许的范围，请重新输入";
        // Each box within the bound, the product beyond it.
        QTest::newRow("amount") << "999999999999" << "2" << "0" << ok
                                << "销售金额超出允许的范围，请检查实际销售价和销售数量";
        QTest::newRow("stock after a return") << "0" << "-999999999999" << "0" << ok
                                              << "库存数量超出允许的范围，请检查实际销售价和销售数量";
    }
    void refusedBeforeAnyWrite()
    {
        QFETCH(QString, price);
        QFETCH(QString, quantity);
        QFETCH(QString, arrears);
        QFETCH(QString, date);
        QFETCH(QString, message);
        SaleInput in = sale(m_id, price, quantity);
        in.arrears = arrears;
        in.saleDate = date;
        const SaleResult r = confirmSale(*m_db, in);
        QVERIFY(!r.ok);
        QCOMPARE(r.message, message);
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{10, 80, 5, 17.5}));
        QCOMPARE(lineCount(*m_db), 0);
        QVERIFY(!m_db->inTransaction());
    }

    void valuesJustUnderTheBoundAreSold()
    {
        SaleInput in = sale(m_id, QStringLiteral("999999999999.99"), QStringLiteral("0.5"));
        in.arrears = QStringLiteral("999999999999.99");
        const SaleResult r = confirmSale(*m_db, in);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.amount, 499999999999.995);
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{10.5, 500000000079.995, 4.5, 15.75}));
    }

    // A row the earlier fault left with a huge stock: selling from it must
    // not carry the value on.
    void storedValueBeyondTheBoundIsNotCarriedOn()
    {
        const qint64 id = addGoods(*m_db, {3.5, 8, 0, 0, 1e300, 0});
        const SaleResult r = confirmSale(*m_db, sale(id, QStringLiteral("8"), QStringLiteral("1")));
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(QStringLiteral("超出允许的范围")), qPrintable(r.message));
        QCOMPARE(goodsValues(*m_db, id), (QList<double>{0, 0, 1e300, 0}));
        QCOMPARE(lineCount(*m_db), 0);
    }

    void goodsRowProblemsRefused()
    {
        const qint64 undated = addGoods(*m_db, {3.5, 8, 0, 0, 5, 17.5, QString()});
        SaleResult r = confirmSale(*m_db, sale(undated, QStringLiteral("8"), QStringLiteral("1")));
        QVERIFY(!r.ok);
        QCOMPARE(r.message, QStringLiteral("该商品没有有效的入库日期，不能销售"));
        QCOMPARE(goodsValues(*m_db, undated), (QList<double>{0, 0, 5, 17.5}));

        m_db->prepare(QStringLiteral("DELETE FROM data WHERE \"ID\"=:id")).bind(":id", m_id).exec();
        r = confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("1")));
        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QStringLiteral("不存在")));

        // Text in a number column: only a file written by another program
        // holds it (a server refuses it).
        if (!test::TestEnvironment::onServer()) {
            const qint64 textStock = addGoods(*m_db, {3.5, 8, 0, 0, 5, 17.5});
            m_db->prepare(QStringLiteral("UPDATE data SET \"7\"='abc' WHERE \"ID\"=:id")).bind(":id", textStock).exec();
            r = confirmSale(*m_db, sale(textStock, QStringLiteral("8"), QStringLiteral("1")));
            QVERIFY(!r.ok);
            QVERIFY(r.message.contains(QStringLiteral("库存数量")));
        }
        QCOMPARE(lineCount(*m_db), 0);
    }

    // The line cannot be appended: the deduction must not stay behind.
    void failedAppendLeavesStockUntouched()
    {
        m_db->execScript(QStringLiteral("DROP TABLE data1"));
        const SaleResult r = confirmSale(*m_db, sale(m_id, QStringLiteral("8"), QStringLiteral("2")));
        QVERIFY(!r.ok);
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(goodsValues(*m_db, m_id), (QList<double>{10, 80, 5, 17.5}));
        QVERIFY(!m_db->inTransaction());
    }

    void returnSign_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sale to return") << "2" << "-2";
        QTest::newRow("fraction") << "2.5" << "-2.5";
        QTest::newRow("back again") << "-2.5" << "2.5";
        QTest::newRow("zero stays") << "0" << "0";
        QTest::newRow("minus three") << "-3" << "3";
        QTest::newRow("not a number") << "." << QString();
    }
    void returnSign()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(toggleReturnSign(typed).value_or(QString()), shown);
    }

    void slipNumbers()
    {
        const QDate day(2024, 3, 5);
        QCOMPARE(SlipNumber(day, 0), QStringLiteral("20240305000"));
        QCOMPARE(SlipNumber(day, 3), QStringLiteral("20240305003"));
        QCOMPARE(SlipNumber(day, 999), QStringLiteral("20240305999"));
        QCOMPARE(SlipNumber(day, 1000), QStringLiteral("202403051000"));
        QCOMPARE(SlipNumber(QDate(2024, 12, 25), 42), QStringLiteral("20241225042"));
    }

private:
    std::unique_ptr<test::TestEnvironment> m_env;
    std::unique_ptr<Database> m_db;
    qint64 m_id = 0;
};

QTEST_GUILESS_MAIN(TestSaleTransaction)
#include "tst_saletransaction.moc"
