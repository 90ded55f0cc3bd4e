#include "records/Txstj.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "records/BarChart.h"
#include "records/SaleLinePages.h"
#include "records/SaleLineGrid.h"
#include "records/SlipComposer.h"
#include "sales/PdfFallback.h"
#include "sales/PrintTexts.h"
#include "sales/SlipLayout.h"
#include "sales/SlipLines.h"
#include "widgets/ChoiceList.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/GridOutput.h"
#include "widgets/NamedWidgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <numeric>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace quollin {

namespace {

QComboBox *yearBox(const char *objectName, QWidget *parent)
{
    auto *box = Named(new QComboBox(parent), QStringLiteral("年"), objectName);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (int year = 2015; year <= 2020; ++year)
        box->addItem(QString::number(year));
    box->setMinimumWidth(80);
    return box;
}

} // namespace

Txstj::Txstj(Shop &shop, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("Txstj"));
    setWindowTitle(QStringLiteral("销售明细"));
    setModal(true);
    resize(1024, 660);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("recordsTabs"));
    outer->addWidget(m_tabs);
    auto *browser = new QWidget(m_tabs);
    auto *statistics = new QWidget(m_tabs);
    m_tabs->addTab(browser, QStringLiteral("销售明细"));
    m_tabs->addTab(statistics, QStringLiteral("销售统计"));
    buildBrowser(browser);
    buildStatistics(statistics);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_chartsDue)
            profitCharts();
    });
    buildMenu();

    connect(&m_shop, &ShopContext::signedIn, this, &Txstj::applyRestrictions);
    connect(&m_shop, &ShopContext::changed, this, [this](const ChangeSet &changes) {
        if (changes.sale)
            saleRecorded(*changes.sale);
    });
    connect(&m_shop, &ShopContext::databaseClosing, this, [this] {
        m_panel->hide();
        m_shown = Shown::Nothing;
        m_model->clear();
        m_pages->close();
    });
    // The remembered column states count from the start; the saved layout
    // of the grid comes on top of them at every opening.
    m_columns->applySaved();
    applyRestrictions();
}

Txstj::~Txstj() = default;

void Txstj::buildBrowser(QWidget *tab)
{
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(2, 2, 2, 2);

    m_grid = new DataGrid(tab);
    m_grid->setObjectName(QStringLiteral("recordsGrid"));
    m_grid->setGridName(QStringLiteral("销售明细"));
    m_grid->setToolTip(QStringLiteral("点列标题进行排序，双击记录进行修改"));
    m_model = new GridModel(SaleLineGrid::columns(), this);
    m_pages = new SaleLinePages(m_shop, m_shop.saleLines(), SaleLineGrid::columns(), this);
    connect(m_pages, &SaleLinePages::sumsCounted, m_model, &GridModel::sourceSumsCounted);
    m_model->setRowHighlight([](const GridModel &model, int row) {
        const int quantity = model.columnOf(QStringLiteral("3"));
        return isRedQuantity(model.isNull(row, quantity) ? std::nan("") : model.number(row, quantity));
    });
    // Fitting to the width of a grid not yet laid out would squeeze every
    // column to its minimum and lose the proportions: it starts at the first
    // opening.
    m_grid->setFitToWidth(false);
    m_grid->setModel(m_model);
    m_grid->hideColumn(QStringLiteral("z"));
    column->addWidget(m_grid, 1);
    connect(m_grid, &DataGrid::titleClicked, this, &Txstj::titleClicked);
    connect(m_grid, &DataGrid::rowClicked, this, &Txstj::rowClicked);
    connect(m_grid, &DataGrid::rowDoubleClicked, this, [this] { openForModify(); });
    connect(m_grid, &DataGrid::currentRowChanged, this, [this](int row) {
        if (m_panel->isVisible() && lineId(row) != m_panel->lineId())
            m_panel->hide();
    });
    m_grid->view()->installEventFilter(this);

    const QString ini = QFileInfo(m_shop.settings().store().location()).dir().filePath(QStringLiteral("qljxc.ini"));
    m_columns = new ColumnMemory(m_grid, m_shop.settings().store(), SaleLineGrid::columnSwitches(),
                                 QStringLiteral("morvel2"), ini, this);

    m_panel = new SaleLineEditPanel(m_grid);
    m_panel->move(40, 30);
    connect(m_panel, &SaleLineEditPanel::modifyRequested, this, &Txstj::saveCorrection);
    connect(m_panel, &SaleLineEditPanel::deleteRequested, this, &Txstj::deleteLine);

    auto *bottom = new QHBoxLayout;
    column->addLayout(bottom);

    auto *search = new QGroupBox(QStringLiteral(" 快速拼音查询"), tab);
    search->setObjectName(QStringLiteral("recordsSearch"));
    auto *grid = new QGridLayout(search);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    m_category = CaptionedChoice(grid, 0, 0, QStringLiteral("类 别："), "recordsCategory", search);
    m_name = CaptionedBox(grid, 0, 2, QStringLiteral("商品名称："), "recordsName", search);
    m_spec = CaptionedBox(grid, 0, 4, QStringLiteral("规格型号："), "recordsSpec", search);
    m_code = CaptionedBox(grid, 1, 0, QStringLiteral("商品编码："), "recordsCode", search);
    m_customer = CaptionedBox(grid, 1, 2, QStringLiteral("客户名称："), "recordsCustomer", search);
    m_remark = CaptionedBox(grid, 1, 4, QStringLiteral("备 注："), "recordsRemark", search);
    m_name->setPlaceholderText(QStringLiteral("输入字母拼音查询"));
    m_spec->setPlaceholderText(QStringLiteral("输入字母拼音查询"));

    m_dateTick = Named(new QCheckBox(QStringLiteral("销售日期："), search), QStringLiteral("销售日期："), "recordsDateTick");
    m_from = Named(new QDateEdit(QDate::currentDate(), search), QStringLiteral("销售日期从"), "recordsFrom");
    m_to = Named(new QDateEdit(QDate::currentDate(), search), QStringLiteral("销售日期至"), "recordsTo");
    for (QDateEdit *box : {m_from, m_to}) {
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        box->setCalendarPopup(true);
    }
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dateTick);
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("至"), search));
    dates->addWidget(m_to);
    dates->addStretch();
    grid->addLayout(dates, 2, 0, 1, 6);

    auto *buttons = new QHBoxLayout;
    const struct {
        const char *caption;
        const char *name;
        void (Txstj::*slot)();
    } commands[] = {
        {"查 询", "queryButton", &Txstj::query},         {"本 月", "monthButton", &Txstj::thisMonth},
        {"全部记录", "allButton", &Txstj::allLines},     {"当 天", "todayButton", &Txstj::today},
        {"清空条件", "clearButton", &Txstj::clearConditions},
    };
    for (const auto &c : commands) {
        QPushButton *button = NamedButton(QString::fromUtf8(c.caption), c.name, search);
        connect(button, &QPushButton::clicked, this, c.slot);
        buttons->addWidget(button);
    }
    grid->addLayout(buttons, 3, 0, 1, 6);
    bottom->addWidget(search, 1);

    // Every change of a condition box narrows the grid at once.
    for (QLineEdit *box : {m_name, m_spec, m_code, m_customer, m_remark})
        connect(box, &QLineEdit::textChanged, this, &Txstj::query);
    connect(m_category, &QComboBox::editTextChanged, this, &Txstj::query);

    auto *right = new QVBoxLayout;
    auto *returns = new QGroupBox(QStringLiteral("退货"), tab);
    returns->setObjectName(QStringLiteral("recordsReturns"));
    auto *returnRow = new QHBoxLayout(returns);
    QPushButton *returnQuery = NamedButton(QStringLiteral("查 询"), "returnsQueryButton", returns);
    QPushButton *returnAll = NamedButton(QStringLiteral("全部退货"), "allReturnsButton", returns);
    returnRow->addWidget(returnQuery);
    returnRow->addWidget(returnAll);
    connect(returnQuery, &QPushButton::clicked, this, &Txstj::queryReturns);
    connect(returnAll, &QPushButton::clicked, this, &Txstj::allReturns);
    right->addWidget(returns);

    auto *slips = new QGroupBox(QStringLiteral("销售单打印"), tab);
    slips->setObjectName(QStringLiteral("recordsSlips"));
    auto *slipGrid = new QGridLayout(slips);
    auto *slipLabel = new QLabel(QStringLiteral("销售单号："), slips);
    m_slip = Named(new QLineEdit(slips), QStringLiteral("销售单号："), "recordsSlip");
    slipLabel->setBuddy(m_slip);
    QPushButton *slipQuery = NamedButton(QStringLiteral("查 询"), "slipQueryButton", slips);
    QPushButton *preview = NamedButton(QStringLiteral("销售单预览"), "slipPreviewButton", slips);
    slipGrid->addWidget(slipLabel, 0, 0);
    slipGrid->addWidget(m_slip, 0, 1, 1, 2);
    slipGrid->addWidget(slipQuery, 1, 1);
    slipGrid->addWidget(preview, 1, 2);
    connect(slipQuery, &QPushButton::clicked, this, &Txstj::querySlip);
    connect(preview, &QPushButton::clicked, this, &Txstj::previewSlip);
    right->addWidget(slips);
    right->addStretch();
    bottom->addLayout(right);

    // The shop's name and address for the composer: read from the settings,
    // every change written back. The operator does not see them.
    m_company = Named(new QLineEdit(tab), QStringLiteral("公司(店铺)名称："), "recordsCompany");
    m_address = Named(new QLineEdit(tab), QStringLiteral("地址电话："), "recordsAddress");
    m_company->hide();
    m_address->hide();
    readShopLines();
    connect(m_company, &QLineEdit::textEdited, this, [this](const QString &text) { m_shop.settings().setCompany(text); });
    connect(m_address, &QLineEdit::textEdited, this, [this](const QString &text) { m_shop.settings().setAddress(text); });

    m_composer = new SlipComposer(m_shop, m_prompter, tab);
    m_composer->setShopLines(m_company, m_address);
    m_composer->setPrintTexts([this] { return printTexts(); });
    m_composer->move(60, 40);
}

void Txstj::buildStatistics(QWidget *tab)
{
    auto *column = new QVBoxLayout(tab);
    auto button = [this, tab](const char *caption, const char *name, void (Txstj::*slot)()) {
        QPushButton *b = NamedButton(QString::fromUtf8(caption), name, tab);
        connect(b, &QPushButton::clicked, this, slot);
        m_chartButtons << b;
        return b;
    };

    auto *monthRow = new QHBoxLayout;
    m_monthChart = new BarChart(QStringLiteral("月销售报表统计"), 12, QStringLiteral("月"), Qt::yellow, tab);
    m_monthChart->setObjectName(QStringLiteral("monthChart"));
    monthRow->addWidget(m_monthChart, 1);
    auto *monthSide = new QGridLayout;
    m_monthYear = yearBox("monthChartYear", tab);
    monthSide->addWidget(m_monthYear, 0, 0);
    monthSide->addWidget(new QLabel(QStringLiteral("年"), tab), 0, 1);
    monthSide->addWidget(button("查询利润", "monthProfitButton", &Txstj::profitByMonth), 1, 0, 1, 2);
    monthSide->addWidget(button("查询销售额", "monthAmountButton", &Txstj::amountByMonth), 2, 0, 1, 2);
    monthSide->setRowStretch(3, 1);
    monthRow->addLayout(monthSide);
    column->addLayout(monthRow, 1);

    auto *dayRow = new QHBoxLayout;
    m_dayChart = new BarChart(QStringLiteral("日销售报表统计"), 32, QStringLiteral("日"), QColor(255, 128, 64), tab);
    m_dayChart->setObjectName(QStringLiteral("dayChart"));
    dayRow->addWidget(m_dayChart, 1);
    auto *daySide = new QGridLayout;
    m_dayYear = yearBox("dayChartYear", tab);
    m_dayMonth = Named(new QComboBox(tab), QStringLiteral("月份"), "dayChartMonth");
    m_dayMonth->setEditable(true);
    m_dayMonth->setInsertPolicy(QComboBox::NoInsert);
    for (int month = 1; month <= 12; ++month)
        m_dayMonth->addItem(QString::number(month));
    daySide->addWidget(m_dayYear, 0, 0);
    daySide->addWidget(new QLabel(QStringLiteral("年"), tab), 0, 1);
    daySide->addWidget(m_dayMonth, 1, 0);
    daySide->addWidget(new QLabel(QStringLiteral("月份"), tab), 1, 1);
    daySide->addWidget(button("查询利润", "dayProfitButton", &Txstj::profitByDay), 2, 0, 1, 2);
    daySide->addWidget(button("查询销售额", "dayAmountButton", &Txstj::amountByDay), 3, 0, 1, 2);
    daySide->setRowStretch(4, 1);
    dayRow->addLayout(daySide);
    column->addLayout(dayRow, 1);
}

void Txstj::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("recordsMenu"));
    m_modifyAction = m_menu->addAction(QStringLiteral("修 改 "), this, &Txstj::openForModify);
    m_deleteAction = m_menu->addAction(QStringLiteral("删 除"), this, &Txstj::openForDelete);
    m_output = new GridOutput(m_grid, m_shop, m_prompter,
                              {QStringLiteral("销 售 报 表"), QStringLiteral("销 售 统 计 报 表")}, this);
    QAction *exportAction = m_output->exportAction();
    QAction *printAction = m_output->printAction();
    m_menu->addAction(exportAction);
    m_menu->addAction(printAction);
    // The composer is reached from here: the current record goes into it.
    m_composerAction = m_menu->addAction(QStringLiteral("POS小票打印"), this, &Txstj::composeCurrent);
    // The keys are the grid's own (see eventFilter); the menu only names them.
    m_deleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    for (QAction *a : {m_deleteAction, exportAction, printAction})
        a->setShortcutContext(Qt::WidgetShortcut);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("保存当前列宽"), this, [this] {
        if (!m_columns->saveWidths())
            m_prompter.information(QStringLiteral("列宽没能保存到：") + m_columns->iniPath());
    });
    for (const ColumnSwitch &entry : SaleLineGrid::columnSwitches())
        m_menu->addAction(m_columns->action(entry.settingName));
    m_menu->addSeparator();
    m_showAllAction = m_menu->addAction(QStringLiteral("全部显示"), this, &Txstj::showAllColumns);

    m_grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_menu->popup(m_grid->view()->viewport()->mapToGlobal(at)); });
}

void Txstj::applyRestrictions()
{
    const OperatorRestrictions &rights = m_shop.rights();
    using Command = OperatorRestrictions::Command;
    auto guard = [](auto *item, bool allowed) {
        item->setVisible(allowed);
        item->setEnabled(allowed);
    };
    guard(m_modifyAction, rights.mayRun(Command::ChangeSaleLines));
    guard(m_deleteAction, rights.mayRun(Command::DeleteSaleLines));
    guard(m_showAllAction, rights.mayRun(Command::ShowAllSaleColumns));
    m_columns->setMayShow(SaleLineGrid::columnsMayShow(rights));
    m_columns->applyRestrictions(rights);
    const bool charts = rights.mayRun(Command::SalesCharts);
    m_monthChart->setVisible(charts);
    m_dayChart->setVisible(charts);
    for (QPushButton *b : std::as_const(m_chartButtons))
        b->setEnabled(charts);
    if (!charts) {
        m_monthChart->setBars({});
        m_dayChart->setBars({});
    }
}

int Txstj::rowCount() const { return m_model->rowCount(); }

qint64 Txstj::lineId(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return 0;
    return m_model->rowId(row);
}

void Txstj::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        opening();
}

void Txstj::opening()
{
    if (!m_grid->fitToWidth())
        m_grid->setFitToWidth(true);
    m_columns->restoreWidths();
    const QDate today = QDate::currentDate();
    for (QComboBox *year : {m_monthYear, m_dayYear})
        year->setEditText(QString::number(today.year()));
    m_dayMonth->setEditText(QString::number(today.month()));
    readShopLines();
    m_from->setDate(today);
    m_to->setDate(today);
    profitCharts();
    thisMonth();
}

void Txstj::done(int result)
{
    // Nothing of a closed window is held: the rows and charts go, and the
    // goods list reads everything again.
    m_panel->hide();
    m_shown = Shown::Nothing;
    m_model->clear();
    m_pages->close();
    m_shop.saleLines().forgetLineIds();
    m_monthChart->setBars({});
    m_dayChart->setBars({});
#ifdef __GLIBC__
    // A long list is freed in many small blocks that the allocator would
    // keep for the process: they go back to the system with the window.
    malloc_trim(0);
#endif
    QDialog::done(result);
}

bool Txstj::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid->view() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            openForDelete();
            return true;
        }
        if (key->modifiers() == Qt::ControlModifier && (key->key() == Qt::Key_E || key->key() == Qt::Key_D)) {
            (key->key() == Qt::Key_E ? m_output->exportAction() : m_output->printAction())->trigger();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Txstj::saleRecorded(const RecordedSale &sale)
{
    m_slip->setText(sale.slipNumber);
    // The confirmed line goes into the composer, its customer with it.
    try {
        if (const std::optional<SaleLine> line = m_shop.saleLines().find(sale.lineId))
            m_composer->carry(ComposerRow::fromLine(line->code, line->name, line->specification,
                                                    line->quantity.value_or(0), line->price.value_or(0),
                                                    line->amount.value_or(0)));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_composer->customerBox()->setText(sale.customer);
    // A closed window reads this month afresh when it is next shown; an open
    // one showing this month takes the one new line in.
    if (isVisible() && !appendSale(sale.lineId))
        thisMonth();
}

bool Txstj::appendSale(qint64 lineId)
{
    if (m_shown != Shown::Month)
        return false;
    try {
        GridRows rows = m_model->emptyRows();
        m_shop.saleLines().fillLines({lineId}, rows);
        if (rows.rowCount() != 1)
            return false;
        const int day = m_model->columnOf(QStringLiteral("day1"));
        const QString date = rows.text(0, day);
        const QDate first(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        // The month's list runs by sale date: a line of another month, or
        // dated before the last one shown, needs the month read again.
        if (date < DateText::date(first) || date >= DateText::date(first.addMonths(1)))
            return false;
        const int last = m_model->rowCount() - 1;
        if (last >= 0 && m_model->value(last, day).toString() > date)
            return false;
        m_panel->hide();
        m_model->appendRows(rows);
        m_grid->setCurrentRow(m_model->rowCount() - 1);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    return true;
}

void Txstj::load(const BoundQuery &query, bool toLastRow, bool refillLists, Shown shown)
{
    load([this, &query](GridRows &rows) { m_shop.saleLines().fillRows(query, rows); }, toLastRow, refillLists, shown);
}

void Txstj::load(const std::function<void(GridRows &)> &read, bool toLastRow, bool refillLists, Shown shown)
{
    showRows([this, &read] {
        GridRows rows = m_model->emptyRows();
        read(rows);
        m_model->setRows(std::move(rows));
    }, toLastRow, refillLists, shown);
}

void Txstj::loadLines(const std::function<std::vector<qint64>()> &ids, bool toLastRow, bool refillLists)
{
    showRows([this, &ids] {
        m_pages->setLines(ids());
        std::vector<int> rows(size_t(m_pages->count()));
        std::iota(rows.begin(), rows.end(), 0);
        m_model->showSource(m_pages, std::move(rows));
    }, toLastRow, refillLists, Shown::Other);
}

void Txstj::showRows(const std::function<void()> &fill, bool toLastRow, bool refillLists, Shown shown)
{
    m_panel->hide();
    m_sort = {};
    // A model reset gives the header its default sections back: the
    // operator's widths, order and hidden columns are put back after it.
    const GridLayoutIni::GridLayout kept = m_grid->layout();
    m_shown = shown;
    m_model->clear();
    m_pages->clear();
    try {
        if (refillLists) {
            // Emptying the category box is no search of its own.
            const QSignalBlocker quiet(m_category);
            setChoices(m_category, m_shop.saleLines().categories());
        }
        fill();
    } catch (const DbError &e) {
        m_shown = Shown::Nothing;
        m_model->clear();
        m_pages->clear();
        m_prompter.information(engineMessage(e));
    }
    m_grid->applyLayout(kept);
    m_grid->clearSortMarks();
    rehideColumns();
    if (m_model->rowCount() == 0)
        return;
    if (toLastRow)
        m_grid->setCurrentRow(m_model->rowCount() - 1);
}

void Txstj::rehideColumns()
{
    // After a model reset the header leaves a hidden column a sliver of room
    // between its neighbours; hiding it afresh closes the gap.
    QHeaderView *header = m_grid->header();
    bool any = false;
    for (int c = 0; c < header->count(); ++c) {
        if (!header->isSectionHidden(c))
            continue;
        header->setSectionHidden(c, false);
        header->setSectionHidden(c, true);
        any = true;
    }
    if (any)
        m_grid->fitColumns();
}

SaleLineSearch Txstj::searchFromBoxes() const
{
    SaleLineSearch s;
    s.category = m_category->currentText();
    s.nameInitials = m_name->text();
    s.code = m_code->text();
    s.specInitials = m_spec->text();
    s.customer = m_customer->text();
    s.remark = m_remark->text();
    s.dateRange = m_dateTick->isChecked();
    s.from = m_from->date();
    s.to = m_to->date();
    return s;
}

void Txstj::query()
{
    const SaleLineSearch search = searchFromBoxes();
    loadLines([this, &search] { return m_shop.saleLines().searchIds(SaleLineQuery::Sign::Sales, search); }, false, false);
}

void Txstj::queryReturns()
{
    const SaleLineSearch search = searchFromBoxes();
    loadLines([this, &search] { return m_shop.saleLines().searchIds(SaleLineQuery::Sign::Returns, search); }, false, false);
}

void Txstj::thisMonth() { load(SaleLineQuery::month(QDate::currentDate()), true, true, Shown::Month); }

void Txstj::allLines()
{
    loadLines([this] { return m_shop.saleLines().allLineIds(); }, true, true);
}

void Txstj::allReturns()
{
    loadLines([this] { return m_shop.saleLines().allReturnIds(); }, true, true);
}

void Txstj::today()
{
    // The date boxes keep what the operator set; only the tick changes.
    const QSignalBlocker quiet(m_dateTick);
    m_dateTick->setChecked(true);
    query();
}

void Txstj::clearConditions()
{
    // Each box that held text queries again as it empties, as typing does.
    for (QLineEdit *box : {m_name, m_spec, m_code, m_customer, m_remark})
        box->clear();
    m_category->setEditText(QString());
    m_dateTick->setChecked(false);
}

void Txstj::querySlip()
{
    // The edit panel stays as it is: the slip search is no browse of its own.
    const bool panelShown = m_panel->isVisible();
    load(SaleLineQuery::slipContaining(m_slip->text()), false, false);
    m_panel->setVisible(panelShown && m_panel->lineId() != 0);
}

void Txstj::titleClicked(int column)
{
    m_panel->hide();
    m_sort = nextSaleSort(m_sort, column);
    m_model->sortBy(column, m_sort.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_grid->clearSortMarks();
    m_grid->setSortMark(column, m_sort.descending ? SortMark::Descending : SortMark::Ascending);
}

void Txstj::rowClicked(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    m_slip->setText(m_model->value(row, QStringLiteral("z")).toString());
}

void Txstj::openForModify() { openPanel(SaleLineEditPanel::Mode::Modify); }

void Txstj::openForDelete() { openPanel(SaleLineEditPanel::Mode::Delete); }

void Txstj::openPanel(SaleLineEditPanel::Mode mode)
{
    using Command = OperatorRestrictions::Command;
    // Hidden from the operator means refused, whichever way he asks.
    if (!m_shop.rights().mayRun(mode == SaleLineEditPanel::Mode::Modify ? Command::ChangeSaleLines
                                                                       : Command::DeleteSaleLines)) {
        m_prompter.information(OperatorRestrictions::refusalText());
        return;
    }
    const int row = m_grid->currentRow();
    if (row < 0 || m_model->value(row, QStringLiteral("a")).toString().isEmpty())
        return;
    try {
        const std::optional<SaleLine> line = m_shop.saleLines().find(lineId(row));
        if (!line) {
            m_prompter.information(QStringLiteral("这条销售记录已不存在。"));
            return;
        }
        m_panel->open(*line, mode);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void Txstj::saveCorrection()
{
    const qint64 id = m_panel->lineId();
    if (id == 0 || m_model->rowCount() == 0)
        return;
    std::optional<SaleLine> line;
    try {
        const SaleLineOutcome outcome = m_shop.saleLines().correct(id, m_panel->correction());
        if (!outcome.ok) {
            m_prompter.information(outcome.message);
            return;
        }
        line = m_shop.saleLines().find(id);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    // The row changes in place; no new read of the grid.
    if (const int row = line ? m_model->displayRowOfId(id) : -1; row >= 0 && m_model->source() == m_pages) {
        m_pages->lineChanged(id);
        m_model->sourceRowChanged(row);
    } else if (row >= 0) {
        auto set = [&](const char *field, const QVariant &value) {
            m_model->setValue(row, m_model->columnOf(QLatin1String(field)), value);
        };
        set("6", line->arrears ? QVariant(*line->arrears) : QVariant());
        set("z", line->slipNumber);
        set("g", line->customer);
        set("h", line->address);
        set("i", line->phone);
        set("j", line->remark);
    }
    m_panel->hide();
    m_prompter.information(QStringLiteral("修改记录成功！"));
}

void Txstj::deleteLine()
{
    const qint64 id = m_panel->lineId();
    if (id == 0)
        return;
    try {
        const SaleLineOutcome outcome = m_shop.saleLines().remove(id);
        if (!outcome.ok) {
            m_prompter.information(outcome.message);
            return;
        }
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    thisMonth();
    m_panel->clearShown();
    m_panel->hide();
    profitCharts();
    m_prompter.information(QStringLiteral("删除销售记录成功！"));
}

void Txstj::showAllColumns()
{
    if (!m_shop.rights().mayRun(OperatorRestrictions::Command::ShowAllSaleColumns)) {
        m_prompter.information(OperatorRestrictions::refusalText());
        return;
    }
    const ColumnMayShow mayShow = SaleLineGrid::columnsMayShow(m_shop.rights());
    for (const QString &field : SaleLineGrid::showAllFields())
        if (mayShow(field))
            m_grid->showColumn(field);
}

void Txstj::readShopLines()
{
    m_company->setText(m_shop.settings().company());
    m_address->setText(m_shop.settings().address());
}

PrintTexts Txstj::printTexts() const
{
    // As the print settings window has them now, edits not yet saved too.
    return m_shop.printTexts();
}

void Txstj::previewSlip()
{
    const QString number = m_slip->text().trimmed();
    if (number.isEmpty()) {
        m_prompter.information(QStringLiteral("点选要打印的某行记录"));
        return;
    }
    // The grid lists the slip's lines as the search finds them; the slip
    // itself holds exactly the lines of this number.
    querySlip();
    const PrintTexts texts = printTexts();
    SlipInput in = SlipInput::withTexts(texts, number, m_shop.rights().operatorName());
    try {
        in.lines = ReadSlipLines(m_shop.slips(), number);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    if (in.lines.empty()) {
        m_prompter.information(QStringLiteral("没有单号为“%1”的销售记录。").arg(number));
        return;
    }
    const SlipDocument slip = SlipLayout::build(in);
    if (!slip.notice.isEmpty())
        m_prompter.information(slip.notice);
    PreviewLayoutOrKeepAsPdf(slip.layout, QStringLiteral("销售单") + number, m_prompter, this);
}

void Txstj::composeCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const auto text = [this, row](const char *field) { return m_model->value(row, QLatin1String(field)).toString(); };
    const auto number = [this, row](const char *field) {
        const int column = m_model->columnOf(QLatin1String(field));
        return m_model->isNull(row, column) ? 0.0 : m_model->number(row, column);
    };
    m_composer->show();
    m_composer->raise();
    const int at = m_composer->carry(
        ComposerRow::fromLine(text("c"), text("a"), text("b"), number("3"), number("2"), number("4")));
    if (at < 0)
        m_prompter.information(QStringLiteral("已有6条记录，请先打印或删除其中的记录。"));
    if (at == 0)
        m_composer->customerBox()->setText(text("g"));
}

void Txstj::monthChartOf(StatValue value)
{
    const std::optional<int> year = SalesStatistics::wholeNumber(m_monthYear->currentText());
    if (!year) {
        m_prompter.warning(QStringLiteral("“年”必须填写整数年份！"));
        m_monthYear->setFocus();
        return;
    }
    try {
        m_monthChart->setBars(m_shop.statistics().byMonth(value, *year));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void Txstj::dayChartOf(StatValue value)
{
    const std::optional<int> year = SalesStatistics::wholeNumber(m_dayYear->currentText());
    if (!year) {
        m_prompter.warning(QStringLiteral("“年”必须填写整数年份！"));
        m_dayYear->setFocus();
        return;
    }
    const std::optional<int> month = SalesStatistics::wholeNumber(m_dayMonth->currentText());
    if (!month) {
        m_prompter.warning(QStringLiteral("“月份”必须填写整数！"));
        m_dayMonth->setFocus();
        return;
    }
    try {
        m_dayChart->setBars(m_shop.statistics().byDay(value, *year, *month));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void Txstj::profitByMonth() { monthChartOf(StatValue::Profit); }
void Txstj::amountByMonth() { monthChartOf(StatValue::SalesAmount); }
void Txstj::profitByDay() { dayChartOf(StatValue::Profit); }
void Txstj::amountByDay() { dayChartOf(StatValue::SalesAmount); }

void Txstj::profitCharts()
{
    if (!m_shop.rights().mayRun(OperatorRestrictions::Command::SalesCharts))
        return;
    // The charts stand on the other tab: counted when it is shown, so that
    // opening the window does not wait for a year of lines it may not show.
    if (!isVisible() || m_tabs->currentIndex() != m_tabs->indexOf(m_monthChart->parentWidget())) {
        m_chartsDue = true;
        return;
    }
    m_chartsDue = false;
    profitByMonth();
    profitByDay();
}

} // namespace quollin
