#include "records/SaleLineQuery.h"

#include "core/DateText.h"
#include "core/Schema.h"

#include <cmath>

namespace quollin {

namespace SaleLineQuery {

namespace {

QString q(const char *column) { return Schema::quoted(QLatin1String(column)); }

BoundQuery select(const QString &where, const QString &order)
{
    QString sql = QStringLiteral("SELECT ") + selectColumns() + QStringLiteral(" FROM data1");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + order;
    return {sql, {}};
}

// Sale date first, entry order among the lines of one day: the day1 index
// gives both without a sort.
const QString kByDate = QStringLiteral("day1, \"ID\"");

} // namespace

QString selectColumns()
{
    QStringList columns;
    for (const QString &c : Schema::saleLineColumns())
        columns << Schema::quoted(c);
    return columns.join(QLatin1Char(','));
}

BoundQuery condition(Sign sign, const SaleLineSearch &search)
{
    BoundQuery query;
    query.sql = QStringLiteral("SELECT ") + selectColumns() + QStringLiteral(" FROM data1 WHERE ") + q("3")
                + (sign == Sign::Sales ? QStringLiteral(">0") : QStringLiteral("<0"));
    const struct {
        const char *column;
        const char *parameter;
        const QString &text;
    } boxes[] = {
        {"d", ":d", search.category}, {"e", ":e", search.nameInitials}, {"c", ":c", search.code},
        {"f", ":f", search.specInitials}, {"g", ":g", search.customer}, {"j", ":j", search.remark},
    };
    for (const auto &box : boxes)
        query.andContains(box.column, box.parameter, box.text);
    // Sale dates carry no time of day: both end days are included.
    if (search.dateRange)
        query.andDayRange(search.from, search.to);
    query.sql += QStringLiteral(" ORDER BY \"ID\"");
    return query;
}

BoundQuery month(const QDate &anyDayOfMonth)
{
    const QDate first(anyDayOfMonth.year(), anyDayOfMonth.month(), 1);
    BoundQuery query = select(QStringLiteral("day1>=:from AND day1<:to"), kByDate);
    query.values.append({QByteArrayLiteral(":from"), DateText::date(first)});
    query.values.append({QByteArrayLiteral(":to"), DateText::date(first.addMonths(1))});
    return query;
}

BoundQuery all() { return select({}, kByDate); }

BoundQuery allReturns() { return select(q("3") + QStringLiteral("<0"), kByDate); }

BoundQuery slipContaining(const QString &slipNumber)
{
    BoundQuery query = select(Schema::containsCondition(QStringLiteral("z"), QStringLiteral(":z")), q("ID"));
    query.values.append({QByteArrayLiteral(":z"), Schema::containsPattern(slipNumber.trimmed())});
    return query;
}

} // namespace SaleLineQuery

SaleSort nextSaleSort(SaleSort before, int clickedColumn)
{
    if (before.column != clickedColumn)
        return {clickedColumn, true};
    return {clickedColumn, !before.descending};
}

bool isRedQuantity(double quantity)
{
    if (std::isnan(quantity))
        return true;
    // nearbyint rounds halves to even in the default rounding mode.
    return std::nearbyint(quantity) <= 0;
}

} // namespace quollin
