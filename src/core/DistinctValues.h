#pragma once

#include <QStringList>

namespace quollin {

class Database;

// The distinct values of one column in the text order (TextCollation), as
// the drop-down lists offer them. A null value comes first as an empty entry;
// texts that differ only in letter case are one entry, the least of them by
// code point. Table and column must be names of the shop's schema; anything
// else is refused.
QStringList DistinctValues(Database &db, const QString &column, const QString &table);

} // namespace quollin
