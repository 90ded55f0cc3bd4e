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
    // The inner grouping walks the column's index by stored bytes; only the
    // distinct texts it gives meet the text order, which no index serves.
    // Texts that differ only in case are one entry: the least of them by code
    // point, so the entry does not depend on which row the engine met first.
    const QString order = QStringLiteral("v") + TextCollation::clause();
    Statement query = db.prepare(QStringLiteral("SELECT min(v) FROM (SELECT %1 AS v FROM %2 GROUP BY %1) "
                                                "GROUP BY %3 ORDER BY %3")
                                     .arg(c, Schema::quoted(table), order));
    QStringList values;
    while (query.next())
        values << (query.isNull(0) ? QString() : query.text(0));
    return values;
}

} // namespace quollin
