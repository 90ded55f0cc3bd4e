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
#include "core/NumberText.h"
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

#include <QFontMetrics>
#include <QTimer>

#include <algorithm>
#include <cmath>

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

// The catalogue's rows as the grid's columns.
class CatalogueSource : public GridSource {
public:
    CatalogueSource(const GoodsCatalogue &catalogue, const std::vector<GridColumn> &columns) : m_catalogue(catalogue)
    {
        for (const GridColumn &column : columns)
            m_fields.push_back(GoodsCatalogue::fieldOf(column.field));
    }
    bool isNull(int row, int column) const override { return m_catalogue.isNull(row, field(column)); }
    double number(int row, int column) const override { return m_catalogue.number(row, field(column)); }
    const QString &text(int row, int column) const override { return m_catalogue.text(row, field(column)); }
    const std::vector<QString> &texts(int column) const override { return m_catalogue.texts(field(column)); }
    quint32 textIndex(int row, int column) const override { return m_catalogue.textIndex(row, field(column)); }
    qint64 id(int row) const override { return m_catalogue.id(row); }

private:
    int field(int column) const { return m_fields[size_t(column)]; }
    const GoodsCatalogue &m_catalogue;
    std::vector<int> m_fields;
};

} // namespace

GoodsList::GoodsList(Shop &shop, Prompter &prompter, QWidget *parent)
    : QObject(parent), m_shop(shop), m_store(shop.goods()), m_prompter(prompter), m_catalogue(shop)
{
    m_grid = new DataGrid(parent);
    m_grid->setObjectName(QStringLiteral("goodsGrid"));
    m_grid->setGridName(QStringLiteral("商品列表"));
    m_grid->setToolTip(QStringLiteral("点列标题进行排序，双击记录进行销售"));
    m_grid->setStatusTip(m_grid->toolTip());
    m_model = new GridModel(goodsColumns(), this);
    m_source = std::make_unique<CatalogueSource>(m_catalogue, m_model->columns());
    m_widest.resize(m_model->columns().size());
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
    // A reopened file may hold anything (a restored copy): read it all.
    connect(&m_shop, &ShopContext::databaseReopened, this, &GoodsList::startReading);
    connect(&m_shop, &ShopContext::databaseClosing, this, &GoodsList::stopReading);
}

void GoodsList::restoreSettings() { setAlarmLevelText(m_shop.settings().alarmLevel()); }

void GoodsList::signedIn()
{
    if (const std::optional<bool> hidden = m_shop.settings().hideZeroStock())
        setZeroStock(*hidden ? ZeroStock::Hidden : ZeroStock::Shown);
    // Read again for every operator: what he may not see is never held.
    startReading();
}

void GoodsList::startReading()
{
    m_catalogue.beginLoad(m_store.hiddenFields());
    std::fill(m_widest.begin(), m_widest.end(), QStringList());
    m_model->clear();
    m_reading = true;
    // The first slice at once: a small table is then read before the main
    // window shows, a large one goes on between events.
    readSlice();
}

void GoodsList::readSlice()
{
    if (!m_reading)
        return;
    bool done = false;
    try {
        done = m_catalogue.loadSlice(kSliceRows);
    } catch (const DbError &e) {
        stopReading();
        m_prompter.information(engineMessage(e));
        return;
    }
    if (!done) {
        emit readingMessage(QStringLiteral("正在读取商品列表… %1").arg(m_catalogue.liveCount()));
        QTimer::singleShot(0, this, &GoodsList::readSlice);
        return;
    }
    m_reading = false;
    emit readingMessage(QString());
    refreshAll();
}

void GoodsList::stopReading()
{
    if (!m_reading)
        return;
    m_reading = false;
    emit readingMessage(QString());
}

void GoodsList::shopChanged(const ChangeSet &changes)
{
    const RowChanges &goods = changes.goods;
    if (goods.isEmpty())
        return;
    if (!m_reading && !m_catalogue.isLoaded()) {
        refreshAll(); // never read: read it all now
        return;
    }
    GoodsCatalogue::Applied applied;
    try {
        applied = m_catalogue.apply(goods);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    if (m_reading)
        return; // the list shows once the read is done
    for (int slot : applied.changed)
        widenFor(slot);
    // Only the sold row was read again. The panel's confirmation keeps the
    // operator's place in the list; the keyboard confirmation shows
    // "全部记录", as it always has.
    if (changes.sale && changes.sale->origin == RecordedSale::Origin::Panel && !applied.reloaded
        && goods.addedRows().isEmpty()) {
        for (qint64 id : goods.changedRows())
            refreshRow(id);
        for (qint64 id : goods.removedRows())
            dropRow(id);
        return;
    }
    if (applied.reloaded || !goods.addedRows().isEmpty() || !goods.changedRows().isEmpty()) {
        refreshAll();
        return;
    }
    for (qint64 id : goods.removedRows())
        dropRow(id);
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
    // A scanner types the code and sends Enter: the Enter makes it a scan,
    // however fast or slowly the code came.
    connect(m_code, &QLineEdit::returnPressed, this, &GoodsList::scanCode);

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

qint64 GoodsList::goodsId(int row) const { return m_model->rowId(row); }

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
    const int row = rowOf(goodsId);
    if (row < 0)
        return;
    m_model->removeDisplayRow(row);
    // The cursor stands on the row that took the deleted one's place, or on
    // the new last row.
    if (rowCount() > 0)
        m_grid->setCurrentRow(qMin(row, rowCount() - 1));
}

int GoodsList::rowOf(qint64 goodsId) const { return m_model->displayRowOfId(goodsId); }

void GoodsList::refreshRow(qint64 goodsId)
{
    const int row = rowOf(goodsId);
    if (row < 0)
        return;
    const int slot = m_catalogue.slotOf(goodsId);
    const bool takes = slot >= 0
                       && (m_showingSearch ? m_catalogue.searchTakes(slot, m_zeroStock, m_lastSearch)
                                           : m_catalogue.listTakes(slot, m_zeroStock));
    if (takes)
        m_model->sourceRowChanged(row);
    else
        dropRow(goodsId);
}

void GoodsList::setZeroStock(ZeroStock zeroStock)
{
    m_zeroStock = zeroStock;
    m_zeroTick->setChecked(zeroStock == ZeroStock::Hidden);
}

std::vector<GridColumn> GoodsList::columns() { return goodsColumns(); }

void GoodsList::show(std::vector<int> rows, bool toLastRow)
{
    const int count = int(rows.size());
    m_model->showSource(m_source.get(), std::move(rows));
    m_grid->clearSortMarks();
    if (count > 0)
        m_grid->setCurrentRow(toLastRow ? count - 1 : 0);
}

void GoodsList::refreshAll()
{
    emit rowsChanging();
    if (m_reading)
        return; // shown when the read is done
    try {
        // Nothing is read: the rows are held (read here only when no
        // sign-in read them). A closed file is still told as the engine
        // tells it, and the list is empty until it reopens.
        m_shop.db();
        // What another copy of the program wrote is shown by "全部记录", as
        // when the list read the file each time; only then is it read again.
        if (!m_catalogue.isLoaded() || m_catalogue.writtenElsewhere())
            m_catalogue.load(m_store.hiddenFields());
    } catch (const DbError &e) {
        m_model->clear();
        m_prompter.information(engineMessage(e));
        return;
    }
    m_showingSearch = false;
    std::vector<int> rows = m_catalogue.listRows(m_zeroStock);
    if (std::all_of(m_widest.begin(), m_widest.end(), [](const QStringList &w) { return w.isEmpty(); }))
        sampleWidths(rows);
    show(std::move(rows), true);
    // On the whole list, so that a search does not move the columns.
    m_grid->fitColumnsToSamples(m_widest);
    const GoodsDropDowns &lists = m_catalogue.dropDowns();
    {
        // Emptying the category box is no search of its own: "全部记录"
        // shows the whole list.
        const QSignalBlocker quiet(m_category);
        setChoices(m_category, lists.categories);
    }
    setChoices(m_supplier, lists.suppliers);
    emit dropDownsRefilled(lists);
}

QString GoodsList::cellText(int slot, int column) const
{
    // The text the grid shows for a catalogue row, without it being shown.
    const GridColumn &c = m_model->column(column);
    const int field = GoodsCatalogue::fieldOf(c.field);
    if (!GoodsCatalogue::isNumeric(field))
        return m_catalogue.text(slot, field);
    const double v = m_catalogue.number(slot, field);
    if (std::isnan(v))
        return {};
    switch (c.kind) {
    case GridKind::Amount:
        return NumberText::amount(v);
    case GridKind::Quantity:
        return NumberText::quantity(v);
    default:
        return NumberText::general(v);
    }
}

void GoodsList::sampleWidths(const std::vector<int> &rows)
{
    // The first rows shown and, per column, the longest text and the
    // largest and smallest number of all: enough to fit the widths once.
    constexpr size_t kSampleRows = 300;
    const std::vector<GridColumn> &columns = m_model->columns();
    for (size_t c = 0; c < columns.size(); ++c) {
        const int field = GoodsCatalogue::fieldOf(columns[c].field);
        QStringList &widest = m_widest[c];
        widest.clear();
        std::vector<int> picks(rows.begin(), rows.begin() + qsizetype(std::min(rows.size(), kSampleRows)));
        if (GoodsCatalogue::isNumeric(field)) {
            int high = -1, low = -1;
            for (int slot : rows) {
                const double v = m_catalogue.number(slot, field);
                if (std::isnan(v))
                    continue;
                if (high < 0 || v > m_catalogue.number(high, field))
                    high = slot;
                if (low < 0 || v < m_catalogue.number(low, field))
                    low = slot;
            }
            for (int slot : {high, low})
                if (slot >= 0)
                    picks.push_back(slot);
        } else {
            const std::vector<QString> &texts = m_catalogue.texts(field);
            const auto longest = std::max_element(texts.begin(), texts.end(),
                                                  [](const QString &a, const QString &b) { return a.size() < b.size(); });
            if (longest != texts.end() && !longest->isEmpty())
                widest << *longest;
        }
        for (int slot : picks)
            widest << cellText(slot, int(c));
    }
    // Only the widest of each column is kept: a later fit measures one text
    // a column.
    const QFontMetrics metrics = m_grid->fontMetrics();
    for (QStringList &texts : m_widest) {
        QString widest;
        for (const QString &text : texts)
            if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(widest))
                widest = text;
        texts = QStringList{widest};
    }
}

void GoodsList::widenFor(int slot)
{
    if (slot < 0 || slot >= m_catalogue.slotCount() || !m_catalogue.isLive(slot))
        return;
    const QFontMetrics metrics = m_grid->fontMetrics();
    bool wider = false;
    for (size_t c = 0; c < m_widest.size(); ++c) {
        const QString cell = cellText(slot, int(c));
        if (m_widest[c].isEmpty() || metrics.horizontalAdvance(cell) > metrics.horizontalAdvance(m_widest[c].first())) {
            m_widest[c] = QStringList{cell};
            wider = true;
        }
    }
    if (wider)
        m_grid->fitColumnsToSamples(m_widest);
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

bool GoodsList::rowsHeld(bool clearOnFailure)
{
    try {
        m_shop.db();
        if (!m_catalogue.isLoaded())
            m_catalogue.load(m_store.hiddenFields());
        return true;
    } catch (const DbError &e) {
        if (clearOnFailure)
            m_model->clear();
        m_prompter.information(engineMessage(e));
        return false;
    }
}

void GoodsList::query()
{
    emit rowsChanging();
    if (m_reading || !rowsHeld(true))
        return;
    m_showingSearch = true;
    m_lastSearch = searchFromBoxes();
    show(m_catalogue.searchRows(m_zeroStock, m_lastSearch), false);
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

void GoodsList::scanCode()
{
    const QString code = m_code->text().trimmed();
    if (code.isEmpty())
        return;
    readyForScan();
    if (m_reading) {
        emit scanMessage(QStringLiteral("商品列表正在读取，请稍后再扫描"));
        return;
    }
    if (!rowsHeld(false))
        return;
    const GoodsCatalogue::CodeMatch match = m_catalogue.matchCode(m_zeroStock, code);
    if (match.sellable.empty()) {
        emit scanMessage(match.unsellable > 0 ? QStringLiteral("编码“%1”的商品没有库存，不能销售").arg(code)
                                              : QStringLiteral("没有编码为“%1”的商品").arg(code));
        return;
    }
    // The rows found, and only they; a sold row is judged as a search for
    // the code keeps or drops it.
    emit rowsChanging();
    m_showingSearch = true;
    m_lastSearch = GoodsSearch{};
    m_lastSearch.code = code;
    const int found = int(match.sellable.size());
    show(match.sellable, false);
    if (found == 1) {
        emit scannedRow(goodsId(0));
        return;
    }
    emit scanMessage(QStringLiteral("编码“%1”有 %2 种商品，请双击要销售的一行").arg(code).arg(found));
}

void GoodsList::readyForScan()
{
    m_code->setFocus();
    m_code->selectAll();
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
