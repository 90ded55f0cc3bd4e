#pragma once

#include <QStringList>

namespace quollin {

class Database;

// The distinct values of one column in sorted order, as the drop-down lists
// offer them. A null value comes first as an empty entry. Table and column
// must be names of the shop's schema; anything else is refused.
QStringList DistinctValues(Database &db, const QString &column, const QString &table);

} // namespace quollin
