#include "session/Shop.h"
#include "goods/GoodsSummary.h"
#include "goods/GoodsSummaryWindow.h"
#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "records/SaleLineStore.h"

#include <QtTest>

using namespace quollin;

namespace {

GoodsRecord stockIn(const char *name, const char *code, double quantity, double price = 2)
{
    GoodsRecord r;
    r.name = QString::fromUtf8(name);
    r.specification = QStringLiteral("500ml");
    r.code = QString::fromUtf8(code);
    r.category = QStringLiteral("饮料");
    r.purchasePrice = price;
    r.quantity = quantity;
    r.purchaseAmount = quantity * price;
    r.salePrice = 3;
    r.soldQuantity = 0;
    r.salesAmount = 0;
    r.stockQuantity = quantity;
    r.stockValue = quantity * price;
    r.day1 = QStringLiteral("2026-01-02");
    return r;
}

struct SummaryShop : quollin::test::ShopFixture {
    explicit SummaryShop(Start start = Start::SignedInAsSuper) : ShopFixture(start) {}
    QWidget main;
    GoodsSummaryWindow window{shop(), prompter, &main};

    int col(const QString &field) const { return window.model()->columnOf(field); }
    double cell(int row, const QString &field) const { return window.model()->number(row, col(field)); }
    QString text(int row, const char *field) const
    {
        return window.model()->displayText(row, col(QLatin1String(field)));
    }
    int rowOfCode(const char *code) const
    {
        for (int row = 0; row < window.model()->rowCount(); ++row)
            if (text(row, "c") == QLatin1String(code))
                return row;
        return -1;
    }
};

} // namespace

class GoodsSummaryTest : public QObject {
    Q_OBJECT

private slots:
    void rowsOfOneArticleFoldIntoOneLine()
    {
        SummaryShop s;
        s.seedGoods(stockIn("可乐", "690", 10));
        s.seedGoods(stockIn("可乐", "690", 5, 2.5));
        s.seedGoods(stockIn("可乐", "691", 7)); // differs only in its code
        GoodsRecord blank = stockIn("可乐", "", 1);
        blank.code.clear();
        s.seedGoods(blank);
        // An empty category and a missing one are groups of their own.
        GoodsRecord noCategory = stockIn("可乐", "692", 2);
        noCategory.category.clear();
        s.seedGoods(noCategory);
        s.db().prepare(QStringLiteral("UPDATE data SET d=NULL WHERE c='692'")).exec();
        s.seedGoods(noCategory);

        s.window.show();
        GridModel &m = *s.window.model();
        QCOMPARE(m.rowCount(), 5);
        const int folded = s.rowOfCode("690");
        QVERIFY(folded >= 0);
        QCOMPARE(s.cell(folded, GoodsSummary::purchasedQuantityField()), 15.0);
        QCOMPARE(s.cell(folded, GoodsSummary::purchaseAmountField()), 32.5);
        QCOMPARE(s.cell(folded, GoodsSummary::stockAmountField()), 32.5);
        QCOMPARE(s.cell(s.rowOfCode("691"), GoodsSummary::purchasedQuantityField()), 7.0);
        QCOMPARE(s.window.grid()->footer()->text(s.col(GoodsSummary::purchasedQuantityField())),
                 QStringLiteral("27"));
        QCOMPARE(s.window.grid()->footer()->text(0), QStringLiteral("总计"));
        // The cursor stands on the last line.
        QCOMPARE(s.window.grid()->currentRow(), 4);

        // The rule gives the same folding to any reader.
        const std::vector<GoodsSummaryLine> lines = s.shop().goodsSummary().lines();
        QCOMPARE(int(lines.size()), 5);
        int categories = 0;
        for (const GoodsSummaryLine &line : lines)
            if (line.code == QLatin1String("692"))
                ++categories;
        QCOMPARE(categories, 2);
    }

    void articlesThatDifferOnlyInLetterCaseAreOneLine()
    {
        // The lists show "Coke" and "coke" as one entry: so does the summary.
        SummaryShop s;
        s.seedGoods(stockIn("Coke", "K1", 10));
        GoodsRecord lower = stockIn("coke", "k1", 5);
        lower.specification = QStringLiteral("500ML");
        s.seedGoods(lower);
        s.seedGoods(stockIn("Cokes", "K1", 1));
        const std::vector<GoodsSummaryLine> lines = s.shop().goodsSummary().lines();
        QCOMPARE(int(lines.size()), 2);
        for (const GoodsSummaryLine &line : lines) {
            const bool folded = line.name != QLatin1String("Cokes");
            QCOMPARE(line.purchasedQuantity, folded ? 15.0 : 1.0);
            if (folded) // the least spelling by code point, whichever row came first
                QCOMPARE(line.name + line.code, QStringLiteral("CokeK1"));
        }
    }

    void screenshot()
    {
        const QString shots = qEnvironmentVariable("QUOLLIN_SCREENSHOTS");
        if (shots.isEmpty())
            QSKIP("QUOLLIN_SCREENSHOTS names no folder");
        SummaryShop s;
        const char *names[] = {"可口可乐", "雪碧", "康师傅方便面", "旺旺雪饼", "农夫山泉"};
        for (int i = 0; i < 5; ++i) {
            s.seedGoods(stockIn(names[i], QByteArray::number(6901 + i).constData(), 10 + i * 3, 1.5 + i));
            s.seedGoods(stockIn(names[i], QByteArray::number(6901 + i).constData(), 4 + i, 1.5 + i));
        }
        s.main.resize(1031, 636);
        s.main.show();
        s.window.show();
        QVERIFY(s.window.grab().save(QDir(shots).filePath(QStringLiteral("goods-summary.png"))));
    }

    void sortingKeepsTheLinesRead()
    {
        SummaryShop s;
        s.seedGoods(stockIn("乙", "2", 3));
        s.seedGoods(stockIn("甲", "1", 9));
        s.seedGoods(stockIn("丙", "3", 6));
        s.window.show();
        // A row that reaches the file without any announcement is not read by
        // a sort: sorting orders what the window holds.
        s.seedGoods(stockIn("丁", "4", 1));
        const int quantity = s.col(GoodsSummary::purchasedQuantityField());
        emit s.window.grid()->titleClicked(quantity); // first click: descending
        QCOMPARE(s.window.model()->rowCount(), 3);
        QCOMPARE(s.text(0, "c"), QStringLiteral("1"));
        QCOMPARE(s.text(2, "c"), QStringLiteral("2"));
        QCOMPARE(s.window.grid()->sortMark(quantity), SortMark::Ascending);
        emit s.window.grid()->titleClicked(quantity);
        QCOMPARE(s.text(0, "c"), QStringLiteral("2"));

        // Closed and shown again: read afresh, in the file's order again.
        s.window.close();
        QCOMPARE(s.window.model()->rowCount(), 0);
        s.window.show();
        QCOMPARE(s.window.model()->rowCount(), 4);
        QCOMPARE(s.window.grid()->sortMark(quantity), SortMark::None);
    }

    void openSummaryFollowsASaleClosedOneReadsAtTheNextShowing()
    {
        SummaryShop s;
        const qint64 id = s.seedGoods(stockIn("可乐", "690", 10));
        s.seedGoods(stockIn("雪碧", "700", 4));
        s.window.show();
        const int sprite = s.rowOfCode("700");
        s.window.grid()->setCurrentRow(sprite);

        SaleInput sale;
        sale.goodsId = id;
        sale.price = QStringLiteral("3");
        sale.quantity = QStringLiteral("4");
        sale.arrears = QStringLiteral("0");
        sale.saleDate = QStringLiteral("2026-01-03");
        QVERIFY(s.shop().sales().confirm(sale).ok);
        const int cola = s.rowOfCode("690");
        QCOMPARE(s.cell(cola, GoodsSummary::soldQuantityField()), 4.0);
        QCOMPARE(s.cell(cola, GoodsSummary::stockQuantityField()), 6.0);
        QCOMPARE(s.cell(cola, GoodsSummary::salesAmountField()), 12.0);
        // The operator's line keeps the cursor.
        QCOMPARE(s.text(s.window.grid()->currentRow(), "c"), QStringLiteral("700"));

        // Closed, it holds nothing and reads nothing; the next showing has
        // the second sale.
        s.window.close();
        QVERIFY(s.shop().sales().confirm(sale).ok);
        QCOMPARE(s.window.model()->rowCount(), 0);
        s.window.show();
        QCOMPARE(s.cell(s.rowOfCode("690"), GoodsSummary::stockQuantityField()), 2.0);
        QCOMPARE(s.window.grid()->currentRow(), 1);
    }

    // A sale, a sale line taken back and a stock-in change each leave the
    // open summary equal to a fresh read of it, for an article whose rows
    // differ in letter case (a Kelvin sign among them) or miss a field, and
    // with the lines sorted by a sum.
    void openSummaryStaysEqualToAFreshRead()
    {
        SummaryShop s;
        s.seedGoods(stockIn("Kiwi", "K1", 10));
        const qint64 lower = s.seedGoods(stockIn("kiwi", "k1", 5));
        s.seedGoods(stockIn("\u212Aiwi", "K1", 3));
        s.seedGoods(stockIn("Kiwis", "K1", 4));
        GoodsRecord bare = stockIn("梨", "L1", 6);
        const qint64 pear = s.seedGoods(bare);
        s.db().prepare(QStringLiteral("UPDATE data SET b=NULL WHERE \"ID\"=:id")).bind(":id", pear).exec();
        s.seedGoods(stockIn("梨", "L1", 2));
        s.window.show();
        emit s.window.grid()->titleClicked(s.col(GoodsSummary::soldQuantityField()));

        const auto rowsOf = [&](const GridModel &m) {
            QStringList rows;
            for (int row = 0; row < m.rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < m.columnCount(); ++column)
                    cells << m.displayText(row, column);
                rows << cells.join(QLatin1Char('|'));
            }
            rows.sort();
            return rows;
        };
        const auto fresh = [&] {
            GridModel m(GoodsSummaryWindow::columns());
            GridRows rows = m.emptyRows();
            s.shop().goodsSummary().read(rows);
            m.setRows(std::move(rows));
            return rowsOf(m);
        };
        const auto sell = [&](qint64 id, const char *quantity) {
            SaleInput sale;
            sale.goodsId = id;
            sale.price = QStringLiteral("3");
            sale.quantity = QString::fromLatin1(quantity);
            sale.arrears = QStringLiteral("0");
            sale.saleDate = QStringLiteral("2026-01-03");
            const SaleResult result = s.shop().sales().confirm(sale);
            return result.ok ? result.lineId : 0;
        };

        const qint64 line = sell(lower, "4");
        QVERIFY(line);
        QCOMPARE(rowsOf(*s.window.model()), fresh());
        QVERIFY(sell(pear, "1.5"));
        QCOMPARE(rowsOf(*s.window.model()), fresh());
        QVERIFY(s.shop().saleLines().remove(line).ok);
        QCOMPARE(rowsOf(*s.window.model()), fresh());
        GoodsRecord renamed = *s.goods().find(pear);
        renamed.name = QStringLiteral("鸭梨");
        QVERIFY(s.goods().update(renamed));
        QCOMPARE(rowsOf(*s.window.model()), fresh());
        QCOMPARE(s.window.model()->rowCount(), 4);
    }

    void emptyTableGivesAnEmptyReport()
    {
        SummaryShop s;
        s.window.show();
        QCOMPARE(s.window.model()->rowCount(), 0);
        QCOMPARE(s.window.grid()->currentRow(), -1);
        const QString sum = s.window.grid()->footer()->text(s.col(GoodsSummary::stockQuantityField()));
        QVERIFY2(sum.isEmpty() || sum == QStringLiteral("0"), qPrintable(sum));
        QVERIFY(s.shop().goodsSummary().lines().empty());
    }

    void amountsAreNeverReadForAnOrdinaryOperator()
    {
        SummaryShop s(quollin::test::ShopFixture::Start::Closed);
        s.addOperator(QStringLiteral("店员"));
        QVERIFY(s.signIn(QStringLiteral("店员")));
        s.seedGoods(stockIn("可乐", "690", 10));
        s.window.show();
        for (const QString &field : {GoodsSummary::purchaseAmountField(), GoodsSummary::salesAmountField(),
                                     GoodsSummary::stockAmountField()}) {
            QVERIFY2(s.window.model()->isNull(0, s.col(field)), qPrintable(field));
            QVERIFY(!s.window.grid()->isColumnVisible(field));
        }
        QCOMPARE(s.cell(0, GoodsSummary::purchasedQuantityField()), 10.0);
        QVERIFY(s.window.grid()->isColumnVisible(GoodsSummary::stockQuantityField()));
        const GoodsSummaryLine line = s.shop().goodsSummary().lines().at(0);
        QVERIFY(!line.purchaseAmount && !line.salesAmount && !line.stockAmount);
        QCOMPARE(line.stockQuantity, 10.0);
    }
};

QTEST_MAIN(GoodsSummaryTest)
#include "tst_goodssummary.moc"
