#include "goods/GoodsList.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/InputChecks.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "goods/GoodsStore.h"
#include "goods/StockAlarm.h"
#include "widgets/ChoiceList.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/GridReader.h"
#include "widgets/NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace quollin {

namespace {

std::vector<GridColumn> goodsColumns()
{
    const QString info = QStringLiteral("商 品 信 息");
    const QString in = QStringLiteral("进 货");
    const QString out = QStringLiteral("销 售");
    const QString stock = QStringLiteral("存 货");
    const QString note = QStringLiteral("备 注");
    auto col = [](const char *field, const QString &group, const QString &title, GridKind kind,
                  FooterKind footer = FooterKind::None) {
        GridColumn c;
        c.field = QLatin1String(field);
        c.group = group;
        c.title = title;
        c.kind = kind;
        c.footer = footer;
        return c;
    };
    std::vector<GridColumn> columns{
        col("a", info, QStringLiteral("名 称"), GridKind::Text, FooterKind::Text),
        col("b", info, QStringLiteral("规格型号"), GridKind::Text),
        col("c", info, QStringLiteral("编 码"), GridKind::Text),
        col("d", info, QStringLiteral("类 别"), GridKind::Text),
        col("2", in, QStringLiteral("数 量"), GridKind::Quantity, FooterKind::Sum),
        col("1", in, QStringLiteral("单 价"), GridKind::Plain),
        col("3", in, QStringLiteral("金 额"), GridKind::Amount, FooterKind::Sum),
        col("5", out, QStringLiteral("数 量"), GridKind::Quantity, FooterKind::Sum),
        col("4", out, QStringLiteral("单 价"), GridKind::Plain),
        col("6", out, QStringLiteral("金 额"), GridKind::Amount, FooterKind::Sum),
        col("7", stock, QStringLiteral("数 量"), GridKind::Quantity, FooterKind::Sum),
        col("8", stock, QStringLiteral("金 额"), GridKind::Amount, FooterKind::Sum),
        col("day1", note, QStringLiteral("入库日期"), GridKind::Date),
        col("g", note, QStringLiteral("供货商"), GridKind::Text),
        col("z", note, QStringLiteral("备 注"), GridKind::Text),
    };
    // Starting shares of the width: names and codes need the room.
    for (auto [index, width] : {std::pair{0, 96}, {1, 80}, {2, 104}, {12, 80}, {13, 80}})
        columns[size_t(index)].width = width;
    columns[0].footerText = QStringLiteral("总计");
    columns[0].footerAlignment = Qt::AlignCenter;
    return columns;
}

} // namespace

GoodsList::GoodsList(Shop &shop, Prompter &prompter, QWidget *parent)
    : QObject(parent), m_shop(shop), m_store(shop.goods()), m_prompter(prompter)
{
    m_grid = new DataGrid(parent);
    m_grid->setObjectName(QStringLiteral("goodsGrid"));
    m_grid->setGridName(QStringLiteral("商品列表"));
    m_grid->setToolTip(QStringLiteral("点列标题进行排序，双击记录进行销售"));
    m_grid->setStatusTip(m_grid->toolTip());
    m_model = new GridModel(goodsColumns(), this);
    m_model->setRowHighlight([this](const GridModel &model, int row) {
        const int stock = model.columnOf(QStringLiteral("7"));
        const std::optional<double> value =
            model.isNull(row, stock) ? std::nullopt : std::optional<double>(model.number(row, stock));
        return StockAlarm::isRed(StockAlarm::parseLevel(m_alarm->text()), value);
    });
    m_grid->setModel(m_model);
    connect(m_grid, &DataGrid::titleClicked, this, &GoodsList::titleClicked);
    connect(m_grid, &DataGrid::rowClicked, this, [this](int row) { emit rowClicked(goodsId(row)); });
    connect(m_grid, &DataGrid::rowDoubleClicked, this, [this](int row) { emit rowDoubleClicked(goodsId(row)); });
    buildSearchArea(parent);

    // What the shop commits reaches the list here, from whichever window
    // made the change.
    connect(&m_shop, &ShopContext::signedIn, this, &GoodsList::signedIn);
    connect(&m_shop, &ShopContext::changed, this, &GoodsList::shopChanged);
    connect(&m_shop, &ShopContext::databaseReopened, this, &GoodsList::refreshAll);
}

void GoodsList::restoreSettings() { setAlarmLevelText(m_shop.settings().alarmLevel()); }

void GoodsList::signedIn()
{
    if (const std::optional<bool> hidden = m_shop.settings().hideZeroStock())
        setZeroStock(*hidden ? ZeroStock::Hidden : ZeroStock::Shown);
    refreshAll();
}

void GoodsList::shopChanged(const ChangeSet &changes)
{
    if (changes.sale) {
        saleRecorded(*changes.sale);
        return;
    }
    const RowChanges &goods = changes.goods;
    if (goods.isEmpty())
        return;
    if (goods.isAll() || !goods.addedRows().isEmpty() || !goods.changedRows().isEmpty()) {
        refreshAll();
        return;
    }
    for (qint64 id : goods.removedRows())
        dropRow(id);
}

void GoodsList::saleRecorded(const RecordedSale &sale)
{
    // Only the sold row changed: it is read again in place, which keeps the
    // operator's place in a long list. The keyboard confirmation reads the
    // whole list, as it always has.
    if (sale.origin == RecordedSale::Origin::Keyboard)
        refreshAll();
    else
        refreshRow(sale.goodsId);
}

void GoodsList::buildSearchArea(QWidget *parent)
{
    m_search = new QGroupBox(QStringLiteral(" 快速拼音查询"), parent);
    m_search->setObjectName(QStringLiteral("searchArea"));
    auto *grid = new QGridLayout(m_search);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    m_category = CaptionedChoice(grid, 0, 0, QStringLiteral("类 别："), "searchCategory", m_search);
    m_name = CaptionedBox(grid, 0, 2, QStringLiteral("商品名称："), "searchName", m_search);
    m_specification = CaptionedBox(grid, 0, 4, QStringLiteral("规格型号："), "searchSpecification", m_search);
    m_code = CaptionedBox(grid, 1, 0, QStringLiteral("商品编码："), "searchCode", m_search);
    m_remarks = CaptionedBox(grid, 1, 2, QStringLiteral("备注："), "searchRemarks", m_search);
    m_supplier = CaptionedChoice(grid, 1, 4, QStringLiteral("供货商："), "searchSupplier", m_search);
    m_name->setPlaceholderText(QStringLiteral("输入拼音首字母查询"));
    m_name->setToolTip(m_name->placeholderText());
    m_specification->setPlaceholderText(QStringLiteral("输入拼音首字母查询"));
    m_specification->setToolTip(m_specification->placeholderText());
    m_code->setToolTip(QStringLiteral("支持扫描枪"));

    m_dateTick = Named(new QCheckBox(QStringLiteral("入库日期："), m_search), QStringLiteral("入库日期："), "searchDateTick");
    m_from = Named(new QDateEdit(QDate::currentDate(), m_search), QStringLiteral("入库日期从"), "searchFrom");
    m_to = Named(new QDateEdit(QDate::currentDate(), m_search), QStringLiteral("入库日期至"), "searchTo");
    for (QDateEdit *box : {m_from, m_to}) {
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        box->setCalendarPopup(true);
    }
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_dateTick);
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("至"), m_search));
    dates->addWidget(m_to);
    grid->addLayout(dates, 2, 0, 1, 4);

    auto *buttons = new QHBoxLayout;
    QPushButton *queryButton = NamedButton(QStringLiteral("查询"), "queryButton", m_search);
    QPushButton *clearButton = NamedButton(QStringLiteral("清空条件"), "clearButton", m_search);
    QPushButton *allButton = NamedButton(QStringLiteral("全部记录"), "allButton", m_search);
    for (QPushButton *b : {queryButton, clearButton, allButton})
        buttons->addWidget(b);
    grid->addLayout(buttons, 2, 4, 1, 2);
    connect(queryButton, &QPushButton::clicked, this, &GoodsList::query);
    connect(clearButton, &QPushButton::clicked, this, &GoodsList::clearConditions);
    connect(allButton, &QPushButton::clicked, this, &GoodsList::refreshAll);

    // Live search: each change of these boxes queries at once.
    connect(m_category, &QComboBox::editTextChanged, this, &GoodsList::query);
    for (QLineEdit *box : {m_name, m_specification, m_code, m_remarks})
        connect(box, &QLineEdit::textChanged, this, &GoodsList::query);

    m_alarmArea = new QWidget(parent);
    auto *alarm = new QHBoxLayout(m_alarmArea);
    alarm->setContentsMargins(0, 0, 0, 0);
    auto *alarmLabel = new QLabel(QStringLiteral("库存报警数量："), m_alarmArea);
    m_alarm = Named(new QLineEdit(QStringLiteral("5"), m_alarmArea), QStringLiteral("库存报警数量："), "alarmBox");
    m_alarm->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_alarm));
    m_alarm->setToolTip(QStringLiteral("修改库存报警数量，记录变成红色"));
    m_alarm->setMaximumWidth(60);
    alarmLabel->setBuddy(m_alarm);
    m_zeroTick = Named(new QCheckBox(QStringLiteral("不显示零库存"), m_alarmArea), QStringLiteral("不显示零库存"),
                       "zeroStockTick");
    alarm->addWidget(alarmLabel);
    alarm->addWidget(m_alarm);
    alarm->addWidget(m_zeroTick);
    connect(m_alarm, &QLineEdit::textEdited, this, &GoodsList::alarmEdited);
    connect(m_zeroTick, &QCheckBox::clicked, this, &GoodsList::zeroStockToggled);
}

int GoodsList::rowCount() const { return m_model->rowCount(); }

qint64 GoodsList::goodsId(int row) const { return m_ids[size_t(m_model->loadIndex(row))]; }

GoodsRecord GoodsList::record(int row) const { return m_store.find(goodsId(row)).value_or(GoodsRecord{}); }

qint64 GoodsList::currentGoodsId() const
{
    const int row = m_grid->currentRow();
    return row >= 0 && row < rowCount() ? goodsId(row) : 0;
}

void GoodsList::setAlarmLevelText(const QString &text)
{
    if (!text.isEmpty())
        m_alarm->setText(text);
    m_model->refreshHighlight();
}

void GoodsList::dropRow(qint64 goodsId)
{
    // The rest stay as they are, read and sorted: only the deleted row goes.
    const auto at = std::find(m_ids.begin(), m_ids.end(), goodsId);
    if (at == m_ids.end())
        return;
    const int loadIndex = int(at - m_ids.begin());
    const int row = m_model->displayRowOf(loadIndex);
    m_ids.erase(at);
    m_model->removeDisplayRow(row);
    // The cursor stands on the row that took the deleted one's place, or on
    // the new last row.
    if (rowCount() > 0)
        m_grid->setCurrentRow(qMin(row, rowCount() - 1));
}

int GoodsList::rowOf(qint64 goodsId) const
{
    const auto at = std::find(m_ids.begin(), m_ids.end(), goodsId);
    if (at == m_ids.end())
        return -1;
    const int loaded = int(at - m_ids.begin());
    return m_model->displayRowOf(loaded);
}

void GoodsList::refreshRow(qint64 goodsId)
{
    const int row = rowOf(goodsId);
    if (row < 0)
        return;
    bool found = false;
    try {
        Statement s = m_store.statement(GoodsQuery::oneRow(m_lastQuery, goodsId));
        const GridReader reader(s, m_model->emptyRows(), m_store.hiddenFields());
        while (s.next()) {
            found = true;
            m_model->setRowValues(row, reader.values(s));
        }
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    if (!found)
        dropRow(goodsId);
}

void GoodsList::setZeroStock(ZeroStock zeroStock)
{
    m_zeroStock = zeroStock;
    m_zeroTick->setChecked(zeroStock == ZeroStock::Hidden);
}

void GoodsList::readRows(GoodsStore &store, const BoundQuery &query, GridRows &rows, std::vector<qint64> &ids)
{
    // Straight from the engine into the grid's cells: nothing is held twice.
    Statement s = store.statement(query);
    const GridReader reader(s, rows, store.hiddenFields());
    const int idColumn = s.columnIndex("ID");
    while (s.next()) {
        ids.push_back(s.integer(idColumn));
        reader.appendRow(s, rows);
    }
}

std::vector<GridColumn> GoodsList::columns() { return goodsColumns(); }

void GoodsList::show(const BoundQuery &query, bool toLastRow)
{
    // Kept so that one changed row can be judged by the same conditions.
    m_lastQuery = query;
    // The old rows go first: the new ones then take their memory instead of
    // both being held at once (and a failed read leaves the list empty).
    const size_t before = m_ids.size();
    m_ids.clear();
    m_ids.shrink_to_fit();
    m_model->clear();
    GridRows grid = m_model->emptyRows();
    std::vector<qint64> ids;
    // The last result's size is the best guess at this one's: room not used
    // is address space only, never touched.
    grid.reserve(int(before));
    ids.reserve(before);
    readRows(m_store, query, grid, ids);
    m_ids = std::move(ids);
    m_model->setRows(std::move(grid));
    m_grid->clearSortMarks();
    if (!m_ids.empty())
        m_grid->setCurrentRow(toLastRow ? int(m_ids.size()) - 1 : 0);
}

void GoodsList::refreshAll()
{
    emit rowsChanging();
    try {
        show(GoodsQuery::list(m_zeroStock), true);
        // On the whole list, so that a search does not move the columns.
        m_grid->fitColumnsToContents();
        // With zero stock shown the rows just read are the whole table: their
        // distinct texts are the lists, without five more reads of the file.
        const GoodsDropDowns lists = m_zeroStock == ZeroStock::Shown ? dropDownsFromRows() : m_store.dropDowns();
        {
            // Emptying the category box is no search of its own: "全部记录"
            // shows the whole list.
            const QSignalBlocker quiet(m_category);
            setChoices(m_category, lists.categories);
        }
        setChoices(m_supplier, lists.suppliers);
        emit dropDownsRefilled(lists);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

GoodsDropDowns GoodsList::dropDownsFromRows() const
{
    auto of = [this](const char *field) { return m_model->distinctTexts(m_model->columnOf(QLatin1String(field))); };
    return {of("a"), of("b"), of("c"), of("d"), of("g")};
}

GoodsSearch GoodsList::searchFromBoxes() const
{
    GoodsSearch s;
    s.category = m_category->currentText();
    s.nameInitials = m_name->text();
    s.specInitials = m_specification->text();
    s.code = m_code->text();
    s.remarks = m_remarks->text();
    s.supplier = m_supplier->currentText();
    s.dateRange = m_dateTick->isChecked();
    s.from = m_from->date();
    s.to = m_to->date();
    return s;
}

void GoodsList::query()
{
    emit rowsChanging();
    try {
        show(GoodsQuery::condition(m_zeroStock, searchFromBoxes()), false);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void GoodsList::clearConditions()
{
    for (QLineEdit *box : {m_name, m_code, m_specification})
        box->clear();
    m_category->setEditText(QString());
    m_remarks->clear();
    m_supplier->setEditText(QString());
    m_dateTick->setChecked(false);
    m_code->setFocus();
}

void GoodsList::titleClicked(int column)
{
    emit rowsChanging();
    const SortStep step = sortClick(m_grid->sortMark(column));
    m_model->sortBy(column, step.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_grid->clearSortMarks();
    m_grid->setSortMark(column, step.markAfter);
}

void GoodsList::zeroStockToggled(bool hidden)
{
    m_zeroStock = hidden ? ZeroStock::Hidden : ZeroStock::Shown;
    refreshAll();
    m_shop.settings().setHideZeroStock(hidden);
}

void GoodsList::alarmEdited(const QString &text)
{
    if (text.isEmpty())
        m_alarm->setText(QStringLiteral("0"));
    m_shop.settings().setAlarmLevel(m_alarm->text());
    m_model->refreshHighlight();
}

} // namespace quollin
