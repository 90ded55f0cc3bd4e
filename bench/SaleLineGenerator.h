#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace quollin {

class Database;

// Appends plausible sale lines to table data1 for the goods rows already in
// table data: slips of one to six lines numbered like 20240305001, a few
// thousand regular customers (with address and phone) besides walk-in sales,
// dates over three years in order, some returns and some arrears. The goods
// rows themselves are left as they are. The same seed gives the same lines.
// The three years start on `first`.
void generateSaleLines(Database &db, int lines, quint32 seed, QDate first = QDate(2022, 1, 1));

// Builds a new shop file at path with the given numbers of goods rows and
// sale lines (fixed seeds), its log emptied, ready to be opened as the
// program opens it. Prints how long it took.
void generateShopFile(const QString &path, int goods, int lines, QDate first = QDate(2022, 1, 1));

// A shop file of the given size kept in the benchmarks' cache folder
// ($QUOLLIN_BENCH_CACHE, else /var/tmp/quollin-bench), built there the first
// time it is asked for and copied to path: a run changes its copy, never
// the cached file, and a big file is generated only once. The cached file's
// name carries the sizes, the first day and the generator's version, so a
// changed generator builds afresh. True when it had to be generated now.
bool copyCachedShopFile(const QString &path, int goods, int lines, QDate first = QDate(2022, 1, 1));

// The first day of three years of lines whose last day is the last day of
// the current month, so that "本 月" and this year's charts have lines.
QDate threeYearsToThisMonth();

// Up to `most` goods rows with at least one in stock, in a fixed random
// order: the rows the sale benchmarks sell from.
std::vector<qint64> goodsWithStock(Database &db, size_t most);

} // namespace quollin
