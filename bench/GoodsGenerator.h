#pragma once

#include <QtGlobal>

namespace quollin {

class Database;

// Fills table data with plausible goods rows: Chinese names and models with
// their pinyin initials, codes like barcodes, dates over three years, some
// rows sold out. The same seed gives the same rows.
void generateGoods(Database &db, int rows, quint32 seed);

} // namespace quollin
