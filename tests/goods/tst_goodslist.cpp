#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

namespace {

struct ListShop : quollin::test::ShopFixture {
    ListShop() : ShopFixture(Start::SignedInAsSuper) {}
    GoodsStore &store = goods();
    QWidget window;
    GoodsList list{shop(), prompter, &window};

    void add(const char *name, const char *category, const char *quantity, const char *supplier = "甲商行")
    {
        StockInBoxes b;
        b.name = QString::fromUtf8(name);
        b.code = QStringLiteral("69%1").arg(list.rowCount());
        b.category = QString::fromUtf8(category);
        b.date = QStringLiteral("2026-12-01");
        b.purchasePrice = QStringLiteral("2");
        b.quantity = QString::fromUtf8(quantity);
        b.salePrice = QStringLiteral("3");
        b.supplier = QString::fromUtf8(supplier);
        QVERIFY(store.addStockIn(b).ok());
    }
    QStringList names() const
    {
        QStringList out;
        for (int row = 0; row < list.rowCount(); ++row)
            out << list.record(row).name;
        return out;
    }
};

} // namespace

class GoodsListTest : public QObject {
    Q_OBJECT

private slots:
    void liveSearchAndRefresh()
    {
        ListShop shop;
        shop.add("可口可乐", "饮料", "10");
        shop.add("饼干", "零食", "4");
        shop.add("百分之100%果汁", "饮料", "6");
        shop.list.refreshAll();
        QCOMPARE(shop.list.rowCount(), 3);
        QCOMPARE(shop.list.grid()->currentRow(), 2); // the cursor on the last row
        QCOMPARE(shop.list.grid()->footer()->text(4), QStringLiteral("20"));

        QTest::keyClicks(shop.list.nameBox(), QStringLiteral("kl")); // initials anywhere in e
        QCOMPARE(shop.names(), QStringList{QStringLiteral("可口可乐")});
        shop.list.nameBox()->clear();
        QCOMPARE(shop.list.rowCount(), 3);
        shop.list.categoryBox()->setEditText(QStringLiteral("饮料"));
        QCOMPARE(shop.list.rowCount(), 2);

        // "全部记录" empties the drop-down boxes but not the text boxes.
        shop.list.remarksBox()->setText(QStringLiteral("x"));
        shop.list.refreshAll();
        QCOMPARE(shop.list.categoryBox()->currentText(), QString());
        QCOMPARE(shop.list.supplierBox()->currentText(), QString());
        QCOMPARE(shop.list.remarksBox()->text(), QStringLiteral("x"));
        QCOMPARE(shop.list.categoryBox()->count(), 2);
        QCOMPARE(shop.list.rowCount(), 3);

        shop.list.clearConditions();
        QCOMPARE(shop.list.remarksBox()->text(), QString());
        QVERIFY(!shop.list.dateTick()->isChecked());
    }

    void zeroStockAlarmAndSortMarks()
    {
        ListShop shop;
        shop.add("甲", "饮料", "0");
        shop.add("乙", "饮料", "5");
        shop.add("丙", "饮料", "7");
        shop.list.refreshAll();
        QCOMPARE(shop.list.rowCount(), 3);

        shop.list.zeroStockTick()->click();
        QCOMPARE(shop.list.zeroStock(), ZeroStock::Hidden);
        QCOMPARE(shop.settings.read(QStringLiteral("n0")), QStringLiteral("no"));
        QCOMPARE(shop.list.rowCount(), 2);
        shop.list.zeroStockTick()->click();
        QCOMPARE(shop.settings.read(QStringLiteral("n0")), QStringLiteral("yes"));
        QCOMPARE(shop.list.rowCount(), 3);

        // Level 5 paints stock 0 and 5 red, not 7; emptying the box stores "0".
        GridModel *model = shop.list.grid()->model();
        QVERIFY(model->isHighlighted(0));
        QVERIFY(model->isHighlighted(1));
        QVERIFY(!model->isHighlighted(2));
        shop.list.alarmBox()->selectAll();
        QTest::keyClick(shop.list.alarmBox(), Qt::Key_Backspace);
        QCOMPARE(shop.list.alarmBox()->text(), QStringLiteral("0"));
        QCOMPARE(shop.settings.read(QStringLiteral("number")), QStringLiteral("0"));
        QVERIFY(model->isHighlighted(0));
        QVERIFY(!model->isHighlighted(1));

        // Two clicks on the purchase quantity title: descending, then ascending;
        // the mark lags one step behind.
        const int quantity = model->columnOf(QStringLiteral("2"));
        emit shop.list.grid()->titleClicked(quantity);
        QCOMPARE(shop.names(), (QStringList{QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("甲")}));
        QCOMPARE(shop.list.grid()->sortMark(quantity), SortMark::Ascending);
        emit shop.list.grid()->titleClicked(quantity);
        QCOMPARE(shop.names(), (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
        QCOMPARE(shop.list.grid()->sortMark(quantity), SortMark::Descending);
        QCOMPARE(shop.list.record(0).name, QStringLiteral("甲")); // rows follow the order shown
    }

    void dropDownListsAreTheEnginesDistinctValues()
    {
        ListShop shop;
        shop.add("b", "饮料", "1", "乙");
        shop.add("B", "饮料", "0", "");
        shop.add("可乐", "食品", "2", "乙");
        shop.add("￥", "食品", "3", "甲");
        shop.add("𠀀", "饮料", "4", "甲"); // above U+FFFF, a character without pinyin: last
        shop.add("a", "食品", "5", "甲");
        shop.add("铅笔", "文具", "1", "张");
        shop.add("锤子", "五金", "0", "李");
        // Beyond the first eight characters only: 面 (mian) before 味 (wei).
        shop.add("康师傅方便面红烧牛肉面", "食品", "6", "甲");
        shop.add("康师傅方便面红烧牛肉味", "食品", "7", "甲");
        {
            // Rows no stock-in can make, written as the session's writers do.
            ShopTransaction tx(shop.shop());
            tx.db().execScript(QStringLiteral("INSERT INTO data (a, c, \"2\", \"7\") VALUES (NULL, '690', 1, 1)"));
            tx.changes().goods.added(tx.db().lastInsertId());
            tx.db().execScript(QStringLiteral("INSERT INTO data (a, c, d, \"2\", \"7\") VALUES ('b', '691', '', 1, 1)"));
            tx.changes().goods.added(tx.db().lastInsertId());
            tx.commit();
        }
        QList<GoodsDropDowns> refilled;
        QObject::connect(&shop.list, &GoodsList::dropDownsRefilled,
                         [&refilled](const GoodsDropDowns &lists) { refilled << lists; });

        for (bool hideZero : {false, true}) {
            if (hideZero != (shop.list.zeroStock() == ZeroStock::Hidden))
                shop.list.zeroStockTick()->click();
            else
                shop.list.refreshAll();
            QVERIFY(!refilled.isEmpty());
            const GoodsDropDowns lists = refilled.takeLast();
            const GoodsDropDowns engine = shop.store.dropDowns();
            QCOMPARE(lists.names, engine.names);
            QCOMPARE(lists.specifications, engine.specifications);
            QCOMPARE(lists.codes, engine.codes);
            QCOMPARE(lists.categories, engine.categories);
            QCOMPARE(lists.suppliers, engine.suppliers);
            // Symbols, Latin letters ("b" and "B" one entry), Chinese by pinyin.
            QCOMPARE(lists.names, (QStringList{QString(), "￥", "a", "B", "锤子", "康师傅方便面红烧牛肉面",
                                               "康师傅方便面红烧牛肉味", "可乐", "铅笔", "𠀀"}));
            QVERIFY(lists.names.first().isNull());
            QCOMPARE(lists.suppliers, (QStringList{QString(), "", "甲", "李", "乙", "张"}));
            QCOMPARE(shop.list.categoryBox()->count(), 6); // NULL, '', 食品, 文具, 五金, 饮料
            QCOMPARE(shop.list.categoryBox()->currentText(), QString());
        }
    }

    void titleSortOrdersNamesAsTheDropDownLists()
    {
        ListShop shop;
        for (const char *name : {"张", "Coke", "李", "王", "铅笔", "coke", "锤子", "Cokes", "可乐", "b2", "B1"})
            shop.add(name, "饮料", "1");
        shop.list.refreshAll();
        // The first click sorts descending, the second ascending.
        const int name = shop.list.grid()->model()->columnOf(QStringLiteral("a"));
        emit shop.list.grid()->titleClicked(name);
        emit shop.list.grid()->titleClicked(name);
        QStringList sorted;
        for (const QString &name : shop.names())
            if (sorted.isEmpty() || sorted.last().compare(name, Qt::CaseInsensitive) != 0)
                sorted << name;
        QCOMPARE(sorted, shop.store.dropDowns().names);
        QCOMPARE(sorted, (QStringList{"B1", "b2", "Coke", "Cokes", "锤子", "可乐", "李", "铅笔", "王", "张"}));
    }

    void deletedRowIsDroppedWithoutReading()
    {
        ListShop shop;
        shop.add("甲", "饮料", "1");
        shop.add("乙", "饮料", "4");
        shop.add("丙", "饮料", "2");
        shop.add("丁", "饮料", "3");
        shop.list.refreshAll();
        // Sorted by purchase quantity, descending: 乙 丁 丙 甲.
        const int quantity = shop.list.grid()->model()->columnOf(QStringLiteral("2"));
        emit shop.list.grid()->titleClicked(quantity);
        QCOMPARE(shop.names(), (QStringList{"乙", "丁", "丙", "甲"}));
        // A row stored meanwhile (by another program) must not appear: the
        // list is not read again.
        GoodsRecord other;
        other.name = QStringLiteral("戊");
        other.quantity = 9;
        other.day1 = QStringLiteral("2026-12-01");
        shop.seedGoods(other);

        // The list follows the deletion by itself.
        shop.list.grid()->setCurrentRow(1);
        const qint64 id = shop.list.currentGoodsId();
        QVERIFY(shop.store.remove(id));
        QCOMPARE(shop.names(), (QStringList{"乙", "丙", "甲"}));
        QCOMPARE(shop.list.grid()->currentRow(), 1); // on 丙, which took its place
        QCOMPARE(shop.list.grid()->footer()->text(4), QStringLiteral("7"));
        QCOMPARE(shop.list.grid()->sortMark(quantity), SortMark::Ascending);

        // The last row goes: the cursor moves to the new last row.
        shop.list.grid()->setCurrentRow(2);
        const qint64 last = shop.list.currentGoodsId();
        QVERIFY(shop.store.remove(last));
        QCOMPARE(shop.names(), (QStringList{"乙", "丙"}));
        QCOMPARE(shop.list.grid()->currentRow(), 1);
        shop.list.dropRow(last); // already gone: nothing changes
        QCOMPARE(shop.list.rowCount(), 2);
    }

    // Backup and restore close the file and open it again: no window keeps
    // the old connection, and the list reads the reopened file by itself.
    void listFollowsTheFileClosedAndReopened()
    {
        ListShop shop;
        shop.add("甲", "饮料", "1");
        QCOMPARE(shop.list.rowCount(), 1);
        shop.shop().closeDatabase();
        QVERIFY_THROWS_EXCEPTION(DbError, shop.store.find(1));
        shop.list.refreshAll(); // told, not crashed
        QVERIFY(!shop.prompter.lastText().isEmpty());

        // Meanwhile the file gains a row (a restored copy).
        {
            auto other = ShopDatabase::open(shop.env.databasePath());
            other->execScript(QStringLiteral("INSERT INTO data (a, \"2\", \"7\", day1) VALUES ('乙', 2, 2, '2026-12-02')"));
        }
        shop.shop().reopen();
        QCOMPARE(shop.names(), (QStringList{"甲", "乙"}));

        // Another copy of the program writes to the open file: nothing of it is
        // announced here, but "全部记录" shows it, as it did when it read the file.
        {
            auto other = ShopDatabase::open(shop.env.databasePath());
            other->execScript(QStringLiteral("INSERT INTO data (a, \"2\", \"7\", day1) VALUES ('丙', 3, 3, '2026-12-03')"));
        }
        shop.list.refreshAll();
        QCOMPARE(shop.names(), (QStringList{"甲", "乙", "丙"}));
    }
};

QTEST_MAIN(GoodsListTest)
#include "tst_goodslist.moc"
