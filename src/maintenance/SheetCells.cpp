#include "maintenance/SheetCells.h"

#include <freexl.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>

namespace quollin {

namespace {

// Closes the workbook on every way out.
struct Workbook {
    const void *handle = nullptr;
    ~Workbook()
    {
        if (handle)
            freexl_close(handle);
    }
};

QVariant cellValue(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return double(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return cell.value.double_value;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QString::fromUtf8(cell.value.text_value);
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: {
        // "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss": the day is what counts.
        const QDate day = QDate::fromString(QString::fromUtf8(cell.value.text_value).left(10), QStringLiteral("yyyy-MM-dd"));
        return day.isValid() ? QVariant(day) : QVariant(QString::fromUtf8(cell.value.text_value));
    }
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(cell.value.text_value);
    default:
        return QVariant();
    }
}

} // namespace

SheetRead readXlsSheet(const QString &path, const QString &sheetName)
{
    SheetRead result;
    if (!QFileInfo(path).isFile()) {
        result.error = QStringLiteral("文件不存在：%1").arg(path);
        return result;
    }
    Workbook book;
    const QByteArray name = QFile::encodeName(path);
    if (freexl_open(name.constData(), &book.handle) != FREEXL_OK) {
        result.error = QStringLiteral("不是可以读取的Excel 97-2003工作簿（.xls）：%1").arg(path);
        return result;
    }
    unsigned int sheets = 0;
    if (freexl_get_info(book.handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        sheets = 0;
    int found = -1;
    for (unsigned int i = 0; i < sheets && found < 0; ++i) {
        const char *text = nullptr;
        if (freexl_get_worksheet_name(book.handle, static_cast<unsigned short>(i), &text) == FREEXL_OK && text
            && QString::fromUtf8(text).compare(sheetName, Qt::CaseInsensitive) == 0)
            found = int(i);
    }
    if (found < 0) {
        result.error = QStringLiteral("工作簿里没有名为“%1”的工作表。").arg(sheetName);
        return result;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(book.handle, static_cast<unsigned short>(found)) != FREEXL_OK
        || freexl_worksheet_dimensions(book.handle, &rows, &columns) != FREEXL_OK) {
        result.error = QStringLiteral("无法读取工作表“%1”。").arg(sheetName);
        return result;
    }
    result.cells.rows.reserve(rows);
    for (unsigned int r = 0; r < rows; ++r) {
        std::vector<QVariant> row(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(book.handle, r, c, &cell) != FREEXL_OK) {
                result.error = QStringLiteral("无法读取工作表“%1”第%2行第%3列。").arg(sheetName).arg(r + 1).arg(c + 1);
                return result;
            }
            row[c] = cellValue(cell);
        }
        result.cells.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

} // namespace quollin
