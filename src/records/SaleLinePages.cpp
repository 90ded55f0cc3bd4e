#include "records/SaleLinePages.h"

#include "core/Database.h"
#include "core/ShopContext.h"
#include "records/SaleLineStore.h"
#include "records/SaleLineSums.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quollin {

const std::vector<QString> SaleLinePages::s_noTexts{QString()};

SaleLinePages::SaleLinePages(ShopContext &shop, SaleLineStore &store, std::vector<GridColumn> columns, QObject *parent)
    : QObject(parent), m_shop(shop), m_store(store), m_columns(std::move(columns)), m_counted(m_columns.size())
{
}

SaleLinePages::~SaleLinePages() = default;

void SaleLinePages::setLines(std::vector<qint64> ids)
{
    m_ids = std::move(ids);
    m_pages.clear();
    m_recent.clear();
    m_whole.clear();
    countSums();
}

void SaleLinePages::clear()
{
    m_ids = {};
    m_pages.clear();
    m_recent.clear();
    m_whole.clear();
    std::fill(m_counted.begin(), m_counted.end(), std::optional<double>());
    if (m_sums && !m_sums->done())
        m_sums->count({}, {});
}

void SaleLinePages::close()
{
    clear();
    m_sums.reset();
}

void SaleLinePages::lineChanged(qint64 id)
{
    const auto at = std::find(m_ids.begin(), m_ids.end(), id);
    if (at == m_ids.end())
        return;
    const int pageNo = int(at - m_ids.begin()) / kPageRows;
    m_pages.erase(pageNo);
    m_recent.remove(pageNo);
    m_whole.clear();
    countSums();
}

std::vector<qint64> SaleLinePages::sortedIds() const
{
    // Searches list their lines in ID order already.
    std::vector<qint64> sorted = m_ids;
    if (!std::is_sorted(sorted.begin(), sorted.end()))
        std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void SaleLinePages::countSums()
{
    std::fill(m_counted.begin(), m_counted.end(), std::optional<double>());
    const QStringList hidden = m_store.hiddenFields();
    m_sumFields.clear();
    m_sumColumns.clear();
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const GridColumn &column = m_columns[c];
        // A field the operator may not see is never read, so its sum is 0.
        if (column.footer != FooterKind::Sum || hidden.contains(column.field)) {
            m_counted[c] = 0.0;
            continue;
        }
        m_sumFields.push_back({column.field, column.kind == GridKind::Amount});
        m_sumColumns.push_back(c);
    }
    if (!m_sums) {
        m_sums = std::make_unique<SaleLineSums>(m_shop.databasePath());
        connect(m_sums.get(), &SaleLineSums::counted, this, [this] {
            takeSums();
            emit sumsCounted();
        });
    }
    m_sums->count(sortedIds(), m_sumFields);
}

void SaleLinePages::takeSums()
{
    if (!m_sums || !m_sums->done())
        return;
    std::optional<std::vector<double>> sums = m_sums->wait();
    // Its connection failed: counted here instead, on the shop's own.
    if (!sums)
        sums = countLineSums(m_shop.db(), sortedIds(), m_sumFields);
    for (size_t i = 0; i < m_sumColumns.size() && i < sums->size(); ++i)
        m_counted[m_sumColumns[i]] = (*sums)[i];
}

std::optional<double> SaleLinePages::countedSum(int column) const { return m_counted[size_t(column)]; }

void SaleLinePages::settle() const
{
    auto *self = const_cast<SaleLinePages *>(this);
    if (!self->m_sums)
        return;
    self->m_sums->wait();
    self->takeSums();
}

const SaleLinePages::Page &SaleLinePages::page(int row) const
{
    const int pageNo = row / kPageRows;
    if (const auto held = m_pages.find(pageNo); held != m_pages.end()) {
        if (m_recent.front() != pageNo) {
            m_recent.remove(pageNo);
            m_recent.push_front(pageNo);
        }
        return held->second;
    }
    // The page's lines by ID, then each put in its place in the page.
    const size_t first = size_t(pageNo) * kPageRows;
    const size_t n = std::min(size_t(kPageRows), m_ids.size() - first);
    std::vector<qint64> ids(m_ids.begin() + qsizetype(first), m_ids.begin() + qsizetype(first + n));
    std::vector<qint64> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    GridRows rows(m_columns);
    try {
        m_store.fillLines(sorted, rows);
    } catch (const DbError &) {
        // A row that cannot be read shows empty; the next repaint asks again.
        rows = GridRows(m_columns);
    }
    std::unordered_map<qint64, int> rowOf;
    for (int r = 0; r < rows.rowCount(); ++r)
        rowOf.emplace(rows.id(r), r);
    Page made;
    made.numbers.resize(m_columns.size());
    made.texts.resize(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c) {
        const bool numeric = rows.isNumericColumn(int(c));
        (numeric ? made.numbers[c].resize(n, std::nan("")) : made.texts[c].resize(n));
        for (size_t i = 0; i < n; ++i) {
            const auto r = rowOf.find(ids[i]);
            if (r == rowOf.end() || rows.isNull(r->second, int(c)))
                continue; // a line deleted since: an empty row
            if (numeric)
                made.numbers[c][i] = rows.number(r->second, int(c));
            else
                made.texts[c][i] = rows.text(r->second, int(c));
        }
    }
    if (m_recent.size() >= kPagesKept) {
        m_pages.erase(m_recent.back());
        m_recent.pop_back();
    }
    m_recent.push_front(pageNo);
    return m_pages.emplace(pageNo, std::move(made)).first->second;
}

bool SaleLinePages::isNull(int row, int column) const
{
    const Page &p = page(row);
    const size_t i = size_t(row % kPageRows);
    if (!p.numbers[size_t(column)].empty())
        return std::isnan(p.numbers[size_t(column)][i]);
    return p.texts[size_t(column)][i].isNull();
}

double SaleLinePages::number(int row, int column) const
{
    if (const auto whole = m_whole.find(column); whole != m_whole.end() && !whole->second.numbers.empty())
        return whole->second.numbers[size_t(row)];
    const std::vector<double> &numbers = page(row).numbers[size_t(column)];
    return numbers.empty() ? std::nan("") : numbers[size_t(row % kPageRows)];
}

const QString &SaleLinePages::text(int row, int column) const
{
    return page(row).texts[size_t(column)][size_t(row % kPageRows)];
}

const std::vector<QString> &SaleLinePages::texts(int column) const
{
    const auto whole = m_whole.find(column);
    return whole == m_whole.end() || whole->second.cells.empty() ? s_noTexts : whole->second.pool.texts();
}

quint32 SaleLinePages::textIndex(int row, int column) const
{
    const auto whole = m_whole.find(column);
    return whole == m_whole.end() || whole->second.cells.empty() ? 0 : whole->second.cells[size_t(row)];
}

void SaleLinePages::prepareColumn(int column) const
{
    if (m_whole.count(column) || m_ids.empty())
        return;
    // One column of every line, read by ID and put in the order shown.
    std::vector<std::pair<qint64, int>> byId(m_ids.size());
    for (size_t i = 0; i < m_ids.size(); ++i)
        byId[i] = {m_ids[i], int(i)};
    std::sort(byId.begin(), byId.end());
    const GridColumn &c = m_columns[size_t(column)];
    const bool numeric = isNumeric(c.kind);
    WholeColumn whole;
    if (numeric)
        whole.numbers.assign(m_ids.size(), std::nan(""));
    else
        whole.cells.assign(m_ids.size(), 0);
    if (!m_store.hiddenFields().contains(c.field)) {
        try {
            m_store.readColumn(c.field, byId.front().first, byId.back().first, [&](qint64 id, const Statement &s) {
                const auto at = std::lower_bound(byId.begin(), byId.end(), std::make_pair(id, std::numeric_limits<int>::min()));
                if (at == byId.end() || at->first != id)
                    return;
                if (numeric) {
                    if (!s.isNull(1))
                        whole.numbers[size_t(at->second)] = s.real(1);
                } else {
                    whole.cells[size_t(at->second)] = whole.pool.add(s.utf8(1));
                }
            });
        } catch (const DbError &) {
            // Sorted as far as read; the rest sorts as empty.
        }
    }
    whole.pool.finish();
    m_whole.emplace(column, std::move(whole));
}

} // namespace quollin
