#include "records/SaleLineStore.h"

#include "core/Database.h"
#include "core/DateText.h"
#include "core/DistinctValues.h"
#include "core/NumberLimits.h"
#include "core/NumberText.h"
#include "core/Schema.h"
#include "core/ShopContext.h"
#include "core/TextCollation.h"
#include "records/SaleLineQuery.h"
#include "widgets/GridReader.h"

#include <algorithm>
#include <variant>

namespace quollin {

namespace {

std::optional<double> number(const Statement &s, const char *column)
{
    const int at = s.columnIndex(column);
    if (s.isNull(at))
        return std::nullopt;
    return s.real(at);
}

// A stored value as the deletion needs it: none, one that does not read as
// a number (text left in a numeric column by an older file), or the number.
struct Missing {};
struct Unreadable {};
using Stored = std::variant<Missing, Unreadable, double>;

Stored stored(const Statement &s, const char *column)
{
    const int at = s.columnIndex(column);
    if (s.isNull(at))
        return Missing{};
    const QVariant v = s.value(at);
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
        const std::optional<double> read = NumberText::parseDecimal(v.toString());
        if (!read)
            return Unreadable{};
        return *read;
    }
    return s.real(at);
}

// The value as the panel shows it (15 significant digits), so that the
// arithmetic works on what the operator reads.
double shown(double value) { return NumberText::parseDecimal(NumberText::general(value)).value_or(value); }

struct Refusal {
    QString message;
};

double required(const Stored &value, const QString &what)
{
    if (const double *v = std::get_if<double>(&value))
        return shown(*v);
    throw Refusal{what + QStringLiteral("不是有效的数字，不能删除这条销售记录。")};
}

// The goods row the line was sold from, read inside the caller's transaction.
std::optional<qint64> goodsRowOf(Database &db, const Statement &line)
{
    if (!line.isNull("goods_id")) {
        Statement row = db.prepare(QStringLiteral("SELECT \"ID\" FROM data WHERE \"ID\"=:id"));
        row.bind(":id", line.integer("goods_id"));
        if (row.next())
            return row.integer(0);
        return std::nullopt;
    }
    // An older line: the stock-in of that day with the same goods fields.
    const QDate stockIn = DateText::parseDate(line.text("day2"));
    if (!stockIn.isValid())
        return std::nullopt;
    const QString name = line.text("a").trimmed();
    const QString spec = line.text("b").trimmed();
    const QString code = line.text("c").trimmed();
    const QString category = line.text("d").trimmed();
    // The day1 index narrows to one day's stock-ins; the trimmed comparison is
    // the same one the sale used when it copied the fields.
    Statement rows = db.prepare(QStringLiteral("SELECT \"ID\",a,b,c,d FROM data WHERE day1=:day ORDER BY \"ID\""));
    rows.bind(":day", DateText::date(stockIn));
    while (rows.next()) {
        if (rows.text(1).trimmed() == name && rows.text(2).trimmed() == spec && rows.text(3).trimmed() == code
            && rows.text(4).trimmed() == category)
            return rows.integer(0);
    }
    return std::nullopt;
}

} // namespace

SaleLineStore::SaleLineStore(ShopContext &shop) : m_shop(shop)
{
    QObject::connect(&shop, &ShopContext::changed, [this](const ChangeSet &changes) { follow(changes); });
    // Another file, or the same one restored: nothing held is known to hold.
    QObject::connect(&shop, &ShopContext::databaseClosing, [this] {
        m_ids.reset();
        m_values.forgetAll();
        m_before.clear();
    });
    QObject::connect(&shop, &ShopContext::databaseReopened, [this] {
        m_ids.reset();
        m_values.forgetAll();
    });
}

Database &SaleLineStore::db() { return m_shop.db(); }

SaleLineSearchValues SaleLineStore::searchValuesOf(Database &d, qint64 id)
{
    SaleLineSearchValues values;
    Statement s = d.prepare(QStringLiteral("SELECT d,e,c,f,g,j FROM data1 WHERE \"ID\"=:id"));
    s.bind(":id", id);
    if (s.next())
        for (int c = 0; c < SaleLineValues::kColumns; ++c)
            if (!s.isNull(c))
                values[size_t(c)] = s.text(c);
    return values;
}

void SaleLineStore::follow(const ChangeSet &changes)
{
    const RowChanges &lines = changes.saleLines;
    if (lines.isEmpty())
        return;
    followLineIds(lines);
    if (lines.isAll()) {
        m_values.forgetAll();
        m_before.clear();
        return;
    }
    bool anyHeld = false;
    for (int c = 0; c < SaleLineValues::kColumns; ++c)
        anyHeld = anyHeld || m_values.isLoaded(SaleLineValues::Column(c));
    if (!anyHeld) {
        m_before.clear();
        return;
    }
    Database &d = db();
    for (const QList<qint64> *added : {&lines.addedRows(), &lines.changedRows()})
        for (qint64 id : *added) {
            const SaleLineSearchValues now = searchValuesOf(d, id);
            for (int c = 0; c < SaleLineValues::kColumns; ++c)
                m_values.add(SaleLineValues::Column(c), now[size_t(c)]);
        }
    for (const QList<qint64> *gone : {&lines.changedRows(), &lines.removedRows()})
        for (qint64 id : *gone) {
            const auto before = m_before.constFind(id);
            if (before == m_before.cend()) {
                // Changed by someone who did not say what it held: read the
                // columns again at their next search.
                m_values.forgetAll();
                break;
            }
            for (int c = 0; c < SaleLineValues::kColumns; ++c)
                m_values.recheck(d, SaleLineValues::Column(c), (*before)[size_t(c)]);
        }
    m_before.clear();
}

void SaleLineStore::fillRows(const BoundQuery &query, GridRows &rows)
{
    Statement s = statement(query);
    const GridReader reader(s, rows, hiddenFields());
    while (s.next())
        reader.appendRow(s, rows);
}

void SaleLineStore::fillLines(const std::vector<qint64> &ids, GridRows &rows) { readLines(ids, {}, {}, rows); }

void SaleLineStore::readLines(const std::vector<qint64> &ids, const QString &where,
                              const QList<QPair<QByteArray, QVariant>> &values, GridRows &rows)
{
    const QStringList hidden = hiddenFields();
    for (size_t from = 0; from < ids.size(); from += Schema::kBoundChunk) {
        const size_t count = std::min(Schema::kBoundChunk, ids.size() - from);
        Statement s = db().prepare(QStringLiteral("SELECT ") + SaleLineQuery::selectColumns()
                                   + QStringLiteral(" FROM data1 WHERE \"ID\" IN (") + Schema::placeholders(count)
                                   + QStringLiteral(")") + (where.isEmpty() ? QString() : QStringLiteral(" AND ") + where)
                                   + QStringLiteral(" ORDER BY \"ID\""));
        for (size_t i = 0; i < count; ++i)
            s.bind(int(i + 1), ids[from + i]);
        for (const auto &[name, value] : values)
            s.bind(name.constData(), value);
        const GridReader reader(s, rows, hidden);
        while (s.next())
            reader.appendRow(s, rows);
    }
}

std::vector<qint64> SaleLineStore::unsoldIds(bool returnsOnly)
{
    Statement s = db().prepare(QStringLiteral("SELECT \"ID\" FROM data1 WHERE ") + Schema::unsoldCondition(db())
                               + (returnsOnly ? QStringLiteral(" AND \"3\"<0") : QString()));
    std::vector<qint64> ids;
    while (s.next())
        ids.push_back(s.integer(0));
    std::sort(ids.begin(), ids.end());
    return ids;
}

const SaleLineStore::LineIds &SaleLineStore::lineIds()
{
    Database &d = db();
    // Another connection (a second copy of the program) wrote: read again.
    if (m_ids && m_ids->version != d.dataVersion())
        m_ids.reset();
    if (m_ids)
        return *m_ids;
    LineIds ids;
    ids.version = d.dataVersion();
    Statement s = d.prepare(QStringLiteral("SELECT \"ID\" FROM data1 ORDER BY day1,\"ID\""));
    while (s.next())
        ids.byDate.push_back(s.integer(0));
    if (!ids.byDate.empty()) {
        Statement last = d.prepare(QStringLiteral("SELECT day1 FROM data1 WHERE \"ID\"=:id"));
        last.bind(":id", ids.byDate.back());
        if (last.next())
            ids.lastDay = last.text(0);
    }
    ids.byId = ids.byDate;
    std::sort(ids.byId.begin(), ids.byId.end());
    m_ids = std::move(ids);
    return *m_ids;
}

void SaleLineStore::followLineIds(const RowChanges &lines)
{
    if (!m_ids)
        return;
    if (lines.isAll()) {
        m_ids.reset();
        return;
    }
    // Corrections never move a line in the date order; a change by anyone
    // else might.
    for (qint64 id : lines.changedRows())
        if (!m_before.contains(id)) {
            m_ids.reset();
            return;
        }
    for (qint64 id : lines.removedRows()) {
        std::erase(m_ids->byDate, id);
        const auto at = std::lower_bound(m_ids->byId.begin(), m_ids->byId.end(), id);
        if (at != m_ids->byId.end() && *at == id)
            m_ids->byId.erase(at);
    }
    Database &d = db();
    for (qint64 id : lines.addedRows()) {
        Statement s = d.prepare(QStringLiteral("SELECT day1 FROM data1 WHERE \"ID\"=:id"));
        s.bind(":id", id);
        if (!s.next())
            continue;
        const QString day = s.text(0);
        // A sale of today comes last; one dated earlier needs its place found
        // by a read of all dates.
        const bool last = m_ids->byDate.empty() || (!day.isNull() && !m_ids->lastDay.isNull() && day >= m_ids->lastDay
                                                     && id > m_ids->byDate.back());
        if (!last) {
            m_ids.reset();
            return;
        }
        m_ids->byDate.push_back(id);
        m_ids->lastDay = day;
        m_ids->byId.insert(std::upper_bound(m_ids->byId.begin(), m_ids->byId.end(), id), id);
    }
    // Our own commits leave the version as it is.
    m_ids->version = d.dataVersion();
}

void SaleLineStore::forgetLineIds() { m_ids.reset(); }

std::vector<qint64> SaleLineStore::allLineIds() { return lineIds().byDate; }

void SaleLineStore::readColumn(const QString &field, qint64 first, qint64 last,
                               const std::function<void(qint64, const Statement &)> &take)
{
    Statement s = db().prepare(QStringLiteral("SELECT \"ID\",\"%1\" FROM data1 WHERE \"ID\">=:first AND \"ID\"<=:last").arg(field));
    s.bind(":first", first).bind(":last", last);
    while (s.next())
        take(s.integer(0), s);
}

std::vector<qint64> SaleLineStore::allReturnIds()
{
    // By sale date, entry order within a day; no date comes first, as the
    // engine orders NULL. The returns are few: their dates come with them.
    Statement s = db().prepare(QStringLiteral("SELECT \"ID\",day1 FROM data1 WHERE ") + Schema::unsoldCondition(db())
                               + QStringLiteral(" AND \"3\"<0"));
    std::vector<std::pair<QString, qint64>> lines;
    while (s.next())
        lines.emplace_back(s.text(1), s.integer(0));
    std::sort(lines.begin(), lines.end(), [](const auto &a, const auto &b) {
        if (a.first.isNull() != b.first.isNull())
            return a.first.isNull();
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    std::vector<qint64> ids;
    ids.reserve(lines.size());
    for (const auto &line : lines)
        ids.push_back(line.second);
    return ids;
}

std::vector<qint64> SaleLineStore::searchIds(SaleLineQuery::Sign sign, const SaleLineSearch &search)
{
    const struct {
        SaleLineValues::Column column;
        const QString &text;
    } boxes[] = {
        {SaleLineValues::Category, search.category},   {SaleLineValues::NameInitials, search.nameInitials},
        {SaleLineValues::Code, search.code},           {SaleLineValues::SpecInitials, search.specInitials},
        {SaleLineValues::Customer, search.customer},   {SaleLineValues::Remark, search.remark},
    };
    Database &d = db();
    std::optional<std::vector<qint64>> ids; // none: nothing narrows yet
    const auto narrow = [&ids](std::vector<qint64> found) {
        std::sort(found.begin(), found.end());
        if (ids) {
            std::vector<qint64> both;
            std::set_intersection(ids->begin(), ids->end(), found.begin(), found.end(), std::back_inserter(both));
            ids = std::move(both);
        } else {
            ids = std::move(found);
        }
    };
    for (const auto &box : boxes) {
        if (box.text.isEmpty())
            continue;
        m_values.load(d, box.column);
        const QStringList values = m_values.matching(box.column, box.text);
        // The lines of the matching values, from the column's index alone.
        std::vector<qint64> found;
        const QString c = QLatin1Char('"') + QLatin1String(SaleLineValues::field(box.column)) + QLatin1Char('"');
        for (qsizetype from = 0; from < values.size(); from += qsizetype(Schema::kBoundChunk)) {
            const qsizetype count = std::min(qsizetype(Schema::kBoundChunk), values.size() - from);
            Statement s = d.prepare(QStringLiteral("SELECT \"ID\" FROM data1 WHERE %1 IN (%2)")
                                        .arg(c, Schema::placeholders(size_t(count))));
            for (qsizetype i = 0; i < count; ++i)
                s.bind(int(i + 1), values.at(from + i));
            while (s.next())
                found.push_back(s.integer(0));
        }
        narrow(std::move(found));
        if (ids->empty())
            return {};
    }
    // Sale dates carry no time of day: both end days are included.
    if (search.dateRange) {
        Statement s = d.prepare(QStringLiteral("SELECT \"ID\" FROM data1 WHERE day1>=:from AND day1<=:to"));
        s.bind(":from", DateText::date(search.from)).bind(":to", DateText::date(search.to));
        std::vector<qint64> found;
        while (s.next())
            found.push_back(s.integer(0));
        narrow(std::move(found));
    }
    std::vector<qint64> unsold = unsoldIds(sign == SaleLineQuery::Sign::Returns);
    if (sign == SaleLineQuery::Sign::Returns) {
        if (!ids)
            return unsold;
        narrow(std::move(unsold));
        return std::move(*ids);
    }
    if (!ids)
        ids = lineIds().byId;
    std::vector<qint64> sales;
    sales.reserve(ids->size());
    std::set_difference(ids->begin(), ids->end(), unsold.begin(), unsold.end(), std::back_inserter(sales));
    return sales;
}

QStringList SaleLineStore::hiddenFields() const
{
    if (m_shop.maySee(OperatorRestrictions::Column::NetProfit))
        return {};
    return {QStringLiteral("a5")};
}

Statement SaleLineStore::statement(const BoundQuery &query)
{
    Statement s = db().prepare(query.sql);
    for (const auto &[name, value] : query.values)
        s.bind(name.constData(), value);
    return s;
}

std::optional<SaleLine> SaleLineStore::find(qint64 id)
{
    Statement s = db().prepare(QStringLiteral("SELECT ") + SaleLineQuery::selectColumns()
                               + QStringLiteral(" FROM data1 WHERE \"ID\"=:id"));
    s.bind(":id", id);
    if (!s.next())
        return std::nullopt;
    SaleLine line;
    line.id = s.integer("ID");
    line.name = s.text("a");
    line.specification = s.text("b");
    line.code = s.text("c");
    line.category = s.text("d");
    line.saleDate = s.text("day1");
    line.price = number(s, "2");
    line.quantity = number(s, "3");
    line.amount = number(s, "4");
    line.arrears = number(s, "6");
    if (hiddenFields().isEmpty())
        line.profit = number(s, "a5");
    line.slipNumber = s.text("z");
    line.customer = s.text("g");
    line.address = s.text("h");
    line.phone = s.text("i");
    line.remark = s.text("j");
    line.purchasePrice = number(s, "1");
    line.stockInDate = s.text("day2");
    if (!s.isNull("goods_id"))
        line.goodsId = s.integer("goods_id");
    return line;
}

QStringList SaleLineStore::categories()
{
    // The list DistinctValues gives, made from the held values: a few
    // hundred index seeks instead of a walk over every line's category.
    Database &d = db();
    m_values.load(d, SaleLineValues::Category);
    QStringList values = m_values.values(SaleLineValues::Category); // by code point
    std::stable_sort(values.begin(), values.end(),
                     [](const QString &a, const QString &b) { return TextCollation::less(a, b); });
    QStringList list;
    Statement none = d.prepare(QStringLiteral("SELECT 1 FROM data1 WHERE d IS NULL LIMIT 1"));
    if (none.next())
        list << QString();
    // Texts that differ only in case are one entry, the least by code point,
    // which stands first among its equals.
    const QString *group = nullptr;
    for (const QString &value : std::as_const(values)) {
        if (group && TextCollation::compare(*group, value) == 0)
            continue;
        list << value;
        group = &value;
    }
    return list;
}

QStringList SaleLineStore::customers() { return DistinctValues(db(), QStringLiteral("g"), QStringLiteral("data1")); }

SaleLineOutcome SaleLineStore::correct(qint64 id, const SaleLineCorrection &correction)
{
    m_shop.demand(OperatorRestrictions::Command::ChangeSaleLines);
    SaleLineOutcome outcome;
    const std::optional<double> arrears = NumberText::parseDecimal(correction.arrears);
    if (!arrears) {
        outcome.message = QStringLiteral("欠款金额“") + correction.arrears + QStringLiteral("”不是有效的数字，无欠款请填0。");
        return outcome;
    }
    // The sale's own limits: arrears are never negative.
    if (!NumberLimits::inRangeNotNegative(*arrears)) {
        outcome.message = QStringLiteral("欠款金额“") + correction.arrears.trimmed()
                          + (*arrears < 0 ? QStringLiteral("”不能为负数，无欠款请填0。")
                                          : QStringLiteral("”超出允许的范围，请重新输入。"));
        return outcome;
    }
    ShopTransaction transaction(m_shop);
    m_before.insert(id, searchValuesOf(transaction.db(), id));
    Statement update = transaction.db().prepare(QStringLiteral(
        "UPDATE data1 SET \"6\"=:n6,z=:z,g=:g,h=:h,i=:i,j=:j WHERE \"ID\"=:id"));
    update.bind(":n6", *arrears)
        .bind(":z", correction.slipNumber.trimmed())
        .bind(":g", correction.customer.trimmed())
        .bind(":h", correction.address.trimmed())
        .bind(":i", correction.phone.trimmed())
        .bind(":j", correction.remark.trimmed())
        .bind(":id", id);
    update.exec();
    if (transaction.db().changes() != 1) {
        outcome.message = QStringLiteral("这条销售记录已不存在。");
        return outcome;
    }
    transaction.changes().saleLines.changed(id);
    transaction.commit();
    outcome.ok = true;
    return outcome;
}

SaleLineOutcome SaleLineStore::remove(qint64 id)
{
    m_shop.demand(OperatorRestrictions::Command::DeleteSaleLines);
    return retryingConflicts(db(), [&] { return removeOnce(id); });
}

SaleLineOutcome SaleLineStore::removeOnce(qint64 id)
{
    SaleLineOutcome outcome;
    try {
        ShopTransaction transaction(m_shop);
        Database &d = transaction.db();
        Statement line = d.prepare(QStringLiteral(
            "SELECT a,b,c,d,\"1\",\"3\",\"4\",day2,goods_id FROM data1 WHERE \"ID\"=:id") + d.lockRows());
        line.bind(":id", id);
        if (!line.next())
            throw Refusal{QStringLiteral("这条销售记录已不存在。")};

        if (const std::optional<qint64> goodsId = goodsRowOf(d, line)) {
            Statement goods = d.prepare(QStringLiteral("SELECT \"5\",\"6\",\"7\",\"8\" FROM data WHERE \"ID\"=:id")
                                        + d.lockRows());
            goods.bind(":id", *goodsId);
            goods.next(); // found just now, under the same write lock
            const Stored sold = stored(goods, "5");
            const Stored stock = stored(goods, "7");
            // Without a sold or stock quantity there is nothing to give back to.
            if (!std::holds_alternative<Missing>(sold) && !std::holds_alternative<Missing>(stock)) {
                const double q = required(stored(line, "3"), QStringLiteral("销售数量"));
                const double m = required(stored(line, "4"), QStringLiteral("销售金额"));
                const double p = required(stored(line, "1"), QStringLiteral("进货单价"));
                const double n5 = shown(required(sold, QStringLiteral("商品的已售数量")) - q);
                const double n6 = shown(required(stored(goods, "6"), QStringLiteral("商品的销售金额")) - m);
                const double n7 = shown(required(stock, QStringLiteral("商品的库存数量")) + q);
                const double n8 = shown(required(stored(goods, "8"), QStringLiteral("商品的库存金额")) + q * p);
                for (double v : {n5, n6, n7, n8})
                    if (!NumberLimits::inRange(v))
                        throw Refusal{QStringLiteral("退回库存后的数值超出范围，不能删除这条销售记录。")};
                goods.reset();
                Statement update = d.prepare(QStringLiteral(
                    "UPDATE data SET \"5\"=:n5,\"6\"=:n6,\"7\"=:n7,\"8\"=:n8 WHERE \"ID\"=:id"));
                update.bind(":n5", n5).bind(":n6", n6).bind(":n7", n7).bind(":n8", n8).bind(":id", *goodsId);
                update.exec();
                outcome.goodsId = *goodsId;
            }
        }
        line.reset();
        m_before.insert(id, searchValuesOf(d, id));
        Statement remove = d.prepare(QStringLiteral("DELETE FROM data1 WHERE \"ID\"=:id"));
        remove.bind(":id", id).exec();
        if (outcome.goodsId)
            transaction.changes().goods.changed(outcome.goodsId);
        transaction.changes().saleLines.removed(id);
        transaction.commit();
    } catch (const Refusal &r) {
        outcome = SaleLineOutcome{};
        outcome.message = r.message;
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

} // namespace quollin
