#pragma once

#include "widgets/GridReport.h"

#include <QString>

#include <functional>

namespace quollin {

// A grid written as a spreadsheet (.xlsx): in the first line the title (in
// the fourth column), in the second "制表人：" and "制表时间：", then the two
// title lines of the columns shown, one line per row with numbers as numbers
// and texts as texts, and last the footer line: its fixed texts ("总计") and
// its sums as the numbers the grid's footer shows.
namespace GridWorkbook {

// Lines above the first row of the grid.
constexpr int kLinesAboveRows = 4;

struct Result {
    bool ok = false;
    bool cancelled = false;
    QString error; // the library's words when the file could not be written
};

// Called after each row with the number written so far; false stops the
// writing. Whatever stops it, a file at `path` is removed again.
using Progress = std::function<bool(int rowsDone)>;

// Writes the workbook at `path` (created or replaced).
Result write(const GridReport &report, const QString &title, const QString &path, const Progress &progress = {});

} // namespace GridWorkbook

} // namespace quollin
