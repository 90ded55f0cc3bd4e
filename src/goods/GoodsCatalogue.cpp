#include "goods/GoodsCatalogue.h"

#include "core/Columns.h"
#include "core/Database.h"
#include "core/Schema.h"
#include "core/ShopContext.h"
#include "core/TextCollation.h"
#include "core/DateText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace quollin {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr quint8 kQuantityText = 1;
constexpr quint8 kStockText = 2;

const char *const kColumns[GoodsCatalogue::FieldCount] = {
    GoodsColumn::Name,          GoodsColumn::Specification,  GoodsColumn::Code,
    GoodsColumn::Category,      GoodsColumn::NameInitials,   GoodsColumn::SpecInitials,
    GoodsColumn::Supplier,      GoodsColumn::Remarks,        GoodsColumn::StockInDate,
    GoodsColumn::PurchasePrice, GoodsColumn::Quantity,       GoodsColumn::PurchaseAmount,
    GoodsColumn::SalePrice,     GoodsColumn::SoldQuantity,   GoodsColumn::SalesAmount,
    GoodsColumn::StockQuantity, GoodsColumn::StockValue,
};

// The engine's LIKE folds the letters A-Z only; every other character,
// full-width letters included, matches itself alone.
inline char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

QString foldedAscii(QString text)
{
    for (QChar &c : text)
        c = QChar(foldAscii(c.unicode()));
    return text;
}

} // namespace

const char *GoodsCatalogue::columnOf(int field) { return kColumns[field]; }

int GoodsCatalogue::fieldOf(const QString &column)
{
    for (int f = 0; f < FieldCount; ++f)
        if (column == QLatin1String(kColumns[f]))
            return f;
    return -1;
}

GoodsCatalogue::GoodsCatalogue(ShopContext &shop) : m_shop(shop) {}

QString GoodsCatalogue::selectSql() const
{
    QStringList columns{Schema::quoted(QLatin1String(GoodsColumn::Id))};
    for (const char *column : kColumns)
        columns << Schema::quoted(QLatin1String(column));
    return QStringLiteral("SELECT ") + columns.join(QLatin1Char(',')) + QStringLiteral(" FROM data");
}

void GoodsCatalogue::clearRows()
{
    for (auto &pool : m_pools)
        pool = TextPool();
    for (auto &cells : m_cells)
        cells = {};
    for (auto &numbers : m_numbers)
        numbers = {};
    m_textNumbers = {};
    m_ids = {};
    m_live = {};
    m_liveCount = 0;
    m_lastId = 0;
    m_loaded = false;
    m_dropDowns.reset();
}

void GoodsCatalogue::beginLoad(const QStringList &hiddenFields)
{
    m_hidden = hiddenFields;
    m_dataVersion = m_shop.db().dataVersion();
    for (int f = 0; f < FieldCount; ++f)
        m_readable[size_t(f)] = !hiddenFields.contains(QLatin1String(kColumns[f]));
    clearRows();
}

bool GoodsCatalogue::writtenElsewhere() { return m_shop.db().dataVersion() != m_dataVersion; }

bool GoodsCatalogue::loadSlice(int rows)
{
    if (m_loaded)
        return true;
    // Keyset pages: each slice starts where the last ended, through the
    // primary key, however large the table.
    Statement s = m_shop.db().prepare(selectSql() + QStringLiteral(" WHERE \"ID\">:after ORDER BY \"ID\" LIMIT :rows"));
    s.bind(":after", m_lastId);
    s.bind(":rows", rows);
    int read = 0;
    while (s.next()) {
        readRow(s, -1);
        ++read;
    }
    if (read < rows) {
        m_loaded = true;
        for (TextPool &pool : m_pools)
            pool.finish();
    }
    return m_loaded;
}

void GoodsCatalogue::load(const QStringList &hiddenFields)
{
    beginLoad(hiddenFields);
    while (!loadSlice(20000)) {
    }
}

void GoodsCatalogue::reloadAll()
{
    load(m_hidden);
}

bool GoodsCatalogue::readRow(const Statement &s, int slot)
{
    const qint64 id = s.integer(0);
    bool textsChanged = false;
    if (slot < 0) {
        slot = int(m_ids.size());
        m_ids.push_back(id);
        m_live.push_back(1);
        m_textNumbers.push_back(0);
        for (auto &cells : m_cells)
            cells.push_back(0);
        for (auto &numbers : m_numbers)
            numbers.push_back(kNoValue);
        ++m_liveCount;
        m_lastId = std::max(m_lastId, id);
        textsChanged = true;
    } else if (!m_live[size_t(slot)]) {
        m_live[size_t(slot)] = 1;
        ++m_liveCount;
        textsChanged = true;
    }
    quint8 textNumbers = 0;
    for (int f = 0; f < FieldCount; ++f) {
        const int at = f + 1;
        if (!isNumeric(f)) {
            quint32 &cell = m_cells[size_t(f)][size_t(slot)];
            const QByteArrayView utf8 = m_readable[size_t(f)] ? s.utf8(at) : QByteArrayView();
            if (m_loaded) {
                // A row read again: its text keeps its index when unchanged.
                const QString now = !utf8.data() ? QString()
                                    : utf8.isEmpty() ? QStringLiteral("")
                                                     : QString::fromUtf8(utf8);
                const QString &was = m_pools[size_t(f)].text(cell);
                if (now.isNull() == was.isNull() && now == was)
                    continue;
                cell = m_pools[size_t(f)].add(now);
                textsChanged = true;
            } else {
                cell = m_pools[size_t(f)].add(utf8);
            }
            continue;
        }
        double value = kNoValue;
        if (m_readable[size_t(f)] && !s.isNull(at)) {
            value = s.real(at);
            if (!s.isNumber(at))
                textNumbers |= f == Quantity ? kQuantityText : (f == StockQuantity ? kStockText : 0);
        }
        m_numbers[size_t(f - kTextFields)][size_t(slot)] = value;
    }
    m_textNumbers[size_t(slot)] = textNumbers;
    if (textsChanged)
        m_dropDowns.reset();
    return textsChanged;
}

GoodsCatalogue::Applied GoodsCatalogue::apply(const RowChanges &changes)
{
    Applied applied;
    if (changes.isEmpty())
        return applied;
    auto reload = [&] {
        // While a first read is under way it simply starts over.
        if (m_loaded)
            reloadAll();
        else
            beginLoad(m_hidden);
        applied.changed.clear();
        applied.reloaded = true;
        return applied;
    };
    if (changes.isAll())
        return reload();
    for (qint64 id : changes.removedRows()) {
        const int slot = slotOf(id);
        if (slot < 0)
            continue;
        m_live[size_t(slot)] = 0;
        --m_liveCount;
        m_dropDowns.reset();
    }
    QList<qint64> wanted = changes.changedRows() + changes.addedRows();
    // During a first read, rows beyond the slices read so far come with
    // the slices still to come.
    if (!m_loaded)
        wanted.removeIf([this](qint64 id) { return id > m_lastId; });
    if (wanted.isEmpty())
        return applied;
    // Slots stay in ID order: a row that would not go at the end (an ID
    // below the last one held that is not held) is read with all the rest.
    std::sort(wanted.begin(), wanted.end());
    for (qint64 id : wanted)
        if (slotOf(id) < 0 && id <= m_lastId && !std::binary_search(m_ids.begin(), m_ids.end(), id))
            return reload();
    Statement s = m_shop.db().prepare(selectSql() + QStringLiteral(" WHERE \"ID\"=:id"));
    for (qint64 id : wanted) {
        s.reset();
        s.bind(":id", id);
        const auto held = std::lower_bound(m_ids.begin(), m_ids.end(), id);
        const int slot = held != m_ids.end() && *held == id ? int(held - m_ids.begin()) : -1;
        if (s.next()) {
            readRow(s, slot);
            applied.changed.push_back(slot >= 0 ? slot : slotCount() - 1);
        } else if (slot >= 0 && m_live[size_t(slot)]) {
            // Gone meanwhile: as removed.
            m_live[size_t(slot)] = 0;
            --m_liveCount;
            m_dropDowns.reset();
            applied.changed.push_back(slot);
        }
    }
    return applied;
}

int GoodsCatalogue::slotOf(qint64 id) const
{
    const auto at = std::lower_bound(m_ids.begin(), m_ids.end(), id);
    if (at == m_ids.end() || *at != id)
        return -1;
    const int slot = int(at - m_ids.begin());
    return m_live[size_t(slot)] ? slot : -1;
}

bool GoodsCatalogue::isNull(int slot, int field) const
{
    if (isNumeric(field))
        return std::isnan(number(slot, field));
    return text(slot, field).isNull();
}

bool GoodsCatalogue::baseTakes(int slot, ZeroStock zeroStock) const
{
    // A text in a number column compares above every number; NULL never
    // passes.
    if (zeroStock == ZeroStock::Hidden) {
        const double stock = number(slot, StockQuantity);
        return (m_textNumbers[size_t(slot)] & kStockText) || (!std::isnan(stock) && stock != 0);
    }
    const double quantity = number(slot, Quantity);
    return (m_textNumbers[size_t(slot)] & kQuantityText) || (!std::isnan(quantity) && quantity > 0);
}

bool GoodsCatalogue::listTakes(int slot, ZeroStock zeroStock) const
{
    if (!isLive(slot))
        return false;
    if (zeroStock == ZeroStock::Shown)
        return true;
    return baseTakes(slot, zeroStock);
}

std::vector<int> GoodsCatalogue::listRows(ZeroStock zeroStock) const
{
    // Rank the distinct dates once (empty first, then as the engine orders
    // text), then place the rows by rank; within a rank they stay in ID order.
    const std::vector<QString> &dates = texts(StockInDate);
    std::vector<quint32> byText(dates.size());
    std::iota(byText.begin(), byText.end(), 0u);
    std::sort(byText.begin(), byText.end(), [&dates](quint32 a, quint32 b) {
        if (dates[a].isNull() || dates[b].isNull())
            return dates[a].isNull() && !dates[b].isNull();
        return TextCollation::compareCodePoints(dates[a], dates[b]) < 0;
    });
    std::vector<quint32> rank(dates.size(), 0);
    for (size_t i = 1; i < byText.size(); ++i) {
        const QString &before = dates[byText[i - 1]];
        const QString &now = dates[byText[i]];
        const bool same = before.isNull() == now.isNull() && TextCollation::compareCodePoints(before, now) == 0;
        rank[byText[i]] = rank[byText[i - 1]] + (same ? 0 : 1);
    }
    std::vector<int> counts(dates.size() + 1, 0);
    const std::vector<quint32> &cells = m_cells[StockInDate];
    int taken = 0;
    for (int slot = 0; slot < slotCount(); ++slot)
        if (listTakes(slot, zeroStock)) {
            ++counts[rank[cells[size_t(slot)]] + 1];
            ++taken;
        }
    std::partial_sum(counts.begin(), counts.end(), counts.begin());
    std::vector<int> rows(size_t(taken), 0);
    for (int slot = 0; slot < slotCount(); ++slot)
        if (listTakes(slot, zeroStock))
            rows[size_t(counts[rank[cells[size_t(slot)]]]++)] = slot;
    return rows;
}

namespace {

bool contains(const QString &haystack, const QString &foldedNeedle)
{
    const qsizetype n = foldedNeedle.size();
    const qsizetype h = haystack.size();
    const char16_t *hay = reinterpret_cast<const char16_t *>(haystack.constData());
    const char16_t *needle = reinterpret_cast<const char16_t *>(foldedNeedle.constData());
    for (qsizetype i = 0; i + n <= h; ++i) {
        qsizetype j = 0;
        while (j < n && foldAscii(hay[i + j]) == needle[j])
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

// The search area's text boxes, each with the held field it is matched in.
std::array<std::pair<int, const QString *>, 6> searchBoxes(const GoodsSearch &search)
{
    return {{
        {GoodsCatalogue::Category, &search.category}, {GoodsCatalogue::NameInitials, &search.nameInitials},
        {GoodsCatalogue::SpecInitials, &search.specInitials}, {GoodsCatalogue::Code, &search.code},
        {GoodsCatalogue::Remarks, &search.remarks}, {GoodsCatalogue::Supplier, &search.supplier},
    }};
}

} // namespace

std::vector<int> GoodsCatalogue::searchRows(ZeroStock zeroStock, const GoodsSearch &search) const
{
    // Each box is matched once per distinct text of its column, then the
    // rows look their texts' answers up.
    const auto boxes = searchBoxes(search);
    std::vector<std::pair<const std::vector<quint32> *, std::vector<char>>> needles;
    for (const auto &[field, typed] : boxes) {
        if (typed->isEmpty())
            continue;
        const QString folded = foldedAscii(*typed);
        const std::vector<QString> &pool = texts(field);
        std::vector<char> matches(pool.size(), 0);
        for (size_t i = 1; i < pool.size(); ++i)
            matches[i] = contains(pool[i], folded) ? 1 : 0;
        needles.emplace_back(&m_cells[size_t(field)], std::move(matches));
    }
    std::vector<char> dateIn;
    if (search.dateRange) {
        const QString from = DateText::date(search.from);
        const QString to = DateText::date(search.to);
        const std::vector<QString> &dates = texts(StockInDate);
        dateIn.assign(dates.size(), 0);
        for (size_t i = 1; i < dates.size(); ++i)
            dateIn[i] = TextCollation::compareCodePoints(dates[i], from) >= 0 && TextCollation::compareCodePoints(dates[i], to) <= 0;
    }
    std::vector<int> rows;
    for (int slot = 0; slot < slotCount(); ++slot) {
        if (!isLive(slot) || !baseTakes(slot, zeroStock))
            continue;
        bool takes = true;
        for (const auto &[cells, matches] : needles)
            if (!matches[(*cells)[size_t(slot)]]) {
                takes = false;
                break;
            }
        if (takes && search.dateRange && !dateIn[m_cells[StockInDate][size_t(slot)]])
            takes = false;
        if (takes)
            rows.push_back(slot);
    }
    return rows;
}

bool GoodsCatalogue::searchTakes(int slot, ZeroStock zeroStock, const GoodsSearch &search) const
{
    if (!isLive(slot) || !baseTakes(slot, zeroStock))
        return false;
    const auto boxes = searchBoxes(search);
    for (const auto &[field, typed] : boxes) {
        if (typed->isEmpty())
            continue;
        const QString folded = foldedAscii(*typed);
        if (!contains(text(slot, field), folded))
            return false;
    }
    if (search.dateRange) {
        const QString &day = text(slot, StockInDate);
        if (day.isNull() || TextCollation::compareCodePoints(day, DateText::date(search.from)) < 0
            || TextCollation::compareCodePoints(day, DateText::date(search.to)) > 0)
            return false;
    }
    return true;
}

GoodsCatalogue::CodeMatch GoodsCatalogue::matchCode(ZeroStock zeroStock, const QString &scanned) const
{
    CodeMatch match;
    const QString code = foldedAscii(scanned.trimmed());
    if (code.isEmpty())
        return match;
    const std::vector<QString> &pool = texts(Code);
    std::vector<char> same(pool.size(), 0);
    for (size_t i = 1; i < pool.size(); ++i)
        same[i] = foldedAscii(pool[i].trimmed()) == code;
    const std::vector<quint32> &cells = m_cells[Code];
    for (int slot = 0; slot < slotCount(); ++slot) {
        if (!isLive(slot) || !same[cells[size_t(slot)]])
            continue;
        // A stock held as text is no quantity the sale could deduct from.
        const double stock = number(slot, StockQuantity);
        const bool sellable = baseTakes(slot, zeroStock) && !text(slot, Name).isEmpty()
                              && !(m_textNumbers[size_t(slot)] & kStockText) && !std::isnan(stock) && stock > 0;
        if (sellable)
            match.sellable.push_back(slot);
        else
            ++match.unsellable;
    }
    return match;
}

QStringList GoodsCatalogue::distinctTexts(int field) const
{
    const std::vector<QString> &pool = texts(field);
    const std::vector<quint32> &cells = m_cells[size_t(field)];
    std::vector<char> used(pool.size(), 0);
    for (int slot = 0; slot < slotCount(); ++slot)
        if (isLive(slot))
            used[cells[size_t(slot)]] = 1;
    return TextCollation::distinct(pool, used);
}

const GoodsDropDowns &GoodsCatalogue::dropDowns() const
{
    if (!m_dropDowns)
        m_dropDowns = GoodsDropDowns{distinctTexts(Name), distinctTexts(Specification), distinctTexts(Code),
                                     distinctTexts(Category), distinctTexts(Supplier)};
    return *m_dropDowns;
}

} // namespace quollin
