#include "core/Database.h"
#include "core/NumberText.h"
#include "session/Shop.h"
#include "goods/ColumnMemory.h"
#include "records/BarChart.h"
#include "records/SaleLineEditPanel.h"
#include "records/Txstj.h"
#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QValueAxis>
#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;

namespace {

QString dayOfThisMonth(int day) { return QDate::currentDate().toString(QStringLiteral("yyyy-MM-")) + QString::asprintf("%.2d", day); }

struct Line {
    QString name = QStringLiteral("钢笔");
    QString initials = QStringLiteral("GB");
    QString category = QStringLiteral("文具");
    double quantity = 1, amount = 8, profit = 4.5, arrears = 0;
    QString day1 = dayOfThisMonth(1);
    QString slip = QStringLiteral("20160510001");
    QString customer = QStringLiteral("张三");
    QVariant goodsId;
};

// A window over a test's own shop, opened as the main window opens it.
struct Records : ShopFixture {
    explicit Records(Start start = Start::SignedInAsSuper) : ShopFixture(start) {}
    std::unique_ptr<Txstj> window;

    qint64 seed(const Line &l)
    {
        Statement s = db().prepare(QStringLiteral(
            "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
            "VALUES (:a,'黑色','P01',:d,:e,'HS',:g,'北京','123','熟客',:z,3.5,8,:q,:m,:p,:r,:day1,'2016-03-01',:gid)"));
        s.bind(":a", l.name).bind(":d", l.category).bind(":e", l.initials).bind(":g", l.customer).bind(":z", l.slip);
        s.bind(":q", l.quantity).bind(":m", l.amount).bind(":p", l.profit).bind(":r", l.arrears);
        s.bind(":day1", l.day1).bind(":gid", l.goodsId);
        s.exec();
        return db().lastInsertId();
    }

    void open()
    {
        if (!window)
            window = std::make_unique<Txstj>(shop(), prompter);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // By accessible name, outside the edit panel (which repeats some captions).
    template <class W> W *named(const QString &accessibleName) const
    {
        for (W *w : window->findChildren<W *>())
            if (w->accessibleName() == accessibleName && !window->editPanel()->isAncestorOf(w))
                return w;
        return nullptr;
    }
    template <class W> W *object(const char *name) const { return window->findChild<W *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const { return object<QPushButton>(name); }

    QList<qint64> rows() const
    {
        QList<qint64> ids;
        for (int r = 0; r < window->rowCount(); ++r)
            ids << window->lineId(r);
        return ids;
    }
    double sum(const char *field) const
    {
        return window->model()->sum(window->model()->columnOf(QLatin1String(field)));
    }
    void selectRow(int row)
    {
        window->grid()->setCurrentRow(row);
        emit window->grid()->rowClicked(row);
    }
    QAction *menuEntry(const QString &caption) const
    {
        for (QAction *a : window->contextMenu()->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    }
};

QList<double> barsOf(const BarChart *chart)
{
    QList<double> out;
    for (const StatBar &b : chart->bars())
        out << b.slot << b.total;
    return out;
}

} // namespace

class TestRecordsWindow : public QObject {
    Q_OBJECT
private slots:
    void openingListsThisMonthWithSumsAndRedRows();
    void conditionBoxesQueryAsTheOperatorTypes();
    void titleClicksSortDescendingFirst();
    void longListsShowInPagesWithTheFilesSums();
    void rowClickAndSaleHandTheSlipNumberOver();
    void correctionInThePanel();
    void deletionInThePanelRefreshesGridAndCharts();
    void chartsBarsAndBoxes();
    void restrictedOperatorSeesAndRunsLess();
    void netProfitFollowsEverySignIn();
    void columnMemoryOfTheRecordsGrid();
    void closingHandsTheGoodsListItsFullRead();
    void screenshots();
};

void TestRecordsWindow::openingListsThisMonthWithSumsAndRedRows()
{
    Records r;
    Line l;
    l.day1 = QDate::currentDate().addMonths(-1).toString(QStringLiteral("yyyy-MM-15"));
    r.seed(l); // last month: not listed
    QList<qint64> month;
    for (double q : {0.4, 0.5, 0.6, 1.5, -1.0}) {
        l.day1 = dayOfThisMonth(1);
        l.quantity = q;
        l.amount = q * 8;
        month << r.seed(l);
    }
    r.open();
    QCOMPARE(r.rows(), month);
    QCOMPARE(r.window->grid()->currentRow(), 4); // the newest line
    QCOMPARE(r.sum("3"), 2.0);
    QCOMPARE(r.sum("4"), 16.0);
    QCOMPARE(r.window->grid()->footer()->text(0), QStringLiteral("合计"));
    const QList<bool> red{true, true, false, false, true};
    for (int row = 0; row < 5; ++row)
        QCOMPARE(r.window->model()->isHighlighted(row), red.at(row));
    // The category list holds the distinct categories, the box is empty.
    auto *category = r.named<QComboBox>(QStringLiteral("类 别："));
    QCOMPARE(category->currentText(), QString());
    QCOMPARE(category->count(), 1);
    QVERIFY(!r.window->grid()->isColumnVisible(QStringLiteral("z")));
    QVERIFY(r.window->grid()->isColumnVisible(QStringLiteral("a5")));
    QCOMPARE(r.window->model()->headerData(9, Qt::Horizontal, GridModel::GroupRole).toString(), QStringLiteral("销 售 信 息"));
}

void TestRecordsWindow::conditionBoxesQueryAsTheOperatorTypes()
{
    Records r;
    Line l;
    l.day1 = QStringLiteral("2016-05-10");
    const qint64 pen = r.seed(l);
    l.name = QStringLiteral("康师傅");
    l.initials = QStringLiteral("KSF");
    l.category = QStringLiteral("食 品");
    l.day1 = QStringLiteral("2016-05-12");
    const qint64 noodles = r.seed(l);
    l.quantity = -1;
    l.customer = QStringLiteral("O'Brien");
    const qint64 back = r.seed(l);
    l.quantity = 1;
    l.initials = QStringLiteral("KB");
    const qint64 kb = r.seed(l);
    r.open();
    QVERIFY(r.rows().isEmpty()); // nothing this month

    r.button("queryButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{pen, noodles, kb}));
    r.button("returnsQueryButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{back}));

    auto *name = r.named<QLineEdit>(QStringLiteral("商品名称："));
    // One query a keystroke: the first letter alone lists both.
    QTest::keyClicks(name, QStringLiteral("k"));
    QCOMPARE(r.rows(), (QList<qint64>{noodles, kb}));
    QTest::keyClicks(name, QStringLiteral("s"));
    QCOMPARE(r.rows(), (QList<qint64>{noodles}));
    name->clear();
    r.named<QComboBox>(QStringLiteral("类 别："))->setEditText(QStringLiteral(" "));
    QCOMPARE(r.rows(), (QList<qint64>{noodles, kb}));
    r.named<QComboBox>(QStringLiteral("类 别："))->setEditText(QString());
    // A quote is a customer name like any other.
    QTest::keyClicks(r.named<QLineEdit>(QStringLiteral("客户名称：")), QStringLiteral("'"));
    QCOMPARE(r.rows(), (QList<qint64>{kb}));
    r.button("returnsQueryButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{back}));
    QVERIFY(r.prompter.texts().isEmpty());

    // "当 天" takes the range the operator set.
    r.button("clearButton")->click();
    QCOMPARE(r.named<QLineEdit>(QStringLiteral("客户名称："))->text(), QString());
    r.object<QDateEdit>("recordsFrom")->setDate(QDate(2016, 5, 11));
    r.object<QDateEdit>("recordsTo")->setDate(QDate(2016, 5, 12));
    r.button("todayButton")->click();
    QVERIFY(r.named<QCheckBox>(QStringLiteral("销售日期："))->isChecked());
    QCOMPARE(r.rows(), (QList<qint64>{noodles, kb}));

    r.button("allButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{pen, noodles, back, kb}));
    r.button("allReturnsButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{back}));
    auto *category = r.named<QComboBox>(QStringLiteral("类 别："));
    QCOMPARE(category->currentText(), QString());
    QCOMPARE(category->count(), 2);
}

void TestRecordsWindow::titleClicksSortDescendingFirst()
{
    Records r;
    Line l;
    for (double amount : {8.0, 24.0, 16.0}) {
        l.amount = amount;
        r.seed(l);
    }
    r.open();
    auto *header = r.window->grid()->header();
    auto click = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, header->height() - 4));
    };
    auto amounts = [&] {
        QList<double> out;
        for (int row = 0; row < r.window->rowCount(); ++row)
            out << r.window->model()->number(row, 6);
        return out;
    };
    click(6);
    QCOMPARE(amounts(), (QList<double>{24, 16, 8}));
    QCOMPARE(r.window->grid()->sortMark(6), SortMark::Descending);
    click(6);
    QCOMPARE(amounts(), (QList<double>{8, 16, 24}));
    click(6);
    QCOMPARE(amounts(), (QList<double>{24, 16, 8}));
    click(5);
    QCOMPARE(r.window->grid()->sortMark(6), SortMark::None);
    QCOMPARE(r.window->grid()->sortMark(5), SortMark::Descending);
}

void TestRecordsWindow::rowClickAndSaleHandTheSlipNumberOver()
{
    Records r;
    GoodsRecord g;
    g.name = QStringLiteral("钢笔");
    g.purchasePrice = 3.5;
    g.soldQuantity = 0;
    g.salesAmount = 0;
    g.stockQuantity = 5;
    g.stockValue = 17.5;
    g.day1 = QStringLiteral("2016-03-01");
    const qint64 goods = r.seedGoods(g);
    Line l;
    l.slip = QStringLiteral("20990101007");
    r.seed(l);
    r.open();
    auto *slip = r.named<QLineEdit>(QStringLiteral("销售单号："));
    r.selectRow(0);
    QCOMPARE(slip->text(), QStringLiteral("20990101007"));

    SaleInput in;
    in.goodsId = goods;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("1");
    in.arrears = QStringLiteral("0");
    in.saleDate = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    in.slipNumber = QStringLiteral("20990101008");
    const SaleResult sold = r.shop().sales().confirm(in);
    QVERIFY(sold.ok);
    QCOMPARE(slip->text(), QStringLiteral("20990101008"));
    QCOMPARE(r.rows().size(), 2);
    QCOMPARE(r.rows().last(), sold.lineId);
    // Taken in with its values, the footer following.
    QCOMPARE(r.window->model()->value(1, QStringLiteral("z")).toString(), QStringLiteral("20990101008"));
    QCOMPARE(r.sum("4"), l.amount + 8);
    QCOMPARE(r.window->grid()->currentRow(), 1);

    // Closed, the window takes the number at once and the lines at opening.
    r.window->reject();
    in.slipNumber = QStringLiteral("20990101009");
    const SaleResult again = r.shop().sales().confirm(in);
    QCOMPARE(slip->text(), QStringLiteral("20990101009"));
    r.open();
    QCOMPARE(r.rows().last(), again.lineId);
    // The slip search finds by containment.
    slip->setText(QStringLiteral(" 0101 "));
    r.button("slipQueryButton")->click();
    QCOMPARE(r.rows().size(), 3);
}

void TestRecordsWindow::longListsShowInPagesWithTheFilesSums()
{
    Records r;
    Line l;
    // More lines than a few pages, their dates out of entry order, so that
    // pages of the date order gather lines from all over the table.
    QHash<qint64, double> amountOf, arrearsOf;
    for (int i = 0; i < 700; ++i) {
        l.amount = i == 123 ? 500 : 1 + i % 3;
        l.arrears = i % 10 == 0 ? 0.5 : 0;
        l.quantity = i % 50 == 0 ? -1 : 1;
        l.day1 = QStringLiteral("2016-05-%1").arg(10 + (i * 7) % 19);
        const qint64 id = r.seed(l);
        amountOf.insert(id, l.amount);
        arrearsOf.insert(id, l.arrears);
    }
    r.open();
    r.button("allButton")->click();
    QList<qint64> inOrder;
    Statement all = r.shop().saleLines().statement(SaleLineQuery::all());
    while (all.next())
        inOrder << all.integer("ID");
    QCOMPARE(r.rows(), inOrder);
    GridModel *model = r.window->model();
    const int amount = model->columnOf(QStringLiteral("4"));
    const int arrears = model->columnOf(QStringLiteral("6"));
    for (int row = 0; row < model->rowCount(); ++row)
        QCOMPARE(model->number(row, amount), amountOf.value(r.window->lineId(row)));
    // The sums are counted apart and fill the footer by themselves.
    double total = 0;
    for (double a : std::as_const(amountOf))
        total += a;
    GridFooter *footer = r.window->grid()->footer();
    QTRY_COMPARE(footer->text(amount), NumberText::amount(total));
    QCOMPARE(footer->text(arrears), QStringLiteral("35"));
    QCOMPARE(footer->text(model->columnOf(QStringLiteral("3"))), QStringLiteral("672"));

    // A title click sorts every line, not the pages in view.
    r.window->grid()->titleClicked(amount);
    QCOMPARE(model->number(0, amount), 500.0);
    QCOMPARE(model->number(699, amount), 1.0);

    // A correction far down the list changes its row and the sums.
    r.button("allButton")->click();
    r.selectRow(650);
    const qint64 id = r.window->lineId(650);
    emit r.window->grid()->rowDoubleClicked(650);
    r.window->editPanel()->box(QStringLiteral("欠款金额："))->setText(QStringLiteral("100"));
    r.window->editPanel()->modifyButton()->click();
    QCOMPARE(r.window->lineId(650), id);
    QCOMPARE(model->number(650, arrears), 100.0);
    QTRY_COMPARE(footer->text(arrears), NumberText::amount(35 - arrearsOf.value(id) + 100));
}

void TestRecordsWindow::correctionInThePanel()
{
    Records r;
    Line l;
    l.arrears = 5;
    const qint64 id = r.seed(l);
    r.open();
    r.selectRow(0);
    emit r.window->grid()->rowDoubleClicked(0);
    SaleLineEditPanel *panel = r.window->editPanel();
    QVERIFY(panel->isVisible());
    QVERIFY(panel->modifyButton()->isVisible());
    QVERIFY(!panel->deleteButton()->isVisible());
    QLineEdit *arrears = panel->box(QStringLiteral("欠款金额："));
    QCOMPARE(arrears->text(), QStringLiteral("5"));
    // Only digits and the point get into the box.
    arrears->clear();
    QTest::keyClicks(arrears, QStringLiteral("a1-.x"));
    QCOMPARE(arrears->text(), QStringLiteral("1."));
    // A paste meets the same rule as the keys.
    arrears->clear();
    arrears->insert(QStringLiteral("-5"));
    QCOMPARE(arrears->text(), QString());
    for (const QString &bad : {QString(), QStringLiteral("."), QStringLiteral("1..2")}) {
        arrears->setText(bad);
        r.prompter.clear();
        panel->modifyButton()->click();
        QCOMPARE(r.prompter.texts().size(), 1);
        QVERIFY(panel->isVisible());
        QCOMPARE(*r.shop().saleLines().find(id)->arrears, 5.0);
    }
    arrears->setText(QStringLiteral("12.5"));
    panel->box(QStringLiteral("客户名称："))->setText(QStringLiteral(" 李四 "));
    r.prompter.clear();
    panel->modifyButton()->click();
    QCOMPARE(r.prompter.lastText(), QStringLiteral("修改记录成功！"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(r.sum("6"), 12.5); // the footer follows, no new read
    QCOMPARE(r.window->model()->value(0, QStringLiteral("g")).toString(), QStringLiteral("李四"));
    QCOMPARE(r.shop().saleLines().find(id)->customer, QStringLiteral("李四"));
}

void TestRecordsWindow::deletionInThePanelRefreshesGridAndCharts()
{
    Records r;
    GoodsRecord g;
    g.name = QStringLiteral("钢笔");
    g.specification = QStringLiteral("黑色");
    g.code = QStringLiteral("P01");
    g.category = QStringLiteral("文具");
    g.purchasePrice = 3.5;
    g.soldQuantity = 12;
    g.salesAmount = 96;
    g.stockQuantity = 3;
    g.stockValue = 10.5;
    g.day1 = QStringLiteral("2016-03-01");
    const qint64 goods = r.seedGoods(g);
    Line l;
    l.quantity = 2;
    l.amount = 16;
    l.profit = 9;
    l.customer = QStringLiteral("王五");
    l.goodsId = goods;
    l.day1 = dayOfThisMonth(2);
    const qint64 sale = r.seed(l);
    Line ret;
    ret.quantity = -1;
    ret.amount = -8;
    ret.day1 = dayOfThisMonth(1);
    const qint64 back = r.seed(ret);
    r.open();
    // The returns list and a sales-amount chart are shown before.
    r.button("monthAmountButton")->click();
    QCOMPARE(barsOf(r.window->monthChart()), (QList<double>{double(QDate::currentDate().month()), 8}));
    r.button("allReturnsButton")->click();
    QCOMPARE(r.rows(), (QList<qint64>{back}));
    r.button("allButton")->click();
    r.selectRow(1);
    QCOMPARE(r.window->lineId(1), sale);
    QTest::keyClick(r.window->grid()->view(), Qt::Key_Delete);
    SaleLineEditPanel *panel = r.window->editPanel();
    QVERIFY(panel->isVisible());
    QVERIFY(panel->deleteButton()->isVisible());
    QCOMPARE(panel->box(QStringLiteral("客户名称："))->text(), QStringLiteral("王五"));
    QCOMPARE(panel->box(QStringLiteral("地 址："))->text(), QStringLiteral("北京"));
    QSignalSpy changes(&r.shop(), &ShopContext::changed);
    r.prompter.clear();
    panel->deleteButton()->click();
    QCOMPARE(r.prompter.lastText(), QStringLiteral("删除销售记录成功！"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->box(QStringLiteral("客户名称："))->text(), QString());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<ChangeSet>().goods.changedRows(), (QList<qint64>{goods}));
    const GoodsRecord after = *r.goods().findStored(goods);
    QCOMPARE(*after.soldQuantity, 10.0);
    QCOMPARE(*after.salesAmount, 80.0);
    QCOMPARE(*after.stockQuantity, 5.0);
    QCOMPARE(*after.stockValue, 17.5);
    // This month again, and the chart back to profit once its tab is shown.
    QCOMPARE(r.rows(), (QList<qint64>{back}));
    r.window->tabs()->setCurrentIndex(1);
    QCOMPARE(barsOf(r.window->monthChart()), (QList<double>{double(QDate::currentDate().month()), 4.5}));
}

void TestRecordsWindow::chartsBarsAndBoxes()
{
    Records r;
    Line l;
    l.day1 = QStringLiteral("2016-01-31");
    l.amount = 30;
    r.seed(l);
    l.day1 = QStringLiteral("2016-12-31");
    l.amount = 7;
    r.seed(l);
    l.day1 = QStringLiteral("2016-12-05");
    l.quantity = -1;
    l.amount = -8;
    l.profit = -4.5;
    r.seed(l);
    r.open();
    BarChart *month = r.window->monthChart();
    BarChart *day = r.window->dayChart();
    QVERIFY(month->bars().empty()); // this year has no lines
    QCOMPARE(month->xAxis()->min(), 0.0);
    QCOMPARE(month->xAxis()->max(), 12.0);
    QCOMPARE(day->xAxis()->max(), 32.0);
    QCOMPARE(month->chart()->title(), QStringLiteral("月销售报表统计"));
    QVERIFY(!month->chart()->legend()->isVisible());
    QVERIFY(!month->xAxis()->isGridLineVisible());
    QVERIFY(!month->yAxis()->isGridLineVisible());

    auto *monthYear = r.object<QComboBox>("monthChartYear");
    auto *dayYear = r.object<QComboBox>("dayChartYear");
    auto *dayMonth = r.object<QComboBox>("dayChartMonth");
    QCOMPARE(monthYear->currentText(), QString::number(QDate::currentDate().year()));
    QCOMPARE(dayMonth->currentText(), QString::number(QDate::currentDate().month()));
    monthYear->setEditText(QStringLiteral("2016"));
    r.button("monthAmountButton")->click();
    QCOMPARE(barsOf(month), (QList<double>{1, 30, 12, -1}));
    QCOMPARE(month->valueLabels(), (QStringList{QStringLiteral("30"), QStringLiteral("-1")}));
    QVERIFY(month->yAxis()->min() < -1); // the return month goes below zero
    dayYear->setEditText(QStringLiteral("2016"));
    dayMonth->setEditText(QStringLiteral("12"));
    r.button("dayProfitButton")->click();
    QCOMPARE(barsOf(day), (QList<double>{5, -4.5, 31, 4.5}));
    dayMonth->setEditText(QStringLiteral("13"));
    r.button("dayAmountButton")->click();
    QVERIFY(day->bars().empty());
    // Totals of a few yuan: each tick of the value axis says its own value.
    day->setBars({{1, 0.5}, {2, 1.2}});
    const QStringList ticks = day->valueAxisLabels();
    const double step = (day->yAxis()->max() - day->yAxis()->min()) / (ticks.size() - 1);
    for (int i = 0; i < ticks.size(); ++i)
        QVERIFY2(qAbs(ticks[i].toDouble() - (day->yAxis()->min() + i * step)) < 1e-9, qPrintable(ticks.join(u'/')));

    // A box that is no whole number is refused before any query.
    r.prompter.clear();
    monthYear->setEditText(QStringLiteral("20'16"));
    r.button("monthProfitButton")->click();
    QCOMPARE(r.prompter.texts().size(), 1);
    QVERIFY(r.prompter.lastText().contains(QStringLiteral("年")));
    QCOMPARE(barsOf(month), (QList<double>{1, 30, 12, -1}));
    dayMonth->setEditText(QStringLiteral("x"));
    r.button("dayProfitButton")->click();
    QVERIFY(r.prompter.lastText().contains(QStringLiteral("月份")));
}

void TestRecordsWindow::restrictedOperatorSeesAndRunsLess()
{
    Records r(ShopFixture::Start::Closed);
    r.addOperator(QStringLiteral("营业员"));
    const qint64 id = r.seed(Line{});
    r.window = std::make_unique<Txstj>(r.shop(), r.prompter);
    QVERIFY(r.signIn(QStringLiteral("营业员")));
    r.open();
    QCOMPARE(r.rows(), (QList<qint64>{id}));
    QVERIFY(!r.window->grid()->isColumnVisible(QStringLiteral("a5")));
    QVERIFY(r.window->model()->value(0, QStringLiteral("a5")).isNull()); // never read
    QVERIFY(r.window->monthChart()->isHidden());
    QVERIFY(r.window->dayChart()->isHidden());
    QVERIFY(!r.button("monthProfitButton")->isEnabled());
    for (const QString &caption : {QStringLiteral("修 改 "), QStringLiteral("删 除"), QStringLiteral("全部显示"),
                                   QStringLiteral("隐藏净利润")}) {
        QAction *a = r.menuEntry(caption);
        QVERIFY2(a, qPrintable(caption));
        QVERIFY2(!a->isVisible() && !a->isEnabled(), qPrintable(caption));
    }
    QVERIFY(r.menuEntry(QStringLiteral("隐藏欠款"))->isVisible());
    r.selectRow(0);
    emit r.window->grid()->rowDoubleClicked(0);
    QVERIFY(!r.window->editPanel()->isVisible());
    QCOMPARE(r.prompter.lastText(), OperatorRestrictions::refusalText());
    r.prompter.clear();
    QTest::keyClick(r.window->grid()->view(), Qt::Key_Delete);
    QVERIFY(!r.window->editPanel()->isVisible());
    QCOMPARE(r.prompter.lastText(), OperatorRestrictions::refusalText());
    r.window->showAllColumns();
    QVERIFY(!r.window->grid()->isColumnVisible(QStringLiteral("a5")));
    QCOMPARE(r.count(QStringLiteral("data1")), 1);
}

void TestRecordsWindow::netProfitFollowsEverySignIn()
{
    // Built before anyone signs in, as the main window builds it.
    Records r(ShopFixture::Start::Closed);
    r.addOperator(QStringLiteral("营业员"));
    r.seed(Line{});
    r.window = std::make_unique<Txstj>(r.shop(), r.prompter);
    QAction *tick = r.menuEntry(QStringLiteral("隐藏净利润"));
    auto signInAndOpen = [&](const QString &name) {
        r.window->reject();
        QVERIFY(r.signIn(name));
        r.open();
    };
    const QString super = ShopDatabase::kSuperAdministrator;
    DataGrid *grid = r.window->grid();
    signInAndOpen(super);
    QVERIFY(grid->isColumnVisible(QStringLiteral("a5")));
    QVERIFY(tick->isVisible() && !tick->isChecked());
    signInAndOpen(QStringLiteral("营业员"));
    QVERIFY(!grid->isColumnVisible(QStringLiteral("a5")));
    signInAndOpen(super);
    QVERIFY(grid->isColumnVisible(QStringLiteral("a5")));
    // His own tick holds across sign-ins, and says what the grid shows.
    tick->trigger();
    signInAndOpen(QStringLiteral("营业员"));
    signInAndOpen(super);
    QVERIFY(!grid->isColumnVisible(QStringLiteral("a5")));
    QVERIFY(tick->isChecked());

    // A window built over a stored "no" shows the column at the first sign-in.
    Records fresh(ShopFixture::Start::Closed);
    fresh.settings.write(QStringLiteral("xiaoshouyin4"), QStringLiteral("no"));
    fresh.window = std::make_unique<Txstj>(fresh.shop(), fresh.prompter);
    QVERIFY(fresh.signIn());
    fresh.open();
    QVERIFY(fresh.window->grid()->isColumnVisible(QStringLiteral("a5")));
    QVERIFY(!fresh.menuEntry(QStringLiteral("隐藏净利润"))->isChecked());
}

void TestRecordsWindow::columnMemoryOfTheRecordsGrid()
{
    Records r;
    r.settings.write(QStringLiteral("xiaoshouyin5"), QStringLiteral("yes"));
    r.settings.write(QStringLiteral("xiaoshouyin7"), QStringLiteral("no"));
    r.settings.write(QStringLiteral("xiaoshouyin6"), QStringLiteral("yes"));
    r.open();
    DataGrid *grid = r.window->grid();
    QVERIFY(grid->isColumnVisible(QStringLiteral("g")));
    for (const char *hidden : {"i", "h", "j"})
        QVERIFY2(!grid->isColumnVisible(QLatin1String(hidden)), hidden);
    QVERIFY(grid->isColumnVisible(QStringLiteral("z")));
    QVERIFY(r.menuEntry(QStringLiteral("显示客户编号"))->isChecked());

    // Toggling remembers; "全部显示" shows all but keeps the slip number.
    QAction *arrears = r.menuEntry(QStringLiteral("隐藏欠款"));
    arrears->trigger();
    QVERIFY(!grid->isColumnVisible(QStringLiteral("6")));
    QCOMPARE(r.settings.read(QStringList{QStringLiteral("xiaoshouyin3")}).value(QStringLiteral("xiaoshouyin3")),
             QStringLiteral("yes"));
    r.menuEntry(QStringLiteral("显示客户编号"))->trigger();
    QVERIFY(!grid->isColumnVisible(QStringLiteral("z")));
    r.menuEntry(QStringLiteral("全部显示"))->trigger();
    for (const char *shown : {"6", "i", "h", "j", "a5"})
        QVERIFY2(grid->isColumnVisible(QLatin1String(shown)), shown);
    QVERIFY(!grid->isColumnVisible(QStringLiteral("z")));
    QVERIFY(arrears->isChecked()); // ticks stay

    // The layout goes to section morvel2 and comes back at the next opening.
    grid->hideColumn(QStringLiteral("d"));
    r.menuEntry(QStringLiteral("保存当前列宽"))->trigger();
    QFile ini(r.window->columnMemory()->iniPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    QVERIFY(text.contains(QStringLiteral("[morvel2]")));
    QVERIFY(text.contains(QStringLiteral("DBGridEh1.a=")));
    grid->showColumn(QStringLiteral("d"));
    r.window->reject();
    r.open();
    QVERIFY(!grid->isColumnVisible(QStringLiteral("d")));
}

void TestRecordsWindow::closingHandsTheGoodsListItsFullRead()
{
    Records r;
    r.seed(Line{});
    r.open();
    QCOMPARE(r.window->rowCount(), 1);
    r.window->reject();
    QCOMPARE(r.window->rowCount(), 0); // nothing held while closed
}

void TestRecordsWindow::screenshots()
{
    const QString dir = qEnvironmentVariable("QUOLLIN_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set QUOLLIN_SCREENSHOTS to a folder to render the window");
    Records r;
    const QDate today = QDate::currentDate();
    const QStringList names{QStringLiteral("康师傅方便面"), QStringLiteral("钢笔"), QStringLiteral("笔记本"),
                            QStringLiteral("矿泉水")};
    for (int i = 0; i < 40; ++i) {
        Line l;
        l.name = names.at(i % names.size());
        l.quantity = i % 9 == 0 ? -1 : (i % 5) + 0.5;
        l.amount = l.quantity * 8;
        l.profit = l.quantity * 4.5;
        l.arrears = i % 7 == 0 ? 10 : 0;
        l.day1 = QDate(today.year(), today.month(), 1 + (i * 7) % today.daysInMonth()).toString(QStringLiteral("yyyy-MM-dd"));
        l.customer = i % 3 ? QStringLiteral("张三") : QStringLiteral("李四");
        r.seed(l);
        l.day1 = QDate(today.year(), 1 + i % 12, 1 + i % 28).toString(QStringLiteral("yyyy-MM-dd"));
        r.seed(l);
    }
    r.open();
    r.window->resize(1024, 660);
    QTest::qWait(50);
    QVERIFY(r.window->grab().save(dir + QStringLiteral("/records-browser.png")));
    // "全部记录" as pages, once its sums are in.
    r.button("allButton")->click();
    r.window->model()->settle();
    QTest::qWait(50);
    QVERIFY(r.window->grab().save(dir + QStringLiteral("/records-all.png")));
    r.button("monthButton")->click();
    r.selectRow(3);
    emit r.window->grid()->rowDoubleClicked(3);
    QTest::qWait(50);
    QVERIFY(r.window->grab().save(dir + QStringLiteral("/records-editpanel.png")));
    r.window->tabs()->setCurrentIndex(1);
    QTest::qWait(50);
    QVERIFY(r.window->grab().save(dir + QStringLiteral("/records-statistics.png")));
}

QTEST_MAIN(TestRecordsWindow)
#include "tst_recordswindow.moc"
