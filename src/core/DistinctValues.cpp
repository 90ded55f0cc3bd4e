#include "core/DistinctValues.h"

#include "core/Database.h"
#include "core/Schema.h"

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
    Statement query = db.prepare(
        QStringLiteral("SELECT %1 FROM %2 GROUP BY %1 ORDER BY %1").arg(c, Schema::quoted(table)));
    QStringList values;
    while (query.next())
        values << (query.isNull(0) ? QString() : query.text(0));
    return values;
}

} // namespace quollin
