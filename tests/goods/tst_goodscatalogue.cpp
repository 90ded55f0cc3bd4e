#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "sales/SaleDesk.h"
#include "sales/SaleTransaction.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"

#include <QtTest>

#include <cmath>

using namespace quollin;

namespace {

// Everything the catalogue holds and answers, as text: the rows in ID order
// with every value (NULL apart from an empty text), then both answers of
// "全部记录" and the drop-down lists.
QStringList dump(const GoodsCatalogue &c)
{
    QStringList out;
    for (int slot = 0; slot < c.slotCount(); ++slot) {
        if (!c.isLive(slot))
            continue;
        QStringList row{QString::number(c.id(slot))};
        for (int f = 0; f < GoodsCatalogue::FieldCount; ++f) {
            if (c.isNull(slot, f))
                row << QStringLiteral("NULL");
            else if (GoodsCatalogue::isNumeric(f))
                row << QString::number(c.number(slot, f), 'g', 17);
            else
                row << QLatin1Char('"') + c.text(slot, f) + QLatin1Char('"');
        }
        out << row.join(QLatin1Char('|'));
    }
    for (ZeroStock z : {ZeroStock::Shown, ZeroStock::Hidden}) {
        QStringList ids;
        for (int slot : c.listRows(z))
            ids << QString::number(c.id(slot));
        out << QStringLiteral("list ") + ids.join(QLatin1Char(','));
    }
    const GoodsDropDowns &lists = c.dropDowns();
    for (const QStringList *l : {&lists.names, &lists.specifications, &lists.codes, &lists.categories, &lists.suppliers})
        out << QStringLiteral("lists ") + l->join(QLatin1Char('/')) + QString::number(l->size());
    return out;
}

QList<qint64> ids(const GoodsCatalogue &c, const std::vector<int> &rows)
{
    QList<qint64> out;
    for (int slot : rows)
        out << c.id(slot);
    return out;
}

QList<qint64> engineIds(GoodsStore &store, const BoundQuery &query)
{
    QList<qint64> out;
    store.scan(query, [&out](const Statement &s) { out << s.integer(0); });
    return out;
}

} // namespace

class GoodsCatalogueTest : public QObject {
    Q_OBJECT

private slots:
    // The held answers are the engine's for the statements they replace,
    // on values that trip a hand-made matcher.
    void heldAnswersAreTheEnginesAnswers()
    {
        test::ShopFixture shop(test::ShopFixture::Start::SignedInAsSuper);
        QString rows = QStringLiteral(R"(
            INSERT INTO data (a,b,c,d,e,f,g,z,"2","7",day1) VALUES
              ('可口可乐','500ml','6901','饮料','KKKL','ML','甲商行','',10,10,'2026-12-01'),
              ('Coke','can','ab%c','Drinks','coke','CAN','乙',NULL,5,0,'2026-11-30'),
              ('饼干',NULL,'a_c','零食','BG',NULL,'甲',NULL,'',NULL,NULL),
              ('ＡＢ','ｋ','abc','零食','ＡＢ','ｋ','','50%',0,-2,'2026-12-01'),
              ('k\x','','A\B','饮料','k\x','_','甲商行','x_y','abc','',''),
              ('钢笔','x','',NULL,'GB','',NULL,'%',NULL,3,'2026-12-02'),
              ('铅笔','y','69_01','文具','qb','Y','丙','备注',-1,'abc','2026-12-01 ')
        )");
        // A server keeps no text in a number column: there those cells are none.
        if (test::TestEnvironment::onServer())
            rows.replace(QStringLiteral("'',NULL,NULL"), QStringLiteral("NULL,NULL,NULL"))
                .replace(QStringLiteral("'abc','',''"), QStringLiteral("NULL,NULL,''"))
                .replace(QStringLiteral("-1,'abc'"), QStringLiteral("-1,NULL"));
        shop.db().execScript(rows);
        GoodsCatalogue held(shop.shop());
        held.load();
        GoodsStore &store = shop.goods();

        for (ZeroStock z : {ZeroStock::Shown, ZeroStock::Hidden}) {
            QCOMPARE(ids(held, held.listRows(z)), engineIds(store, GoodsQuery::list(z)));
            const QStringList typed{"k", "K", "kl", "%", "_", "\\", "ａ", "Ａ", "A", "ab", "c", "x_", "可", " "};
            for (const QString &t : typed) {
                for (int box = 0; box < 6; ++box) {
                    GoodsSearch s;
                    QString *boxes[] = {&s.category, &s.nameInitials, &s.specInitials, &s.code, &s.remarks, &s.supplier};
                    *boxes[box] = t;
                    QCOMPARE(ids(held, held.searchRows(z, s)), engineIds(store, GoodsQuery::condition(z, s)));
                }
            }
            GoodsSearch none;
            QCOMPARE(ids(held, held.searchRows(z, none)), engineIds(store, GoodsQuery::condition(z, none)));
            GoodsSearch both;
            both.category = QStringLiteral("饮");
            both.supplier = QStringLiteral("甲");
            both.dateRange = true;
            both.from = QDate(2026, 12, 1);
            both.to = QDate(2026, 12, 1);
            QCOMPARE(ids(held, held.searchRows(z, both)), engineIds(store, GoodsQuery::condition(z, both)));
            GoodsSearch dates;
            dates.dateRange = true;
            dates.from = QDate(2026, 11, 30);
            dates.to = QDate(2026, 12, 1);
            QCOMPARE(ids(held, held.searchRows(z, dates)), engineIds(store, GoodsQuery::condition(z, dates)));
            // One row judged alone (after a sale) as the whole search.
            const std::vector<int> found = held.searchRows(z, dates);
            for (int slot = 0; slot < held.slotCount(); ++slot)
                QCOMPARE(held.searchTakes(slot, z, dates), std::find(found.begin(), found.end(), slot) != found.end());
        }
        for (int field : {GoodsCatalogue::Name, GoodsCatalogue::Specification, GoodsCatalogue::Code,
                          GoodsCatalogue::Category, GoodsCatalogue::Supplier, GoodsCatalogue::Remarks})
            QCOMPARE(held.distinctTexts(field),
                     DistinctValues(shop.db(), QLatin1String(GoodsCatalogue::columnOf(field)), QStringLiteral("data")));
    }

    // A scanned code: the whole code, blanks and letter case aside; only
    // rows the condition query lists, with a name and stock, are for sale.
    void scannedCodeFindsWholeCodesWithStock()
    {
        test::ShopFixture shop(test::ShopFixture::Start::SignedInAsSuper);
        QString rows = QStringLiteral(R"(
            INSERT INTO data (a,c,"2","7") VALUES
              ('甲',' AB12 ',5,5), ('乙','ab12',5,0.5), ('丙','AB123',5,5), ('丁','B12',5,5),
              ('戊','ab12',5,0), ('己','ab12',5,-2), ('庚','ab12',5,NULL), ('辛','ab12',5,'x'),
              ('','ab12',5,5), ('壬','ab12',0,3)
        )");
        if (test::TestEnvironment::onServer()) // no text in a number column there
            rows.replace(QStringLiteral("5,'x'"), QStringLiteral("5,NULL"));
        shop.db().execScript(rows);
        GoodsCatalogue held(shop.shop());
        held.load();
        auto sellable = [&](ZeroStock z, const QString &code) {
            const GoodsCatalogue::CodeMatch m = held.matchCode(z, code);
            QStringList names;
            for (int slot : m.sellable)
                names << held.text(slot, GoodsCatalogue::Name);
            return names.join(QLatin1Char(',')) + QStringLiteral(" +%1").arg(m.unsellable);
        };
        QCOMPARE(sellable(ZeroStock::Shown, QStringLiteral("ab12\t")), QStringLiteral("甲,乙 +6"));
        // Purchased 0 is listed only while zero stock is hidden.
        QCOMPARE(sellable(ZeroStock::Hidden, QStringLiteral("AB12")), QStringLiteral("甲,乙,壬 +5"));
        QCOMPARE(sellable(ZeroStock::Shown, QStringLiteral("12")), QStringLiteral(" +0"));
        QCOMPARE(sellable(ZeroStock::Shown, QStringLiteral("  ")), QStringLiteral(" +0"));
    }

    // After each announced change the rows held are the file's, as a fresh
    // read gives them; and the list keeps the operator's place after a sale.
    void heldRowsFollowEveryAnnouncedChange()
    {
        test::ShopFixture shop(test::ShopFixture::Start::SignedInAsSuper);
        QWidget window;
        GoodsList list(shop.shop(), shop.prompter, &window);
        GoodsStore &store = shop.goods();
        auto fileRows = [&shop] {
            GoodsCatalogue fresh(shop.shop());
            fresh.load();
            return dump(fresh);
        };
        auto stockIn = [&store](const char *name, const char *quantity, const char *date) {
            StockInBoxes b;
            b.name = QString::fromUtf8(name);
            b.code = QString::fromUtf8(name);
            b.category = QStringLiteral("饮料");
            b.date = QString::fromLatin1(date);
            b.purchasePrice = QStringLiteral("2");
            b.quantity = QString::fromLatin1(quantity);
            b.salePrice = QStringLiteral("3");
            return store.addStockIn(b).record->id;
        };
        const qint64 first = stockIn("甲", "5", "2026-12-02");
        const qint64 second = stockIn("乙", "8", "2026-12-01");
        const qint64 third = stockIn("丙", "3", "2026-12-03");
        list.startReading();
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.rowCount(), 3);

        // A new stock-in, then a change of an existing one.
        const qint64 fourth = stockIn("丁丁丁丁丁丁丁丁丁丁丁丁丁丁丁丁", "6", "2026-11-30");
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.rowCount(), 4);
        StockInBoxes change;
        change.name = QStringLiteral("乙二");
        change.code = QStringLiteral("y2");
        change.category = QStringLiteral("零食");
        change.date = QStringLiteral("2026-12-04");
        change.purchasePrice = QStringLiteral("2");
        change.quantity = QStringLiteral("9");
        change.salePrice = QStringLiteral("4");
        QVERIFY(store.changeStockIn(second, change).ok());
        QCOMPARE(dump(list.catalogue()), fileRows());

        // A sale from the panel: the sold row changes in place, the sorted
        // order and the cursor stay.
        const int quantity = list.grid()->model()->columnOf(QStringLiteral("2"));
        emit list.grid()->titleClicked(quantity);
        const int row = list.rowOf(third);
        list.grid()->setCurrentRow(row);
        const QList<qint64> order = [&list] {
            QList<qint64> ids;
            for (int r = 0; r < list.rowCount(); ++r)
                ids << list.goodsId(r);
            return ids;
        }();
        SaleInput sale;
        sale.goodsId = third;
        sale.price = QStringLiteral("3");
        sale.quantity = QStringLiteral("2");
        sale.arrears = QStringLiteral("0");
        sale.saleDate = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        sale.slipNumber = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("001");
        QCOMPARE(shop.shop().sales().confirm(sale).refusal, SaleRefusal::None);
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.currentGoodsId(), third);
        QCOMPARE(list.grid()->currentRow(), row);
        for (int r = 0; r < list.rowCount(); ++r)
            QCOMPARE(list.goodsId(r), order.at(r));
        QCOMPARE(list.grid()->model()->displayText(row, list.grid()->model()->columnOf(QStringLiteral("7"))),
                 QStringLiteral("1"));
        QCOMPARE(list.grid()->footer()->text(list.grid()->model()->columnOf(QStringLiteral("7"))),
                 QStringLiteral("21")); // 5 + 9 + 1 + 6

        // The keyboard confirmation: "全部记录", the cursor on the last row.
        sale.goodsId = first;
        QCOMPARE(shop.shop().sales().confirm(sale, RecordedSale::Origin::Keyboard).refusal, SaleRefusal::None);
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.grid()->currentRow(), list.rowCount() - 1);

        // A deletion.
        QVERIFY(store.remove(fourth));
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.rowOf(fourth), -1);

        // An import: many rows at once, announced without their IDs.
        {
            ShopTransaction tx(shop.shop());
            tx.db().execScript(QStringLiteral(
                "INSERT INTO data (a,c,d,\"2\",\"7\",day1) VALUES ('戊','w','五金',1,1,'2026-12-05'),('己',NULL,'',2,0,NULL)"));
            tx.changes().goods.all();
            tx.commit();
        }
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.rowCount(), 5);

        // A restore: the file replaced while closed, then opened again.
        shop.shop().closeDatabase();
        {
            auto other = ShopDatabase::open(shop.env.databasePath());
            other->execScript(QStringLiteral("DELETE FROM data WHERE a='甲'"));
            other->execScript(QStringLiteral("UPDATE data SET a='庚' WHERE a='戊'"));
        }
        shop.shop().reopen();
        QCOMPARE(dump(list.catalogue()), fileRows());
        QCOMPARE(list.rowCount(), 4);
    }
};

QTEST_MAIN(GoodsCatalogueTest)
#include "tst_goodscatalogue.moc"
