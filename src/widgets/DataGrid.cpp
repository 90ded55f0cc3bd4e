#include "widgets/DataGrid.h"


#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <cmath>
#include <tuple>

namespace quollin {

// ---------------------------------------------------------------- GroupHeader

GroupHeader::GroupHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(16);
    // A resize moves the centre of a shared group title, which lies partly
    // over sections the base class would not repaint.
    connect(this, &QHeaderView::sectionResized, this, [this] { viewport()->update(); });
    connect(this, &QHeaderView::sectionCountChanged, this, [this] {
        m_marks.assign(size_t(count()), SortMark::None);
        updateGeometry();
    });
}

void GroupHeader::setSortMark(int logical, SortMark mark)
{
    if (logical < 0 || logical >= count())
        return;
    if (m_marks.size() != size_t(count()))
        m_marks.resize(size_t(count()), SortMark::None);
    m_marks[size_t(logical)] = mark;
    viewport()->update();
}

SortMark GroupHeader::sortMark(int logical) const
{
    if (logical < 0 || size_t(logical) >= m_marks.size())
        return SortMark::None;
    return m_marks[size_t(logical)];
}

void GroupHeader::clearSortMarks()
{
    std::fill(m_marks.begin(), m_marks.end(), SortMark::None);
    viewport()->update();
}

QString GroupHeader::group(int logical) const
{
    if (!model())
        return {};
    return model()->headerData(logical, Qt::Horizontal, GridModel::GroupRole).toString();
}

bool GroupHeader::hasGroups() const
{
    for (int c = 0; c < count(); ++c)
        if (!group(c).isEmpty())
            return true;
    return false;
}

std::pair<int, int> GroupHeader::groupSpan(int logical) const
{
    const int visual = visualIndex(logical);
    const QString g = group(logical);
    if (g.isEmpty())
        return {visual, visual};
    int first = visual;
    for (int v = visual - 1; v >= 0; --v) {
        const int l = logicalIndex(v);
        if (isSectionHidden(l))
            continue;
        if (group(l) != g)
            break;
        first = v;
    }
    int last = visual;
    for (int v = visual + 1; v < count(); ++v) {
        const int l = logicalIndex(v);
        if (isSectionHidden(l))
            continue;
        if (group(l) != g)
            break;
        last = v;
    }
    return {first, last};
}

QSize GroupHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    const int line = fontMetrics().height() + 8;
    size.setHeight(hasGroups() ? 2 * line : line);
    return size;
}

void GroupHeader::paintSection(QPainter *painter, const QRect &rect, int logical) const
{
    if (!rect.isValid())
        return;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);

    auto drawCell = [&](const QRect &cell, const QString &text, bool hover) {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = cell;
        opt.section = logical;
        opt.text = text;
        opt.textAlignment = Qt::AlignCenter;
        opt.position = QStyleOptionHeader::Middle;
        opt.orientation = Qt::Horizontal;
        opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
        if (!hover)
            opt.state &= ~QStyle::State_MouseOver;
        style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    };

    QRect lower = rect;
    const QString g = group(logical);
    if (!g.isEmpty()) {
        const int upperHeight = rect.height() / 2;
        const auto [first, last] = groupSpan(logical);
        const int firstLogical = logicalIndex(first);
        const int lastLogical = logicalIndex(last);
        const int left = sectionViewportPosition(firstLogical);
        const int right = sectionViewportPosition(lastLogical) + sectionSize(lastLogical);
        // Every section of the span draws the whole group cell, clipped to
        // itself, so the pieces join into one title.
        drawCell(QRect(left, rect.top(), right - left, upperHeight), g, false);
        lower.setTop(rect.top() + upperHeight);
    }
    drawCell(lower, model() ? model()->headerData(logical, Qt::Horizontal).toString() : QString(), true);

    const SortMark mark = sortMark(logical);
    if (mark != SortMark::None && lower.width() > 12) {
        const int w = 7;
        const int h = 4;
        const int x = lower.right() - w - 3;
        const int y = lower.center().y() - h / 2;
        QPainterPath triangle;
        if (mark == SortMark::Ascending) {
            triangle.moveTo(x, y + h);
            triangle.lineTo(x + w, y + h);
            triangle.lineTo(x + w / 2.0, y);
        } else {
            triangle.moveTo(x, y);
            triangle.lineTo(x + w, y);
            triangle.lineTo(x + w / 2.0, y + h);
        }
        triangle.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(triangle, palette().color(QPalette::ButtonText));
    }
    painter->restore();
}

// ---------------------------------------------------------------- GridFooter

namespace {

// The footer is painted, not built of widgets: for screen readers it is a row
// of cells, one for each visible column that shows something, named by the
// column's titles ("进货 数量") with the footer's text as value and text.
class FooterCellAccessible : public QAccessibleInterface, public QAccessibleTextInterface {
public:
    FooterCellAccessible(GridFooter *footer, int column) : m_footer(footer), m_column(column) {}

    bool isValid() const override { return !m_footer.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_footer ? m_footer->window()->windowHandle() : nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_footer.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        s.invisible = !m_footer || !m_footer->isVisible();
        return s;
    }
    QRect rect() const override
    {
        if (!m_footer)
            return {};
        const QRect cell = m_footer->cellRect(m_column);
        return QRect(m_footer->mapToGlobal(cell.topLeft()), cell.size());
    }
    QString text(QAccessible::Text t) const override
    {
        if (!m_footer)
            return {};
        if (t == QAccessible::Name)
            return m_footer->columnCaption(m_column);
        if (t == QAccessible::Value)
            return m_footer->text(m_column);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this) : nullptr;
    }

    // The value, read-only.
    QString value() const { return text(QAccessible::Value); }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return value().mid(start, end - start); }
    int characterCount() const override { return int(value().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QPointer<GridFooter> m_footer;
    int m_column;
};

class FooterAccessible : public QAccessibleWidget {
public:
    explicit FooterAccessible(GridFooter *footer) : QAccessibleWidget(footer, QAccessible::Row) {}
    ~FooterAccessible() override
    {
        for (const auto &[column, id] : m_cells)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(footer()->shownColumns().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const std::vector<int> shown = footer()->shownColumns();
        if (index < 0 || size_t(index) >= shown.size())
            return nullptr;
        const int column = shown[size_t(index)];
        auto found = m_cells.find(column);
        if (found == m_cells.end())
            found = m_cells.emplace(column, QAccessible::registerAccessibleInterface(
                                                new FooterCellAccessible(footer(), column))).first;
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface *c = child(i); c->rect().contains(x, y))
                return c;
        return nullptr;
    }

private:
    GridFooter *footer() const { return static_cast<GridFooter *>(widget()); }
    // The column's cell keeps its interface while the footer lives, so that a
    // reader holding it sees the value change.
    mutable std::map<int, QAccessible::Id> m_cells;
};

QAccessibleInterface *footerAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("quollin::GridFooter"))
        if (auto *footer = qobject_cast<GridFooter *>(object))
            return new FooterAccessible(footer);
    return nullptr;
}

} // namespace

GridFooter::GridFooter(QTableView *view, QWidget *parent) : QWidget(parent), m_view(view)
{
    static const bool installed = [] {
        QAccessible::installFactory(footerAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

QString GridFooter::columnCaption(int column) const
{
    const QAbstractItemModel *model = m_view->model();
    if (!model)
        return {};
    QStringList parts;
    for (int role : {int(GridModel::GroupRole), int(Qt::DisplayRole)}) {
        QString part = model->headerData(column, Qt::Horizontal, role).toString();
        part.remove(QLatin1Char(' '));
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

std::vector<int> GridFooter::shownColumns() const
{
    std::vector<int> shown;
    const QHeaderView *header = m_view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical) && !text(logical).isEmpty())
            shown.push_back(logical);
    }
    return shown;
}

QRect GridFooter::cellRect(int column) const
{
    const QHeaderView *header = m_view->horizontalHeader();
    const int offset = m_view->viewport()->mapTo(parentWidget(), QPoint()).x() - x();
    return QRect(offset + header->sectionViewportPosition(column), 0, header->sectionSize(column), height());
}

QString GridFooter::text(int column) const
{
    const auto *model = qobject_cast<const GridModel *>(m_view->model());
    if (!model || column < 0 || column >= model->columnCount())
        return {};
    return model->footerText(column);
}

QSize GridFooter::sizeHint() const
{
    return {100, fontMetrics().height() + 8};
}

void GridFooter::paintEvent(QPaintEvent *)
{
    const auto *model = qobject_cast<const GridModel *>(m_view->model());
    if (!model)
        return;
    QPainter painter(this);
    const QHeaderView *header = m_view->horizontalHeader();
    const QColor lineColour = palette().color(QPalette::Mid);
    painter.setPen(lineColour);
    painter.drawLine(0, 0, width(), 0);
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (header->isSectionHidden(logical))
            continue;
        const QRect cell = cellRect(logical);
        if (cell.right() < 0 || cell.left() > width())
            continue;
        painter.setPen(lineColour);
        painter.drawLine(cell.right(), 0, cell.right(), height());
        const QString text = this->text(logical);
        if (text.isEmpty())
            continue;
        const GridColumn &c = model->column(logical);
        Qt::Alignment align = c.footerAlignment;
        if (!align)
            align = c.footer == FooterKind::Sum ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter;
        painter.setPen(palette().color(QPalette::ButtonText));
        const QRect inner = cell.adjusted(3, 1, -4, -1);
        painter.drawText(inner, int(align),
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width()));
    }
}

// ---------------------------------------------------------------- DataGrid

DataGrid::DataGrid(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);

    m_view = new QTableView(this);
    m_view->setFrameShape(QFrame::NoFrame);
    m_header = new GroupHeader(m_view);
    m_view->setHorizontalHeader(m_header);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Uniform rows: the view never measures a row, however many there are.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->hide();
    m_view->viewport()->installEventFilter(this);

    m_footer = new GridFooter(m_view, this);
    box->addWidget(m_view);
    box->addWidget(m_footer);

    connect(m_header, &QHeaderView::sectionClicked, this, &DataGrid::titleClicked);
    connect(m_header, &QHeaderView::sectionResized, this, &DataGrid::onSectionResized);
    connect(m_header, &QHeaderView::sectionMoved, this, &DataGrid::updateFooter);
    connect(m_header, &QHeaderView::geometriesChanged, this, &DataGrid::updateFooter);
    connect(m_view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::updateFooter);
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) { emit rowClicked(i.row()); });
    connect(m_view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &i) { emit rowDoubleClicked(i.row()); });
    applyRowHeight();
}

DataGrid::~DataGrid()
{
    // Closing the children still emits header and scroll signals, which must
    // not reach this half-destroyed object.
    m_header->disconnect(this);
    m_view->disconnect(this);
    m_view->horizontalScrollBar()->disconnect(this);
    for (const auto &connection : m_modelConnections)
        disconnect(connection);
    m_view->viewport()->removeEventFilter(this);
}

void DataGrid::setGridName(const QString &name)
{
    setAccessibleName(name);
    m_view->setAccessibleName(name);
    m_footer->setAccessibleName(name + QStringLiteral("合计"));
}

void DataGrid::setModel(GridModel *model)
{
    for (const auto &connection : m_modelConnections)
        disconnect(connection);
    m_modelConnections.clear();
    m_model = model;
    m_view->setModel(model);
    const size_t count = model ? model->columns().size() : 0;
    m_hiddenWidths.assign(count, 0);
    m_sortIndex.assign(count, 0);
    m_dropDownRows.assign(count, 7);
    m_dropDownWidth.assign(count, 0);
    if (!model) {
        updateFooter();
        return;
    }
    m_modelConnections = {
        connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::updateFooter),
        connect(model, &QAbstractItemModel::dataChanged, this, &DataGrid::updateFooter),
        connect(model, &QAbstractItemModel::layoutChanged, this, &DataGrid::updateFooter),
        connect(model, &QAbstractItemModel::rowsInserted, this, &DataGrid::updateFooter),
        connect(model, &QAbstractItemModel::rowsRemoved, this, &DataGrid::updateFooter),
        connect(model, &QAbstractItemModel::headerDataChanged, this, &DataGrid::updateFooter),
        connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) { emit currentRowChanged(current.isValid() ? current.row() : -1); }),
    };
    m_fitting = true;
    for (size_t c = 0; c < count; ++c) {
        m_header->resizeSection(int(c), std::max(model->columns()[c].width, m_header->minimumSectionSize()));
        m_hiddenWidths[c] = m_header->sectionSize(int(c));
    }
    m_fitting = false;
    m_header->updateGeometry();
    fitColumns();
}

int DataGrid::column(const QString &field) const
{
    return m_model ? m_model->columnOf(field) : -1;
}

void DataGrid::setColumnVisible(const QString &field, bool visible)
{
    const int c = column(field);
    if (c < 0 || visible == !m_header->isSectionHidden(c))
        return;
    if (!visible)
        m_hiddenWidths[size_t(c)] = m_header->sectionSize(c);
    m_header->setSectionHidden(c, !visible);
    fitColumns();
    m_header->viewport()->update();
    updateFooter();
}

bool DataGrid::isColumnVisible(const QString &field) const
{
    const int c = column(field);
    return c >= 0 && !m_header->isSectionHidden(c);
}

int DataGrid::columnWidth(int column) const
{
    if (m_header->isSectionHidden(column))
        return m_hiddenWidths[size_t(column)];
    return m_header->sectionSize(column);
}

void DataGrid::setFitToWidth(bool fit)
{
    m_fit = fit;
    m_view->setHorizontalScrollBarPolicy(fit ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    fitColumns();
}

void DataGrid::fitColumns()
{
    if (!m_fit || !m_model || m_fitting)
        return;
    const int available = m_view->viewport()->width();
    std::vector<int> visible;
    long long total = 0;
    for (int v = 0; v < m_header->count(); ++v) {
        const int logical = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(logical))
            continue;
        visible.push_back(logical);
        total += m_header->sectionSize(logical);
    }
    if (visible.empty() || available <= 0 || total == available)
        return;
    m_fitting = true;
    // Scale by running totals so that rounding never leaves a gap at the end.
    long long running = 0;
    int placed = 0;
    for (int logical : visible) {
        running += total > 0 ? m_header->sectionSize(logical) : 1;
        const long long whole = total > 0 ? total : (long long)visible.size();
        const int end = int(std::llround(double(running) * available / double(whole)));
        m_header->resizeSection(logical, std::max(end - placed, 1));
        placed = end;
    }
    m_fitting = false;
    updateFooter();
}

void DataGrid::fitColumnsToSamples(const std::vector<QStringList> &samples)
{
    fitColumnsBy(&samples);
}

void DataGrid::fitColumnsToContents()
{
    fitColumnsBy(nullptr);
}

void DataGrid::fitColumnsBy(const std::vector<QStringList> *samples)
{
    if (!m_fit || !m_model || m_fitting || m_widthsByHand)
        return;
    const int available = m_view->viewport()->width();
    if (available <= 0)
        return;
    const QFontMetrics cells = m_view->fontMetrics();
    const QFontMetrics titles = m_header->fontMetrics();
    // Room around a cell's text, as the item view draws it.
    const int padding = 2 * (m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 1) + 6;
    // A long list is measured on a spread of its rows; text columns on their
    // distinct texts, longest first.
    constexpr int kMeasured = 4000;
    const int rows = m_model->rowCount();
    const int stride = std::max(1, rows / kMeasured);

    std::vector<int> visible;
    std::vector<long long> need;
    std::vector<bool> isText;
    long long textNeed = 0;
    long long numberNeed = 0;
    for (int v = 0; v < m_header->count(); ++v) {
        const int logical = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(logical))
            continue;
        const bool text = m_model->column(logical).kind == GridKind::Text;
        int width = titles.horizontalAdvance(m_model->column(logical).title) + padding + 8;
        if (samples) {
            if (!text)
                width = std::max(width, cells.horizontalAdvance(m_footer->text(logical)) + padding);
            if (size_t(logical) < samples->size())
                for (const QString &sample : (*samples)[size_t(logical)])
                    width = std::max(width, cells.horizontalAdvance(sample) + padding);
            if (text)
                width = std::min(width, std::max(available / 3, 16));
        } else if (text) {
            QStringList texts = m_model->distinctTexts(logical);
            std::sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
            for (qsizetype i = 0; i < std::min<qsizetype>(texts.size(), 200); ++i)
                width = std::max(width, cells.horizontalAdvance(texts.at(i)) + padding);
            width = std::min(width, std::max(available / 3, 16));
        } else {
            width = std::max(width, cells.horizontalAdvance(m_footer->text(logical)) + padding);
            for (int r = 0; r < rows; r += stride)
                width = std::max(width, cells.horizontalAdvance(m_model->displayText(r, logical)) + padding);
        }
        visible.push_back(logical);
        need.push_back(width);
        isText.push_back(text);
        (text ? textNeed : numberNeed) += width;
    }
    if (visible.empty())
        return;
    // Numbers keep what they need when the texts cannot all have theirs.
    std::vector<long long> share = need;
    if (textNeed + numberNeed > available && numberNeed < available && textNeed > 0) {
        const long long room = available - numberNeed;
        for (size_t i = 0; i < visible.size(); ++i)
            if (isText[i])
                share[i] = need[i] * room / textNeed;
    }
    long long total = 0;
    for (long long w : share)
        total += w;
    m_fitting = true;
    long long running = 0;
    int placed = 0;
    for (size_t i = 0; i < visible.size(); ++i) {
        running += share[i];
        const int end = int(std::llround(double(running) * available / double(std::max(total, 1LL))));
        m_header->resizeSection(visible[i], std::max(end - placed, m_header->minimumSectionSize()));
        placed = end;
    }
    m_fitting = false;
    updateFooter();
}

void DataGrid::onSectionResized(int logical, int, int newSize)
{
    if (m_fitting || !m_fit) {
        updateFooter();
        return;
    }
    m_widthsByHand = true;
    // The operator dragged a border: the columns after the dragged one give
    // or take the difference (or those before it, for the last column).
    const int available = m_view->viewport()->width();
    std::vector<int> after;
    std::vector<int> before;
    for (int v = 0; v < m_header->count(); ++v) {
        const int l = m_header->logicalIndex(v);
        if (l == logical || m_header->isSectionHidden(l))
            continue;
        (m_header->visualIndex(l) > m_header->visualIndex(logical) ? after : before).push_back(l);
    }
    const std::vector<int> &others = after.empty() ? before : after;
    const std::vector<int> &untouched = after.empty() ? after : before;
    if (others.empty()) {
        updateFooter();
        return;
    }
    int fixed = newSize;
    long long share = 0;
    for (int l : untouched)
        fixed += m_header->sectionSize(l);
    for (int l : others)
        share += m_header->sectionSize(l);
    const int minimum = m_header->minimumSectionSize();
    int room = available - fixed;
    m_fitting = true;
    if (room < minimum * int(others.size())) {
        // Too wide: the dragged column stops where the others reach their minimum.
        const int excess = minimum * int(others.size()) - room;
        m_header->resizeSection(logical, std::max(newSize - excess, minimum));
        room = minimum * int(others.size());
    }
    long long running = 0;
    int placed = 0;
    for (int l : others) {
        running += share > 0 ? m_header->sectionSize(l) : 1;
        const long long whole = share > 0 ? share : (long long)others.size();
        const int end = int(std::llround(double(running) * room / double(whole)));
        m_header->resizeSection(l, std::max(end - placed, minimum));
        placed = end;
    }
    m_fitting = false;
    updateFooter();
}

void DataGrid::setSortMark(int column, SortMark mark)
{
    if (column < 0 || size_t(column) >= m_sortIndex.size())
        return;
    m_header->setSortMark(column, mark);
    if (mark == SortMark::None) {
        m_sortIndex[size_t(column)] = 0;
    } else if (m_sortIndex[size_t(column)] == 0) {
        // Marked columns are numbered in the order they were marked.
        m_sortIndex[size_t(column)] = *std::max_element(m_sortIndex.begin(), m_sortIndex.end()) + 1;
    }
}

SortMark DataGrid::sortMark(int column) const
{
    return m_header->sortMark(column);
}

void DataGrid::clearSortMarks()
{
    m_header->clearSortMarks();
    std::fill(m_sortIndex.begin(), m_sortIndex.end(), 0);
}

void DataGrid::setRowHeight(int pixels)
{
    m_rowHeight = std::max(pixels, 0);
    applyRowHeight();
}

void DataGrid::applyRowHeight()
{
    const int lines = std::max(m_rowLines, 1);
    const int height = m_rowHeight > 0 ? m_rowHeight : lines * fontMetrics().height() + 6;
    QHeaderView *rows = m_view->verticalHeader();
    rows->setMinimumSectionSize(std::min(height, rows->minimumSectionSize()));
    rows->setDefaultSectionSize(height);
}

int DataGrid::currentRow() const
{
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return;
    int column = 0;
    while (column < m_model->columnCount() - 1 && m_header->isSectionHidden(column))
        ++column;
    const QModelIndex index = m_model->index(row, column);
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

GridLayoutIni::GridLayout DataGrid::layout() const
{
    GridLayoutIni::GridLayout out;
    out.rowHeight = m_rowHeight;
    out.rowLines = m_rowLines;
    if (!m_model)
        return out;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        GridLayoutIni::ColumnLayout column;
        column.field = m_model->column(c).field;
        column.position = m_header->visualIndex(c);
        column.width = columnWidth(c);
        column.sortMark = int(sortMark(c));
        column.visible = m_header->isSectionHidden(c) ? 0 : 1;
        column.sortIndex = m_sortIndex[size_t(c)];
        column.dropDownRows = m_dropDownRows[size_t(c)];
        column.dropDownWidth = m_dropDownWidth[size_t(c)];
        out.columns.push_back(column);
    }
    return out;
}

void DataGrid::applyLayout(const GridLayoutIni::GridLayout &layout)
{
    if (!m_model)
        return;
    // Widths go in as saved, and only then are scaled to the grid's width.
    m_fitting = true;
    m_widthsByHand = true;
    // Target position, "moved" flag, logical. Where two columns claim one
    // place, the one the layout moves there wins and the other gives way.
    std::vector<std::tuple<int, int, int>> positions;
    for (const GridLayoutIni::ColumnLayout &saved : layout.columns) {
        const int c = column(saved.field);
        if (c < 0)
            continue;
        const bool hide = saved.visible == 0;
        if (hide && !m_header->isSectionHidden(c))
            m_hiddenWidths[size_t(c)] = m_header->sectionSize(c);
        m_header->setSectionHidden(c, hide);
        if (saved.width > 0) {
            const int width = std::max(saved.width, m_header->minimumSectionSize());
            // A hidden section keeps the size for when it is shown again.
            m_header->resizeSection(c, width);
            m_hiddenWidths[size_t(c)] = width;
        }
        if (saved.sortMark >= 0 && saved.sortMark <= 2)
            m_header->setSortMark(c, SortMark(saved.sortMark));
        m_sortIndex[size_t(c)] = saved.sortIndex;
        m_dropDownRows[size_t(c)] = saved.dropDownRows;
        m_dropDownWidth[size_t(c)] = saved.dropDownWidth;
        positions.emplace_back(saved.position, m_header->visualIndex(c) == saved.position ? 0 : 1, c);
    }
    std::stable_sort(positions.begin(), positions.end());
    for (const auto &[position, moved, logical] : positions) {
        const int target = std::clamp(position, 0, m_header->count() - 1);
        m_header->moveSection(m_header->visualIndex(logical), target);
    }
    m_rowHeight = std::max(layout.rowHeight, 0);
    m_rowLines = std::max(layout.rowLines, 0);
    applyRowHeight();
    m_fitting = false;
    fitColumns();
    m_header->viewport()->update();
    updateFooter();
}

bool DataGrid::saveLayout(const QString &iniPath, const QString &section) const
{
    return GridLayoutIni::save(iniPath, section, layout());
}

bool DataGrid::restoreLayout(const QString &iniPath, const QString &section)
{
    GridLayoutIni::GridLayout current = layout();
    if (!GridLayoutIni::restore(iniPath, section, current))
        return false;
    applyLayout(current);
    return true;
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
        updateFooter();
    }
    return QFrame::eventFilter(watched, event);
}

void DataGrid::updateFooter()
{
    m_footer->update();
}

} // namespace quollin
