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

// Either the cells of a sheet or why not.
struct SheetRead {
    bool ok = false;
    QString error;
    SheetCells cells;
};
// Reads the sheet of that name (in any letter case) from a workbook, of
// either kind: an Excel 97-2003 one (.xls) or an Office Open XML one (.xlsx),
// told apart by their contents, not by their names.
SheetRead readWorkbookSheet(const QString &path, const QString &sheetName);
SheetRead readXlsSheet(const QString &path, const QString &sheetName);
SheetRead readXlsxSheet(const QString &path, const QString &sheetName);

bool isUnreadable(const QVariant &cell);

// Whether a number format shows its number as a date: one of the built-in
// formats by number, or a pattern of the workbook's own with days or years
// in it (quoted and bracketed parts aside).
bool isBuiltInDateFormat(int format);
bool isDatePattern(const QString &pattern);
// The day of a date-formatted number (days since the workbook's epoch), or
// the number itself when it names no day a spreadsheet would show.
QVariant dayOrNumber(double serial, bool from1904);

} // namespace quollin

Q_DECLARE_METATYPE(quollin::UnreadableCell)
