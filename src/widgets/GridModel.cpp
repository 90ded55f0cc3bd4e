#include "widgets/GridModel.h"

#include "core/Money.h"
#include "core/NumberText.h"

#include <QDate>
#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace quollin {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Empty cells (NaN) are less than every number.
bool numberLess(double x, double y) { return !std::isnan(y) && (std::isnan(x) || x < y); }

// Equal rows keep the order they are in, whichever way the sort goes.
template <class Less> void stableSortRows(std::vector<int> &rows, bool descending, Less less)
{
    if (descending)
        std::stable_sort(rows.begin(), rows.end(), [&less](int a, int b) { return less(b, a); });
    else
        std::stable_sort(rows.begin(), rows.end(), less);
}

double toNumber(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return kNoValue;
    switch (value.typeId()) {
    case QMetaType::QString: {
        const auto parsed = NumberText::parseDecimal(value.toString());
        return parsed ? *parsed : kNoValue;
    }
    case QMetaType::QByteArray: {
        const auto parsed = NumberText::parseDecimal(QString::fromUtf8(value.toByteArray()));
        return parsed ? *parsed : kNoValue;
    }
    default: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? number : kNoValue;
    }
    }
}

QString toText(const QVariant &value, GridKind kind)
{
    if (value.isNull() || !value.isValid())
        return {};
    if (kind == GridKind::Date) {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    }
    return value.toString();
}

Qt::Alignment defaultAlignment(GridKind kind)
{
    switch (kind) {
    case GridKind::Text:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case GridKind::Date:
        return Qt::AlignCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

} // namespace

bool isNumeric(GridKind kind)
{
    return kind == GridKind::Amount || kind == GridKind::Quantity || kind == GridKind::Plain;
}

// ---------------------------------------------------------------- GridRows

GridRows::GridRows(const std::vector<GridColumn> &columns)
    : m_numbers(columns.size()), m_texts(columns.size()), m_cells(columns.size())
{
    m_numeric.reserve(columns.size());
    for (const GridColumn &column : columns) {
        m_numeric.push_back(isNumeric(column.kind));
        m_fields.push_back(column.field);
    }
}

void GridRows::reserve(int rows)
{
    for (size_t c = 0; c < m_numeric.size(); ++c) {
        if (m_numeric[c])
            m_numbers[c].reserve(size_t(rows));
        else
            m_cells[c].reserve(size_t(rows));
    }
    m_ids.reserve(size_t(rows));
}

int GridRows::addRow(qint64 id)
{
    m_ids.push_back(id);
    for (size_t c = 0; c < m_numeric.size(); ++c) {
        if (m_numeric[c])
            m_numbers[c].push_back(kNoValue);
        else
            m_cells[c].push_back(0);
    }
    return m_rows++;
}

void GridRows::appendEmptyNumber(int column)
{
    m_numbers[size_t(column)].push_back(kNoValue);
}

int GridRows::endRow(qint64 id)
{
    m_ids.push_back(id);
#ifndef QT_NO_DEBUG
    for (size_t c = 0; c < m_numeric.size(); ++c)
        Q_ASSERT((m_numeric[c] ? m_numbers[c].size() : m_cells[c].size()) == size_t(m_rows) + 1);
#endif
    return m_rows++;
}

void GridRows::finishLoad()
{
    for (TextPool &texts : m_texts)
        texts.finish();
}

QStringList GridRows::distinctTexts(int column) const
{
    const std::vector<QString> &texts = m_texts[size_t(column)].texts();
    std::vector<char> used(texts.size(), 0);
    for (quint32 cell : m_cells[size_t(column)])
        used[cell] = 1;
    return TextCollation::distinct(texts, used);
}

void GridRows::set(int row, int column, const QVariant &value)
{
    if (m_numeric[size_t(column)])
        m_numbers[size_t(column)][size_t(row)] = toNumber(value);
    else
        // The kind only matters for dates, which come as text or as QDate.
        m_cells[size_t(column)][size_t(row)] = m_texts[size_t(column)].add(toText(value, GridKind::Date));
}

void GridRows::setNumber(int row, int column, double value)
{
    if (m_numeric[size_t(column)])
        m_numbers[size_t(column)][size_t(row)] = value;
    else
        m_cells[size_t(column)][size_t(row)] = m_texts[size_t(column)].add(NumberText::general(value));
}

void GridRows::setText(int row, int column, const QString &value)
{
    if (m_numeric[size_t(column)])
        m_numbers[size_t(column)][size_t(row)] = toNumber(value);
    else
        m_cells[size_t(column)][size_t(row)] = m_texts[size_t(column)].add(value);
}

void GridRows::removeRow(int row)
{
    for (size_t c = 0; c < m_numeric.size(); ++c) {
        if (m_numeric[c])
            m_numbers[c].erase(m_numbers[c].begin() + row);
        else
            m_cells[c].erase(m_cells[c].begin() + row);
    }
    m_ids.erase(m_ids.begin() + row);
    --m_rows;
}

bool GridRows::isNull(int row, int column) const
{
    if (m_numeric[size_t(column)])
        return std::isnan(m_numbers[size_t(column)][size_t(row)]);
    return textAt(row, column).isNull();
}

double GridRows::number(int row, int column) const
{
    if (m_numeric[size_t(column)]) {
        const double value = m_numbers[size_t(column)][size_t(row)];
        return std::isnan(value) ? 0.0 : value;
    }
    const auto parsed = NumberText::parseDecimal(textAt(row, column));
    return parsed ? *parsed : 0.0;
}

QString GridRows::text(int row, int column) const
{
    if (m_numeric[size_t(column)]) {
        const double value = m_numbers[size_t(column)][size_t(row)];
        return std::isnan(value) ? QString() : NumberText::general(value);
    }
    return textAt(row, column);
}

QVariant GridRows::value(int row, int column) const
{
    if (isNull(row, column))
        return {};
    if (m_numeric[size_t(column)])
        return m_numbers[size_t(column)][size_t(row)];
    return textAt(row, column);
}

// ---------------------------------------------------------------- GridModel

GridModel::GridModel(std::vector<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_rows(m_columns),
      m_sums(m_columns.size(), 0.0), m_textOrder(&GridModel::collatedOrder)
{
}

int GridModel::columnOf(const QString &field) const
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].field == field)
            return int(c);
    return -1;
}

void GridModel::setRows(GridRows rows)
{
    Q_ASSERT(rows.columnCount() == int(m_columns.size()));
    beginResetModel();
    m_source = nullptr;
    m_sourceRows = {};
    m_rows = std::move(rows);
    m_rows.finishLoad();
    m_order.resize(size_t(m_rows.rowCount()));
    std::iota(m_order.begin(), m_order.end(), 0);
    recomputeSums();
    endResetModel();
}

void GridModel::clear()
{
    setRows(emptyRows());
}

void GridModel::showSource(const GridSource *source, std::vector<int> rows)
{
    beginResetModel();
    m_rows = emptyRows();
    m_source = source;
    m_order = rows;
    m_sourceRows = std::move(rows);
    recomputeSums();
    endResetModel();
}

void GridModel::sourceRowChanged(int row)
{
    recomputeSums();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void GridModel::sourceSumsCounted()
{
    recomputeSums();
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void GridModel::settle()
{
    if (!m_source || !m_sumsPending)
        return;
    m_source->settle();
    sourceSumsCounted();
}

double GridModel::storedNumber(int stored, int column) const
{
    if (!m_source)
        return m_rows.number(stored, column);
    const double value = m_source->number(stored, column);
    return std::isnan(value) ? 0.0 : value;
}

QStringList GridModel::distinctTexts(int column) const
{
    if (!m_source)
        return m_rows.distinctTexts(column);
    std::vector<char> used(m_source->texts(column).size(), 0);
    for (int stored : m_order)
        used[m_source->textIndex(stored, column)] = 1;
    return TextCollation::distinct(m_source->texts(column), used);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return displayText(row, column);
    case Qt::TextAlignmentRole: {
        const GridColumn &c = m_columns[size_t(column)];
        return int(c.alignment ? c.alignment : defaultAlignment(c.kind));
    }
    case Qt::ForegroundRole:
        if (isHighlighted(row))
            return m_highlightColour;
        return {};
    case ValueRole:
        return value(row, column);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(m_columns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn &c = m_columns[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
        return c.title;
    case GroupRole:
        return c.group;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

bool GridModel::isNull(int row, int column) const
{
    return storedIsNull(m_order[size_t(row)], column);
}

double GridModel::number(int row, int column) const
{
    return storedNumber(m_order[size_t(row)], column);
}

QVariant GridModel::value(int row, int column) const
{
    const int stored = m_order[size_t(row)];
    if (!m_source)
        return m_rows.value(stored, column);
    if (m_source->isNull(stored, column))
        return {};
    if (isNumeric(m_columns[size_t(column)].kind))
        return m_source->number(stored, column);
    return m_source->text(stored, column);
}

QVariant GridModel::value(int row, const QString &field) const
{
    const int column = columnOf(field);
    return column < 0 ? QVariant() : value(row, column);
}

QString GridModel::displayText(int row, int column) const
{
    const int stored = m_order[size_t(row)];
    if (storedIsNull(stored, column))
        return {};
    switch (m_columns[size_t(column)].kind) {
    case GridKind::Amount:
        return NumberText::amount(storedNumber(stored, column));
    case GridKind::Quantity:
        return NumberText::quantity(storedNumber(stored, column));
    case GridKind::Plain:
        return NumberText::general(storedNumber(stored, column));
    default:
        return m_source ? m_source->text(stored, column) : m_rows.textAt(stored, column);
    }
}

void GridModel::setValue(int row, int column, const QVariant &value)
{
    if (m_source) { // the source holds the cells
        sourceRowChanged(row);
        return;
    }
    m_rows.set(m_order[size_t(row)], column, value);
    recomputeSums();
    emit dataChanged(index(row, column), index(row, column));
    // The highlight may depend on this cell.
    if (m_highlight)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::ForegroundRole});
}

void GridModel::setRowValues(int row, const QVariantList &values)
{
    if (m_source) {
        sourceRowChanged(row);
        return;
    }
    const int stored = m_order[size_t(row)];
    for (int column = 0; column < columnCount() && column < values.size(); ++column)
        m_rows.set(stored, column, values.at(column));
    recomputeSums();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void GridModel::appendRow(const QVariantList &values, qint64 id)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    const int stored = m_rows.addRow(id);
    for (int column = 0; column < columnCount() && column < values.size(); ++column)
        m_rows.set(stored, column, values.at(column));
    m_order.push_back(stored);
    recomputeSums();
    endInsertRows();
}

void GridModel::setFooterText(int column, const QString &text)
{
    m_columns[size_t(column)].footerText = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::appendRows(const GridRows &rows)
{
    if (rows.rowCount() == 0)
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + rows.rowCount() - 1);
    for (int r = 0; r < rows.rowCount(); ++r) {
        const int stored = m_rows.addRow(rows.id(r));
        for (int c = 0; c < rows.columnCount(); ++c)
            m_rows.set(stored, c, rows.value(r, c));
        m_order.push_back(stored);
    }
    recomputeSums();
    endInsertRows();
}

void GridModel::removeDisplayRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const int stored = m_order[size_t(row)];
    beginRemoveRows({}, row, row);
    if (m_source) {
        // The source keeps its rows; only the list shown loses one.
        m_order.erase(m_order.begin() + row);
        m_sourceRows.erase(std::find(m_sourceRows.begin(), m_sourceRows.end(), stored));
        recomputeSums();
        endRemoveRows();
        return;
    }
    m_rows.removeRow(stored);
    m_order.erase(m_order.begin() + row);
    // The stored rows after it moved up by one.
    for (int &r : m_order)
        if (r > stored)
            --r;
    recomputeSums();
    endRemoveRows();
}

int GridModel::displayRowOf(int loadIndex) const
{
    const auto at = std::find(m_order.begin(), m_order.end(), loadIndex);
    return at == m_order.end() ? -1 : int(at - m_order.begin());
}

int GridModel::displayRowOfId(qint64 id) const
{
    for (size_t row = 0; row < m_order.size(); ++row)
        if (storedId(m_order[row]) == id)
            return int(row);
    return -1;
}

double GridModel::sum(int column)
{
    settle();
    return m_sums[size_t(column)];
}

QString GridModel::footerText(int column) const
{
    const GridColumn &c = m_columns[size_t(column)];
    switch (c.footer) {
    case FooterKind::None:
        return {};
    case FooterKind::Text:
        return c.footerText;
    case FooterKind::Sum:
        break;
    }
    if (m_sumsPending)
        return {};
    const double total = m_sums[size_t(column)];
    switch (c.kind) {
    case GridKind::Amount:
        return NumberText::amount(total);
    case GridKind::Quantity:
        return NumberText::quantity(total);
    default:
        return NumberText::general(total);
    }
}

void GridModel::recomputeSums()
{
    m_sumsPending = false;
    if (m_source && m_source->countsSums()) {
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const std::optional<double> counted = m_source->countedSum(int(c));
            m_sumsPending = m_sumsPending || (!counted && m_columns[c].footer == FooterKind::Sum);
            m_sums[c] = counted.value_or(0.0);
        }
        return;
    }
    if (m_source) {
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const int column = int(c);
            if (!isNumeric(m_columns[c].kind)) {
                m_sums[c] = 0.0;
                continue;
            }
            // Amounts in fen, as below.
            Money fen;
            double total = 0.0;
            const bool amount = m_columns[c].kind == GridKind::Amount;
            for (int stored : m_order) {
                const double value = m_source->number(stored, column);
                if (std::isnan(value))
                    continue;
                if (amount)
                    fen += Money::fromValue(value);
                else
                    total += value;
            }
            m_sums[c] = amount ? fen.value() : total;
        }
        return;
    }
    for (size_t c = 0; c < m_columns.size(); ++c) {
        double total = 0.0;
        if (m_columns[c].kind == GridKind::Amount) {
            // Amounts add up in fen, each as its cell shows it: a sum of
            // doubles would carry binary residue into the footer and into
            // the totals that are compared and printed from it.
            Money fen;
            for (double value : m_rows.m_numbers[c])
                if (!std::isnan(value))
                    fen += Money::fromValue(value);
            total = fen.value();
        } else if (m_rows.m_numeric[c]) {
            for (double value : m_rows.m_numbers[c])
                if (!std::isnan(value))
                    total += value;
        }
        m_sums[c] = total;
    }
}

void GridModel::setRowHighlight(RowPredicate predicate, QColor colour)
{
    m_highlight = std::move(predicate);
    m_highlightColour = colour;
    refreshHighlight();
}

bool GridModel::isHighlighted(int row) const
{
    return m_highlight && m_highlight(*this, row);
}

void GridModel::refreshHighlight()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

void GridModel::sortBy(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    // Always from load order, so that the result depends only on the column
    // and the direction, never on earlier sorts.
    std::vector<int> rows(m_order.size());
    std::iota(rows.begin(), rows.end(), 0);
    const bool descending = order == Qt::DescendingOrder;
    const size_t c = size_t(column);
    if (m_source) {
        sortSource(column, descending);
        return;
    }
    if (m_rows.m_numeric[c]) {
        const std::vector<double> &values = m_rows.m_numbers[c];
        stableSortRows(rows, descending, [&values](int a, int b) { return numberLess(values[size_t(a)], values[size_t(b)]); });
    } else {
        const std::vector<QString> &texts = m_rows.m_texts[c].texts();
        const std::vector<quint32> &cells = m_rows.m_cells[c];
        const std::vector<quint32> rank = rankTexts(texts);
        stableSortRows(rows, descending, [&rank, &cells](int a, int b) { return rank[cells[size_t(a)]] < rank[cells[size_t(b)]]; });
    }
    reorder(std::move(rows));
}

std::vector<quint32> GridModel::rankTexts(const std::vector<QString> &texts) const
{
    // The column's distinct texts are ranked once; rows then sort by rank, an
    // integer compare instead of a text compare each time.
    const auto *order = m_textOrder.target<int (*)(const QString &, const QString &)>();
    if (order && *order == &GridModel::collatedOrder)
        return TextCollation::places(texts); // each text's sort key made once
    std::vector<quint32> byText(texts.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) { return m_textOrder(texts[a], texts[b]) < 0; });
    std::vector<quint32> rank(texts.size(), 0);
    for (size_t i = 1; i < byText.size(); ++i)
        rank[byText[i]] = rank[byText[i - 1]] + (m_textOrder(texts[byText[i - 1]], texts[byText[i]]) < 0 ? 1 : 0);
    return rank;
}

void GridModel::sortSource(int column, bool descending)
{
    // As below, over the source's rows in the order they were shown.
    std::vector<int> rows = m_sourceRows;
    const GridSource &source = *m_source;
    source.prepareColumn(column);
    if (isNumeric(m_columns[size_t(column)].kind)) {
        stableSortRows(rows, descending,
                       [&source, column](int a, int b) { return numberLess(source.number(a, column), source.number(b, column)); });
    } else {
        const std::vector<QString> &texts = source.texts(column);
        const std::vector<quint32> rank = rankTexts(texts);
        stableSortRows(rows, descending,
                       [&](int a, int b) { return rank[source.textIndex(a, column)] < rank[source.textIndex(b, column)]; });
    }
    reorder(std::move(rows));
}

void GridModel::sort(int column, Qt::SortOrder order)
{
    sortBy(column, order);
}

void GridModel::restoreLoadOrder()
{
    if (m_source) {
        reorder(m_sourceRows);
        return;
    }
    std::vector<int> rows(m_order.size());
    std::iota(rows.begin(), rows.end(), 0);
    reorder(std::move(rows));
}

void GridModel::reorder(std::vector<int> order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The current row and the selection follow their rows to the new places.
    // Stored rows of a source need not be 0..n-1.
    const int stored = order.empty() ? 0 : *std::max_element(order.begin(), order.end()) + 1;
    std::vector<int> displayOf(size_t(std::max(stored, int(order.size()))));
    for (size_t r = 0; r < order.size(); ++r)
        displayOf[size_t(order[r])] = int(r);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(displayOf[size_t(m_order[size_t(i.row())])], i.column()));
    m_order = std::move(order);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace quollin
