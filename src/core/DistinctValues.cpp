#include "core/DistinctValues.h"

#include "core/Database.h"
#include "core/Schema.h"
#include "core/TextCollation.h"

namespace quollin {

namespace {

QStringList columnsOf(const QString &table)
{
    if (table == QLatin1String("data"))
        return Schema::goodsColumns();
    if (table == QLatin1String("data1"))
        return Schema::saleLineColumns();
    if (table == QLatin1String("userdb"))
        return Schema::userColumns();
    if (table == QLatin1String("rz"))
        return Schema::logColumns();
    return {};
}

} // namespace

QStringList DistinctValues(Database &db, const QString &column, const QString &table)
{
    // Names become statement text, so only the schema's own names pass.
    if (!columnsOf(table).contains(column))
        throw DbError(QStringLiteral("unknown column %1 of table %2").arg(column, table));
    const QString c = Schema::quoted(column);
    const QString t = Schema::quoted(table);
    // The distinct stored values: with an index on the column, one step
    // through the index from each value to the next (a few thousand customers
    // among a million lines read a few thousand index pages, not all of
    // them); without one, a grouping. Either gives each stored value once,
    // NULL included.
    const QString stored = Schema::hasIndexOn(table, column)
        ? QStringLiteral("WITH RECURSIVE skip(v) AS ("
                         "SELECT (SELECT %1 FROM %2 WHERE %1 IS NOT NULL ORDER BY %1 LIMIT 1) "
                         "UNION ALL SELECT (SELECT %1 FROM %2 WHERE %1 > skip.v ORDER BY %1 LIMIT 1) "
                         "FROM skip WHERE skip.v IS NOT NULL) "
                         "SELECT v FROM skip WHERE v IS NOT NULL "
                         "UNION ALL SELECT NULL WHERE EXISTS (SELECT 1 FROM %2 WHERE %1 IS NULL)")
              .arg(c, t)
        : QStringLiteral("SELECT %1 AS v FROM %2 GROUP BY %1").arg(c, t);
    // Only the distinct texts meet the text order, which no index serves.
    // Texts that differ only in case are one entry: the least of them by code
    // point, so the entry does not depend on which row the engine met first.
    const QString order = QStringLiteral("v") + TextCollation::clause();
    Statement query = db.prepare(
        QStringLiteral("SELECT min(v) FROM (%1) AS stored GROUP BY %2 ORDER BY %2").arg(stored, order));
    QStringList values;
    while (query.next())
        values << (query.isNull(0) ? QString() : query.text(0));
    return values;
}

} // namespace quollin
