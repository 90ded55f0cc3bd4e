#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "goods/ColumnMemory.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"
#include "widgets/DataGrid.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using namespace quollin;
using quollin::test::fileBytes;

namespace {

struct ListShop : quollin::test::ShopFixture {
    GoodsStore &store = goods();
    QWidget window;
    GoodsList list{shop(), prompter, &window};
    DataGrid *grid = list.grid();
    QString ini = env.path(QStringLiteral("qljxc.ini"));
    ColumnMemory memory{grid, settings, goodsColumnSwitches(), QStringLiteral("morvel"), ini};

    ListShop() : ShopFixture(Start::SignedInAsSuper) { grid->setFitToWidth(false); } // widths as set, not scaled

    QAction *entry(const char *setting) const { return memory.action(QLatin1String(setting)); }
    QString value(const char *setting) const { return settings.read(QLatin1String(setting)); }
    void remember(const char *setting, const char *value)
    {
        settings.write(QLatin1String(setting), QLatin1String(value));
    }
    // The visible columns, by field, in column number order.
    QString shown() const
    {
        QStringList out;
        for (const char *f : {"a", "b", "c", "d", "2", "1", "3", "5", "4", "6", "7", "8", "day1", "g", "z"})
            if (grid->isColumnVisible(QLatin1String(f)))
                out << QLatin1String(f);
        return out.join(QLatin1Char(' '));
    }
};

} // namespace

class ColumnMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void goodsEntriesAddressTheDesignedColumns()
    {
        ListShop shop;
        std::unique_ptr<QMenu> menu(shop.memory.buildMenu(&shop.window));
        QCOMPARE(menu->title(), QStringLiteral("隐藏列"));
        // Caption, goods grid column numbers, super administrator only.
        const std::vector<std::tuple<QString, QList<int>, bool>> expected{
            {"隐藏进货单价", {5}, true}, {"隐藏销售单价", {8}, false}, {"隐藏金额", {6, 9, 11}, true},
            {"隐藏日期", {12}, false},   {"隐藏供货商", {13}, false},  {"隐藏备注信息", {14}, false}};
        const std::vector<ColumnSwitch> switches = goodsColumnSwitches();
        QCOMPARE(menu->actions().size(), qsizetype(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            const auto &[caption, columns, restricted] = expected[i];
            QCOMPARE(menu->actions()[int(i)]->text(), caption);
            QVERIFY(menu->actions()[int(i)]->isCheckable() && !menu->actions()[int(i)]->isChecked());
            QList<int> got;
            for (const QString &f : switches[i].fields)
                got << shop.grid->column(f);
            QCOMPARE(got, columns);
            QCOMPARE(switches[i].restricted.has_value(), restricted);
        }
    }

    void toggleChangesColumnsAndStoresAtOnce()
    {
        ListShop shop;
        shop.entry("rukuyin2")->trigger();
        QCOMPARE(shop.shown(), QStringLiteral("a b c d 2 1 5 4 7 day1 g z"));
        QCOMPARE(SettingsStore(shop.env.settingsPath()).read(QStringLiteral("rukuyin2")), QStringLiteral("yes"));
        QCOMPARE(shop.value("rukuyin1"), QString());
        shop.entry("rukuyin2")->trigger();
        QVERIFY(!shop.entry("rukuyin2")->isChecked());
        QCOMPARE(shop.shown(), QStringLiteral("a b c d 2 1 3 5 4 6 7 8 day1 g z"));
        QCOMPARE(shop.value("rukuyin2"), QStringLiteral("no"));

        // An entry whose tick reveals a column hidden by design.
        ColumnMemory reveal(shop.grid, shop.settings, {ColumnSwitch{"reveal", "显示备注", {"z"}, false, {}}},
                            QStringLiteral("morvel"), shop.ini);
        shop.grid->hideColumn(QStringLiteral("z"));
        reveal.action(QStringLiteral("reveal"))->trigger();
        QVERIFY(shop.grid->isColumnVisible(QStringLiteral("z")));
        QCOMPARE(shop.value("reveal"), QStringLiteral("yes"));
        shop.remember("reveal", "no");
        reveal.applySaved();
        QVERIFY(!shop.grid->isColumnVisible(QStringLiteral("z")));
        QVERIFY(!reveal.action(QStringLiteral("reveal"))->isChecked());
    }

    void applySavedTakesOnlyYesAndNo()
    {
        ListShop shop;
        shop.memory.applySaved(); // nothing stored at all
        QCOMPARE(shop.shown(), QStringLiteral("a b c d 2 1 3 5 4 6 7 8 day1 g z"));

        shop.entry("rukuyin6")->trigger(); // sale price hidden, ticked
        shop.entry("rukuyin2")->trigger(); // amounts hidden, ticked
        shop.remember("rukuyin1", "yes");
        shop.remember("rukuyin6", "no");
        shop.remember("rukuyin2", "1");
        shop.remember("rukuyin4", "");
        shop.remember("rukuyin5", "Yes "); // rukuyin3 missing
        const QByteArray before = fileBytes(shop.env.settingsPath());
        shop.memory.applySaved();
        QCOMPARE(shop.shown(), QStringLiteral("a b c d 2 5 4 7 day1 g z"));
        QVERIFY(shop.entry("rukuyin1")->isChecked());
        QVERIFY(!shop.entry("rukuyin6")->isChecked());
        QVERIFY(shop.entry("rukuyin2")->isChecked()); // tick kept with its columns
        QVERIFY(!shop.entry("rukuyin5")->isChecked());
        QCOMPARE(fileBytes(shop.env.settingsPath()), before); // nothing normalised

        // Applied in order: a single entry after a group wins for its column.
        ColumnMemory two(shop.grid, shop.settings,
                         {ColumnSwitch{"group", "隐藏全部", {"g", "z"}, true, {}},
                          ColumnSwitch{"single", "隐藏备注", {"z"}, true, {}}},
                         QStringLiteral("morvel"), shop.ini);
        shop.remember("group", "yes");
        shop.remember("single", "no");
        two.applySaved();
        QVERIFY(shop.shown().endsWith(QLatin1String("day1 z")));
    }

    void layoutSavedAndReadBack()
    {
        ListShop shop;
        QHeaderView *header = shop.grid->header();
        header->resizeSection(0, 150);
        QVERIFY(!shop.memory.restoreWidths()); // no file yet: nothing changes
        QCOMPARE(shop.grid->columnWidth(0), 150);

        header->resizeSection(13, 77);
        header->moveSection(header->visualIndex(14), 0);
        shop.entry("rukuyin3")->trigger(); // the hidden date column goes into the layout
        QVERIFY(shop.memory.saveWidths());
        const QByteArray text = fileBytes(shop.ini);
        QVERIFY(text.contains("[morvel]"));
        QVERIFY(text.contains("DBGridEh1.a=1,150,"));
        QVERIFY(text.contains("DBGridEh1.g=14,77,0,1,"));

        header->resizeSection(0, 60);
        header->resizeSection(13, 200);
        header->moveSection(0, 14);
        shop.grid->showColumn(QStringLiteral("day1"));
        QVERIFY(shop.memory.restoreWidths());
        QCOMPARE(shop.grid->columnWidth(0), 150);
        QCOMPARE(shop.grid->columnWidth(13), 77);
        QCOMPARE(header->visualIndex(14), 0);
        QVERIFY(!shop.grid->isColumnVisible(QStringLiteral("day1")));
    }

    void restrictedEntriesAndColumns()
    {
        ListShop shop;
        const OperatorRestrictions clerk(QStringLiteral("小王"));
        shop.memory.applyRestrictions(clerk);
        for (const char *s : {"rukuyin1", "rukuyin2"}) {
            QVERIFY2(!shop.entry(s)->isVisible(), s);
            shop.entry(s)->trigger(); // no way round a hidden entry
            QVERIFY2(!shop.entry(s)->isChecked() && shop.value(s).isEmpty(), s);
        }
        for (const char *s : {"rukuyin6", "rukuyin3", "rukuyin4", "rukuyin5"})
            QVERIFY2(shop.entry(s)->isVisible(), s);

        QVERIFY(shop.memory.saveWidths()); // saved while everything shows
        shop.memory.setMayShow(goodsColumnsMayShow(clerk));
        const QString clerkSees = QStringLiteral("a b c d 2 5 4 6 7 day1 g z");
        QCOMPARE(shop.shown(), clerkSees);
        // Neither remembered "no"s nor a restored layout bring them back.
        shop.grid->hideColumn(QStringLiteral("6"));
        shop.remember("rukuyin1", "no");
        shop.remember("rukuyin2", "no");
        shop.memory.applySaved();
        QCOMPARE(shop.shown(), clerkSees);
        QVERIFY(shop.memory.restoreWidths());
        QCOMPARE(shop.shown(), clerkSees);

        const OperatorRestrictions boss(ShopDatabase::kSuperAdministrator);
        shop.memory.applyRestrictions(boss);
        shop.memory.setMayShow(goodsColumnsMayShow(boss));
        shop.entry("rukuyin1")->trigger();
        shop.entry("rukuyin1")->trigger();
        QVERIFY(shop.grid->isColumnVisible(QStringLiteral("1")));
        QCOMPARE(shop.value("rukuyin1"), QStringLiteral("no"));
    }
};

QTEST_MAIN(ColumnMemoryTest)
#include "tst_columnmemory.moc"
