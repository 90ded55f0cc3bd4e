#include "goods/GoodsQuery.h"

#include "core/DateText.h"
#include "core/Schema.h"

namespace quollin {

namespace GoodsQuery {

namespace {

QString q(const char *column) { return Schema::quoted(QLatin1String(column)); }

} // namespace

QString selectColumns()
{
    QStringList columns;
    for (const QString &c : Schema::goodsColumns())
        columns << Schema::quoted(c);
    return columns.join(QLatin1Char(','));
}

QString listCondition(ZeroStock zeroStock)
{
    // An empty stock compares as NULL and so is hidden too, as intended.
    return zeroStock == ZeroStock::Hidden ? q("7") + QStringLiteral("<>0") : QString();
}

QString baseCondition(ZeroStock zeroStock)
{
    return zeroStock == ZeroStock::Hidden ? q("7") + QStringLiteral("<>0") : q("2") + QStringLiteral(">0");
}

BoundQuery list(ZeroStock zeroStock)
{
    QString sql = QStringLiteral("SELECT ") + selectColumns() + QStringLiteral(" FROM data");
    const QString where = listCondition(zeroStock);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    // ID breaks ties between rows of one day, so the last row is the newest.
    sql += QStringLiteral(" ORDER BY day1, \"ID\"");
    return {sql, {}};
}

BoundQuery oneRow(const BoundQuery &query, qint64 id)
{
    // Our own statements: the order, when there is one, ends them.
    BoundQuery one = query;
    const qsizetype order = one.sql.lastIndexOf(QStringLiteral(" ORDER BY "));
    if (order >= 0)
        one.sql.truncate(order);
    one.sql += one.sql.contains(QStringLiteral(" WHERE ")) ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ");
    one.sql += q("ID") + QStringLiteral("=:one_row_id");
    one.values.append({QByteArray(":one_row_id"), id});
    return one;
}

BoundQuery condition(ZeroStock zeroStock, const GoodsSearch &search)
{
    BoundQuery query;
    query.sql = QStringLiteral("SELECT ") + selectColumns() + QStringLiteral(" FROM data WHERE ")
                + baseCondition(zeroStock);

    const struct {
        const char *column;
        const char *parameter;
        const QString &text;
    } boxes[] = {
        {"d", ":d", search.category}, {"e", ":e", search.nameInitials}, {"f", ":f", search.specInitials},
        {"c", ":c", search.code},     {"z", ":z", search.remarks},      {"g", ":g", search.supplier},
    };
    for (const auto &box : boxes)
        query.andContains(box.column, box.parameter, box.text);
    if (search.dateRange)
        query.andDayRange(search.from, search.to);
    // Entry order, which is what an unordered read of the original file gave.
    query.sql += QStringLiteral(" ORDER BY \"ID\"");
    return query;
}

BoundQuery initials(ZeroStock zeroStock, InitialsOf which, const QString &typed)
{
    GoodsSearch search;
    (which == InitialsOf::Name ? search.nameInitials : search.specInitials) = typed;
    return condition(zeroStock, search);
}

} // namespace GoodsQuery

SortStep sortClick(SortMark markBefore)
{
    if (markBefore == SortMark::Ascending)
        return {false, SortMark::Descending};
    return {true, SortMark::Ascending};
}

void BoundQuery::andContains(const char *column, const char *parameter, const QString &text)
{
    if (text.isEmpty())
        return;
    sql += QStringLiteral(" AND ") + Schema::containsCondition(QLatin1String(column), QLatin1String(parameter));
    values.append({QByteArray(parameter), Schema::containsPattern(text)});
}

void BoundQuery::andDayRange(const QDate &from, const QDate &to)
{
    sql += QStringLiteral(" AND day1>=:from AND day1<=:to");
    values.append({QByteArrayLiteral(":from"), DateText::date(from)});
    values.append({QByteArrayLiteral(":to"), DateText::date(to)});
}

} // namespace quollin
