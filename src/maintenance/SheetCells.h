#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace quollin {

// One worksheet as read from a workbook: the cells row by row, each a
// QVariant holding nothing (empty cell), a double, a QString, or a QDate.
struct SheetCells {
    std::vector<std::vector<QVariant>> rows;
};

// Reads the sheet of that name from an Excel 97-2003 workbook (.xls).
// Either the cells or why not.
struct SheetRead {
    bool ok = false;
    QString error;
    SheetCells cells;
};
SheetRead readXlsSheet(const QString &path, const QString &sheetName);

} // namespace quollin
