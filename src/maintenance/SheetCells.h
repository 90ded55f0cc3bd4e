#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace quollin {

// A cell whose value cannot be read: a formula whose stored result is an
// error, or none that can be told.
struct UnreadableCell {};

// One worksheet as read from a workbook: the cells row by row, each a
// QVariant holding nothing (empty cell), a double, a QString, a QDate or an
// UnreadableCell. A formula cell holds the result stored with it.
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

bool isUnreadable(const QVariant &cell);

} // namespace quollin

Q_DECLARE_METATYPE(quollin::UnreadableCell)
