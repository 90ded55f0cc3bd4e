#include "widgets/DataGrid.h"
#include "widgets/GridLayoutIni.h"
#include "widgets/GridModel.h"

#include "support/TestEnvironment.h"

#include <QAccessible>
#include <QDate>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace quollin;

namespace {

// The goods list's columns: four text columns, then numbers, a date and texts.
std::vector<GridColumn> goodsColumns()
{
    const QString info = QStringLiteral("商 品 信 息");
    const QString in = QStringLiteral("进 货");
    const QString out = QStringLiteral("销 售");
    const QString stock = QStringLiteral("存 货");
    const QString notes = QStringLiteral("备 注");
    return {
        {"a", "名 称", info, GridKind::Text, FooterKind::Text, "总计"},
        {"b", "规格型号", info},
        {"c", "编 码", info},
        {"d", "类 别", info},
        {"2", "数 量", in, GridKind::Quantity, FooterKind::Sum},
        {"1", "单 价", in, GridKind::Plain},
        {"3", "金 额", in, GridKind::Amount, FooterKind::Sum},
        {"5", "数 量", out, GridKind::Quantity, FooterKind::Sum},
        {"4", "单 价", out, GridKind::Plain},
        {"6", "金 额", out, GridKind::Amount, FooterKind::Sum},
        {"7", "数 量", stock, GridKind::Quantity, FooterKind::Sum},
        {"8", "金 额", stock, GridKind::Amount, FooterKind::Sum},
        {"day1", "入库日期", notes, GridKind::Date},
        {"g", "供货商", notes},
        {"z", "备 注", notes},
    };
}

struct Goods {
    QString name;
    QVariant quantity; // field 2
    QVariant price;    // field 1
    QVariant stock;    // field 7
};

GridRows goodsRows(const GridModel &model, const std::vector<Goods> &goods)
{
    GridRows rows = model.emptyRows();
    for (const Goods &g : goods) {
        const int r = rows.addRow();
        rows.set(r, 0, g.name);
        rows.set(r, 4, g.quantity);
        rows.set(r, 5, g.price);
        rows.set(r, 10, g.stock);
        if (!g.quantity.isNull() && !g.price.isNull())
            rows.setNumber(r, 6, g.quantity.toDouble() * g.price.toDouble());
    }
    return rows;
}

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

QStringList namesInOrder(const GridModel &model)
{
    QStringList names;
    for (int r = 0; r < model.rowCount(); ++r)
        names << model.displayText(r, 0);
    return names;
}

int visibleWidth(const DataGrid &grid)
{
    int total = 0;
    for (int c = 0; c < grid.header()->count(); ++c)
        if (!grid.header()->isSectionHidden(c))
            total += grid.header()->sectionSize(c);
    return total;
}

} // namespace

class DataGridTest : public QObject {
    Q_OBJECT

private slots:
    void cellsShowTheirKindsFormat()
    {
        GridModel model(goodsColumns());
        GridRows rows = model.emptyRows();
        const int r = rows.addRow();
        rows.set(r, 0, QStringLiteral("螺丝刀"));
        rows.set(r, 4, 1.23456);                      // quantity
        rows.set(r, 5, 2.5);                           // plain price
        rows.set(r, 6, 3.0);                           // amount
        rows.set(r, 7, QStringLiteral("12.5"));        // number given as text
        rows.set(r, 9, QStringLiteral("abc"));         // unreadable: stays empty
        rows.set(r, 8, 0.1 * 3);                       // binary noise kept out
        rows.set(r, 11, 2.675);
        rows.set(r, 12, QDate(2016, 3, 1));
        const int empty = rows.addRow();
        model.setRows(std::move(rows));

        QCOMPARE(model.displayText(r, 0), QStringLiteral("螺丝刀"));
        QCOMPARE(model.displayText(r, 4), QStringLiteral("1.235"));
        QCOMPARE(model.displayText(r, 5), QStringLiteral("2.5"));
        QCOMPARE(model.displayText(r, 6), QStringLiteral("3"));
        QCOMPARE(model.displayText(r, 7), QStringLiteral("12.5"));
        QCOMPARE(model.displayText(r, 9), QString());
        QVERIFY(model.isNull(r, 9));
        QCOMPARE(model.displayText(r, 8), QStringLiteral("0.3"));
        QCOMPARE(model.displayText(r, 11), QStringLiteral("2.68"));
        QCOMPARE(model.displayText(r, 12), QStringLiteral("2016-03-01"));
        for (int c = 0; c < model.columnCount(); ++c)
            QCOMPARE(model.displayText(empty, c), QString());
        QCOMPARE(model.number(empty, 4), 0.0);

        auto align = [&](int column) {
            return Qt::Alignment(model.data(model.index(r, column), Qt::TextAlignmentRole).toInt());
        };
        QVERIFY(align(0) & Qt::AlignLeft);
        QVERIFY(align(4) & Qt::AlignRight);
        QVERIFY(align(5) & Qt::AlignRight);
        QVERIFY(align(12) & Qt::AlignHCenter);
    }

    // A screen reader reaches each footer value by its column's titles, in
    // the order the columns stand, hidden columns left out.
    void footerValuesAreReadWithTheirColumn()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setGridName(QStringLiteral("商品列表"));
        grid.setModel(&model);
        model.setRows(goodsRows(model, {{"甲", 0.1, 2, 1}, {"乙", 0.2, 3.333, 2.5}}));
        grid.hideColumn(QStringLiteral("3"));
        grid.header()->moveSection(grid.header()->visualIndex(10), 0);
        grid.resize(900, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));

        QAccessibleInterface *footer = QAccessible::queryAccessibleInterface(grid.footer());
        QVERIFY(footer);
        QCOMPARE(footer->text(QAccessible::Name), QStringLiteral("商品列表合计"));
        QStringList read;
        for (int i = 0; i < footer->childCount(); ++i) {
            QAccessibleInterface *cell = footer->child(i);
            QVERIFY(cell && cell->isValid());
            QCOMPARE(cell->parent(), footer);
            QCOMPARE(footer->indexOfChild(cell), i);
            QVERIFY(cell->rect().isValid());
            QAccessibleTextInterface *text = cell->textInterface();
            QVERIFY(text);
            QCOMPARE(text->text(0, text->characterCount()), cell->text(QAccessible::Value));
            read << cell->text(QAccessible::Name) + QLatin1Char('=') + cell->text(QAccessible::Value);
        }
        QCOMPARE(read, (QStringList{"存货 数量=3.5", "商品信息 名称=总计", "进货 数量=0.3", "销售 数量=0",
                                    "销售 金额=0", "存货 金额=0"}));
    }

    // The proportional shares cut a long name while the number columns have
    // room to spare; fitted to the contents, the name shows whole and so does
    // every number.
    void textColumnsGetTheirContentFirst()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        grid.resize(1100, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QString name = QStringLiteral("康师傅红烧牛肉面（五连包）");
        model.setRows(goodsRows(model, {{name, 12345.5, 3.25, 1234567.125}, {"乙", 2, 3, 4}}));
        const QFontMetrics metrics = grid.view()->fontMetrics();
        const auto fits = [&](int column, const QString &text) {
            return grid.columnWidth(column) >= metrics.horizontalAdvance(text) + 6;
        };
        QVERIFY(!fits(0, name)); // as the shares left it

        grid.fitColumnsToContents();
        QVERIFY2(fits(0, name), qPrintable(QString::number(grid.columnWidth(0))));
        for (int column : {4, 5, 6, 10})
            QVERIFY2(fits(column, model.displayText(0, column)), qPrintable(model.displayText(0, column)));
        QCOMPARE(visibleWidth(grid), grid.view()->viewport()->width());

        // A border the operator dragged is kept.
        grid.header()->resizeSection(0, 60);
        const int dragged = grid.columnWidth(0);
        grid.fitColumnsToContents();
        QCOMPARE(grid.columnWidth(0), dragged);
    }

    void footerFollowsEveryChangeOfRows()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        QCOMPARE(grid.footer()->text(0), QStringLiteral("总计"));
        QCOMPARE(grid.footer()->text(4), QStringLiteral("0"));
        QCOMPARE(grid.footer()->text(5), QString()); // prices are not summed

        model.setRows(goodsRows(model, {{"甲", 0.1, 2, 1}, {"乙", 0.2, 3.333, {}}, {"丙", {}, {}, 2.5}}));
        QCOMPARE(grid.footer()->text(4), QStringLiteral("0.3"));
        QCOMPARE(grid.footer()->text(6), QStringLiteral("0.87")); // 0.2 + 0.6666
        QCOMPARE(grid.footer()->text(10), QStringLiteral("3.5"));

        // The line on screen is drawn again, not only the sums recomputed.
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        PaintCounter paints;
        grid.footer()->installEventFilter(&paints);
        model.setValue(1, 10, 10);
        QCOMPARE(grid.footer()->text(10), QStringLiteral("13.5"));
        QTRY_VERIFY(paints.count > 0);

        // Sorting leaves the sums alone; a new result replaces them.
        model.sortBy(4, Qt::DescendingOrder);
        QCOMPARE(grid.footer()->text(10), QStringLiteral("13.5"));
        model.setRows(goodsRows(model, {{"丁", -2, 5, -2}}));
        QCOMPARE(grid.footer()->text(4), QStringLiteral("-2"));
        QCOMPARE(grid.footer()->text(6), QStringLiteral("-10"));
        model.clear();
        QCOMPARE(grid.footer()->text(10), QStringLiteral("0"));
    }

    void hiddenColumnsGiveTheirWidthToTheOthers()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        grid.resize(900, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const int width = grid.view()->viewport()->width();
        QCOMPARE(visibleWidth(grid), width);

        grid.hideColumn(QStringLiteral("1"));
        grid.hideColumn(QStringLiteral("nonexistent"));
        QVERIFY(!grid.isColumnVisible(QStringLiteral("1")));
        QVERIFY(grid.header()->isSectionHidden(5));
        QVERIFY(grid.columnWidth(5) > 0);
        QCOMPARE(visibleWidth(grid), width);

        // New rows and a sort keep the columns as the operator left them.
        grid.header()->moveSection(0, 2);
        model.setRows(goodsRows(model, {{"甲", 1, 2, 3}, {"乙", 2, 3, 4}}));
        model.sortBy(4, Qt::DescendingOrder);
        model.clear();
        QVERIFY(!grid.isColumnVisible(QStringLiteral("1")));
        QCOMPARE(grid.header()->visualIndex(0), 2);
        QCOMPARE(visibleWidth(grid), width);

        grid.showColumn(QStringLiteral("1"));
        QVERIFY(grid.isColumnVisible(QStringLiteral("1")));
        QCOMPARE(visibleWidth(grid), width);

        // A drag of one border keeps the whole within the grid.
        grid.header()->resizeSection(0, grid.header()->sectionSize(0) + 80);
        QCOMPARE(visibleWidth(grid), width);
    }

    void numericSortIsStableBothWays()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        model.setRows(goodsRows(model, {{"a1", 5, 1, 0},
                                        {"b", {}, 1, 0},
                                        {"a2", 5, 1, 0},
                                        {"c", -1, 1, 0},
                                        {"a3", 5, 1, 0},
                                        {"d", 10, 1, 0}}));
        grid.setCurrentRow(5); // "d"

        model.sortBy(4, Qt::AscendingOrder);
        QCOMPARE(namesInOrder(model), QStringList({"b", "c", "a1", "a2", "a3", "d"}));
        QCOMPARE(grid.currentRow(), 5);
        model.sortBy(4, Qt::DescendingOrder);
        QCOMPARE(namesInOrder(model), QStringList({"d", "a1", "a2", "a3", "c", "b"}));
        QCOMPARE(grid.currentRow(), 0);
        QCOMPARE(model.displayText(grid.currentRow(), 0), QStringLiteral("d"));
        QCOMPARE(model.loadIndex(0), 5);

        model.restoreLoadOrder();
        QCOMPARE(namesInOrder(model), QStringList({"a1", "b", "a2", "c", "a3", "d"}));
    }

    void removedRowLeavesSortedAndLoadOrderAndSums()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        model.setRows(goodsRows(model, {{"a", 3, 1, 1}, {"b", 1, 1, 2}, {"c", 4, 1, 4}, {"d", 2, 1, 8}}));
        model.sortBy(4, Qt::DescendingOrder); // c a d b
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        QCOMPARE(model.displayRowOf(0), 1); // "a" was loaded first, shows second
        model.removeDisplayRow(1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.first().at(1).toInt(), 1);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(namesInOrder(model), QStringList({"c", "d", "b"}));
        QCOMPARE(grid.footer()->text(4), QStringLiteral("7"));
        QCOMPARE(grid.footer()->text(10), QStringLiteral("14"));
        // Load order is the old one without the row, and the stored cells moved
        // with their rows.
        QCOMPARE(model.loadIndex(0), 1);
        QCOMPARE(model.displayRowOf(0), 2);
        QCOMPARE(model.displayRowOf(3), -1);
        QCOMPARE(model.number(1, 10), 8.0);
        model.restoreLoadOrder();
        QCOMPARE(namesInOrder(model), QStringList({"b", "c", "d"}));
        model.sortBy(10, Qt::AscendingOrder);
        QCOMPARE(namesInOrder(model), QStringList({"b", "c", "d"}));

        model.removeDisplayRow(3); // no such row: nothing happens
        model.removeDisplayRow(-1);
        QCOMPARE(removed.count(), 1);
        for (int i = 0; i < 3; ++i)
            model.removeDisplayRow(0);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(grid.footer()->text(4), QStringLiteral("0"));
        QCOMPARE(grid.currentRow(), -1);
    }

    void textSortIsStableAndFollowsTheGridsRule()
    {
        std::vector<GridColumn> columns = {{"a", "名称"}, {"z", "备注"}};
        GridModel model(columns);
        model.setTextOrder(&GridModel::plainOrder);
        GridRows rows = model.emptyRows();
        const QStringList names = {"b", "A", "b", "a", "", "B"};
        for (int i = 0; i < names.size(); ++i) {
            const int r = rows.addRow();
            rows.set(r, 0, names[i]);
            rows.set(r, 1, QString::number(i));
        }
        model.setRows(std::move(rows));
        auto order = [&] {
            QStringList out;
            for (int r = 0; r < model.rowCount(); ++r)
                out << model.displayText(r, 0) + model.displayText(r, 1);
            return out;
        };
        model.sortBy(0, Qt::AscendingOrder);
        QCOMPARE(order(), QStringList({"4", "A1", "B5", "a3", "b0", "b2"}));
        model.sortBy(0, Qt::DescendingOrder);
        QCOMPARE(order(), QStringList({"b0", "b2", "a3", "B5", "A1", "4"}));

        // A rule that ignores case keeps "a"/"A" and "b"/"B" in load order.
        model.setTextOrder([](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive); });
        model.sortBy(0, Qt::AscendingOrder);
        QCOMPARE(order(), QStringList({"4", "A1", "a3", "b0", "b2", "B5"}));
    }

    void textSortIsPinyinIgnoringCaseUnlessSet()
    {
        GridModel model({{"a", "名称"}, {"z", "备注"}});
        GridRows rows = model.emptyRows();
        const QStringList names = {"张", "coke", "李", "王", "Coke", "铅笔", "锤子", "Cokes", "2号", ""};
        for (int i = 0; i < names.size(); ++i) {
            const int r = rows.addRow();
            rows.set(r, 0, names[i]);
            rows.set(r, 1, QString::number(i));
        }
        model.setRows(std::move(rows));
        QStringList order;
        model.sortBy(0, Qt::AscendingOrder);
        for (int r = 0; r < model.rowCount(); ++r)
            order << model.displayText(r, 0) + model.displayText(r, 1);
        // "coke" and "Coke" are equal and keep their load order.
        QCOMPARE(order, QStringList({"9", "2号8", "coke1", "Coke4", "Cokes7", "锤子6", "李2", "铅笔5", "王3", "张0"}));
        QCOMPARE(model.distinctTexts(0), QStringList({"", "2号", "Coke", "Cokes", "锤子", "李", "铅笔", "王", "张"}));
    }

    void highlightedRowsFollowThePredicate()
    {
        GridModel model(goodsColumns());
        model.setRows(goodsRows(model, {{"5", 1, 1, 5}, {"5.5", 1, 1, 5.5}, {"4.5", 1, 1, 4.5},
                                        {"none", 1, 1, {}}, {"6", 1, 1, 6}}));
        int level = 5;
        const int stock = model.columnOf(QStringLiteral("7"));
        model.setRowHighlight([&level, stock](const GridModel &m, int row) {
            return level >= std::nearbyint(m.number(row, stock));
        });
        auto red = [&] {
            QStringList out;
            for (int r = 0; r < model.rowCount(); ++r) {
                const QVariant colour = model.data(model.index(r, 3), Qt::ForegroundRole);
                if (colour.isValid()) {
                    [&] { QCOMPARE(colour.value<QColor>(), QColor(Qt::red)); }();
                    out << model.displayText(r, 0);
                }
            }
            return out;
        };
        QCOMPARE(red(), QStringList({"5", "4.5", "none"}));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        level = 6;
        model.refreshHighlight();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(red(), QStringList({"5", "5.5", "4.5", "none", "6"}));

        // The colour travels with its row when sorted.
        level = 5;
        model.sortBy(stock, Qt::DescendingOrder);
        QCOMPARE(red(), QStringList({"5", "4.5", "none"}));
    }

    void groupTitlesSpanTheirNeighbours()
    {
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setModel(&model);
        using Span = std::pair<int, int>;
        QCOMPARE(grid.header()->groupSpan(0), Span(0, 3));
        QCOMPARE(grid.header()->groupSpan(3), Span(0, 3));
        QCOMPARE(grid.header()->groupSpan(5), Span(4, 6));
        QCOMPARE(grid.header()->groupSpan(11), Span(10, 11));
        QCOMPARE(grid.header()->groupSpan(14), Span(12, 14));

        // A hidden column is passed over; a moved one splits its group.
        grid.hideColumn(QStringLiteral("2"));
        QCOMPARE(grid.header()->groupSpan(6), Span(5, 6));
        grid.header()->moveSection(0, 8);
        QCOMPARE(grid.header()->groupSpan(0), Span(8, 8));
        QCOMPARE(grid.header()->groupSpan(1), Span(0, 2));

        // Two lines of titles only where there are groups.
        GridModel flat({{"a", "名称"}, {"b", "规格"}});
        DataGrid flatGrid;
        flatGrid.setModel(&flat);
        QCOMPARE(flatGrid.header()->groupSpan(1), Span(1, 1));
        QCOMPARE(grid.header()->sizeHint().height(), 2 * flatGrid.header()->sizeHint().height());
    }

    void titleClickLeavesTheRuleToTheOwner()
    {
        GridModel model(goodsColumns());
        model.setRows(goodsRows(model, {{"b", 1, 1, 1}, {"a", 2, 1, 1}}));
        DataGrid grid;
        grid.setModel(&model);
        grid.resize(900, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy clicked(&grid, &DataGrid::titleClicked);
        QHeaderView *header = grid.header();
        const QPoint inTitle(header->sectionViewportPosition(4) + header->sectionSize(4) / 2,
                             header->height() * 3 / 4);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inTitle);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 4);
        QCOMPARE(namesInOrder(model), QStringList({"b", "a"})); // no sorting of its own

        grid.setSortMark(4, SortMark::Ascending);
        grid.setSortMark(6, SortMark::Descending);
        QCOMPARE(grid.sortMark(4), SortMark::Ascending);
        grid.clearSortMarks();
        QCOMPARE(grid.sortMark(6), SortMark::None);
    }

    void layoutIsWrittenInTheFilesOwnFormat()
    {
        test::TestEnvironment env;
        const QString ini = env.path(QStringLiteral("qljxc.ini"));
        {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[other]\r\nDBGridEh1.a=9,9,9,9,9,9,9\r\n\r\n[morvel]\r\nDBGridEh1.B=1,1,1,1,1,1,1\r\nkeep=me\r\n");
        }
        GridModel model({{"a", "名称", {}, GridKind::Text, FooterKind::None, {}, {}, {}, 80},
                         {"b", "规格", {}, GridKind::Text, FooterKind::None, {}, {}, {}, 120},
                         {"2", "数量", {}, GridKind::Quantity, FooterKind::None, {}, {}, {}, 50}});
        DataGrid grid;
        grid.setFitToWidth(false);
        grid.setModel(&model);
        grid.hideColumn(QStringLiteral("2"));
        grid.setSortMark(1, SortMark::Descending);
        grid.setRowHeight(18);
        grid.header()->moveSection(1, 0);
        QVERIFY(grid.saveLayout(ini, QStringLiteral("morvel")));

        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("[other]\r\nDBGridEh1.a=9,9,9,9,9,9,9\r\n\r\n[morvel]\r\n"
                            "DBGridEh1.b=0,120,2,1,1,7,0\r\nkeep=me\r\n"
                            "DBGridEh1.a=1,80,0,1,0,7,0\r\n"
                            "DBGridEh1.2=2,50,0,0,0,7,0\r\n"
                            "(Default)=18,0\r\n"));

        // A new section goes at the end; the file keeps one kind of line end.
        QVERIFY(grid.saveLayout(ini, QStringLiteral("morvel2")));
        const QByteArray twice = test::fileBytes(ini);
        QVERIFY(twice.endsWith("[morvel2]\r\nDBGridEh1.a=1,80,0,1,0,7,0\r\nDBGridEh1.b=0,120,2,1,1,7,0\r\n"
                               "DBGridEh1.2=2,50,0,0,0,7,0\r\n(Default)=18,0\r\n"));
        QCOMPARE(twice.count("\n"), twice.count("\r\n"));
    }

    void layoutIsReadBack()
    {
        test::TestEnvironment env;
        const QString ini = env.path(QStringLiteral("qljxc.ini"));
        GridModel model(goodsColumns());
        DataGrid saved;
        saved.setFitToWidth(false);
        saved.setModel(&model);
        saved.hideColumn(QStringLiteral("3"));
        saved.header()->resizeSection(0, 200);
        saved.header()->moveSection(14, 0);
        saved.setSortMark(4, SortMark::Ascending);
        QVERIFY(saved.saveLayout(ini, QStringLiteral("morvel")));

        DataGrid restored;
        restored.setFitToWidth(false);
        restored.setModel(&model);
        QVERIFY(restored.restoreLayout(ini, QStringLiteral("morvel")));
        for (int c = 0; c < model.columnCount(); ++c) {
            QCOMPARE(restored.header()->visualIndex(c), saved.header()->visualIndex(c));
            QCOMPARE(restored.columnWidth(c), saved.columnWidth(c));
            QCOMPARE(restored.header()->isSectionHidden(c), saved.header()->isSectionHidden(c));
            QCOMPARE(restored.sortMark(c), saved.sortMark(c));
        }
        QCOMPARE(restored.columnWidth(6), 64); // hidden: keeps its width for later

        // Fitted to its width, the grid scales the saved widths.
        DataGrid fitted;
        fitted.setModel(&model);
        fitted.resize(1200, 300);
        fitted.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fitted));
        QVERIFY(fitted.restoreLayout(ini, QStringLiteral("morvel")));
        QVERIFY(!fitted.isColumnVisible(QStringLiteral("3")));
        QCOMPARE(visibleWidth(fitted), fitted.view()->viewport()->width());
        QVERIFY(std::abs(fitted.columnWidth(0) * 64 - fitted.columnWidth(1) * 200) <= 2 * 200);
    }

    void missingOrUnreadableLayoutKeepsTheGrid()
    {
        test::TestEnvironment env;
        const QString ini = env.path(QStringLiteral("qljxc.ini"));
        GridModel model(goodsColumns());
        DataGrid grid;
        grid.setFitToWidth(false);
        grid.setModel(&model);
        const GridLayoutIni::GridLayout before = grid.layout();
        auto unchanged = [&] {
            const GridLayoutIni::GridLayout now = grid.layout();
            for (size_t c = 0; c < now.columns.size(); ++c)
                if (GridLayoutIni::columnValue(now.columns[c]) != GridLayoutIni::columnValue(before.columns[c]))
                    return false;
            return now.rowHeight == before.rowHeight;
        };
        QVERIFY(!grid.restoreLayout(ini, QStringLiteral("morvel")));
        QVERIFY(unchanged());

        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[morvel2]\nDBGridEh1.a=3,300,1,0,1,7,0\n"
                   "[MORVEL]\n dbgrideh1.a = 2,x,1, 0 ,,7\n(Default)=abc,2\n");
        file.close();
        QVERIFY(!grid.restoreLayout(ini, QStringLiteral("morvel3")));
        QVERIFY(unchanged());

        // Section and key match in any case; numbers that do not read keep
        // the current value, as does a missing seventh.
        QVERIFY(grid.restoreLayout(ini, QStringLiteral("morvel")));
        const GridLayoutIni::GridLayout after = grid.layout();
        QCOMPARE(GridLayoutIni::columnValue(after.columns[0]), QStringLiteral("2,64,1,0,0,7,0"));
        QCOMPARE(after.rowHeight, 0);
        QCOMPARE(after.rowLines, 2);
        QCOMPARE(grid.header()->visualIndex(0), 2);
        QVERIFY(!grid.isColumnVisible(QStringLiteral("a")));
        // A column without a key only gives way to the moved one.
        QCOMPARE(after.columns[1].width, before.columns[1].width);
        QCOMPARE(after.columns[1].visible, 1);
    }
};

QTEST_MAIN(DataGridTest)
#include "tst_datagrid.moc"
