#include "maintenance/SheetCells.h"

#include "maintenance/WorkbookStream.h"

#include <freexl.h>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QtEndian>

#include <cmath>

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

// The formula cells of one sheet with the results their program stored with
// them. The reader above passes formulas by; their results are read here
// from the workbook's own records (Excel 97-2003 layout).
class FormulaResults {
public:
    FormulaResults(const QByteArray &stream, const QString &sheetName) : m_bytes(stream)
    {
        const std::optional<qsizetype> sheet = readGlobals(sheetName);
        if (sheet)
            readSheet(*sheet);
    }

    // The result of the formula at (row, column); none when no formula is there.
    std::optional<QVariant> at(unsigned int row, unsigned short column) const
    {
        const auto found = m_results.constFind(key(row, column));
        if (found == m_results.constEnd())
            return std::nullopt;
        return *found;
    }

private:
    static quint32 key(unsigned int row, unsigned short column) { return (quint32(row) << 16) | column; }

    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(m_bytes.constData() + at); }
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(m_bytes.constData() + at); }

    // One record: its type and where its body lies; false at the end.
    struct Record {
        quint16 type = 0;
        qsizetype body = 0;
        qsizetype size = 0;
    };
    bool next(qsizetype &position, Record &record) const
    {
        if (position + 4 > m_bytes.size())
            return false;
        record.type = u16(position);
        record.size = u16(position + 2);
        record.body = position + 4;
        if (record.body + record.size > m_bytes.size())
            return false;
        position = record.body + record.size;
        return true;
    }

    // A text of the later layout: its characters one byte each (Latin-1)
    // or two (UTF-16), as its flag byte says.
    QString text(qsizetype at, qsizetype end, qsizetype count) const
    {
        if (at >= end)
            return QString();
        const bool wide = quint8(m_bytes.at(at)) & 1;
        at += 1;
        count = std::min(count, (end - at) / (wide ? 2 : 1));
        if (!wide)
            return QString::fromLatin1(m_bytes.constData() + at, count);
        QString out(count, Qt::Uninitialized);
        for (qsizetype i = 0; i < count; ++i)
            out[i] = QChar(u16(at + 2 * i));
        return out;
    }

    // The workbook part: the sheets' places, the cell formats and the date
    // system. Returns where the sheet of that name starts.
    std::optional<qsizetype> readGlobals(const QString &sheetName)
    {
        qsizetype position = 0;
        Record r;
        if (!next(position, r) || r.type != 0x0809 || r.size < 2)
            return std::nullopt;
        m_wide = u16(r.body) == 0x0600;
        std::optional<qsizetype> sheet;
        while (next(position, r) && r.type != 0x000A) {
            const qsizetype end = r.body + r.size;
            if (r.type == 0x0085 && r.size >= 8) { // the sheet's place and name
                const qsizetype count = quint8(m_bytes.at(r.body + 6));
                const QString name = m_wide ? text(r.body + 7, end, count)
                                            : QString::fromLatin1(m_bytes.constData() + r.body + 7,
                                                                  std::min(count, end - r.body - 7));
                if (!sheet && name.compare(sheetName, Qt::CaseInsensitive) == 0)
                    sheet = qsizetype(u32(r.body));
            } else if (r.type == 0x00E0 && r.size >= 4) { // a cell format: its number format
                m_formatOfXf.append(u16(r.body + 2));
            } else if (r.type == 0x041E && r.size >= 3) { // a number format of the workbook's own
                const QString pattern = m_wide && r.size >= 5 ? text(r.body + 4, end, u16(r.body + 2))
                                                              : QString::fromLatin1(m_bytes.constData() + r.body + 3,
                                                                                    std::min<qsizetype>(quint8(m_bytes.at(r.body + 2)), end - r.body - 3));
                if (isDatePattern(pattern))
                    m_dateFormats.insert(u16(r.body));
            } else if (r.type == 0x0022 && r.size >= 2) {
                m_from1904 = u16(r.body) == 1;
            }
        }
        return sheet;
    }

    bool isDateFormat(quint16 xf) const
    {
        if (xf >= m_formatOfXf.size())
            return false;
        const quint16 format = m_formatOfXf.at(xf);
        return isBuiltInDateFormat(format) || m_dateFormats.contains(format);
    }

    QVariant number(double value, quint16 xf) const
    {
        return isDateFormat(xf) ? dayOrNumber(value, m_from1904) : QVariant(value);
    }

    void readSheet(qsizetype position)
    {
        Record r;
        int depth = 0;
        // A text result comes in the STRING record after its formula.
        bool textPending = false;
        quint32 textCell = 0;
        while (next(position, r)) {
            if (r.type == 0x0809) {
                ++depth;
                continue;
            }
            if (r.type == 0x000A && --depth <= 0)
                break;
            if (depth != 1)
                continue; // a chart's records inside the sheet
            if (r.type == 0x0006 && r.size >= 20) {
                const quint32 cell = key(u16(r.body), u16(r.body + 2));
                const quint16 xf = u16(r.body + 4);
                const qsizetype value = r.body + 6;
                textPending = false;
                if (u16(value + 6) != 0xFFFF) {
                    m_results.insert(cell, number(qFromLittleEndian<double>(m_bytes.constData() + value), xf));
                    continue;
                }
                switch (quint8(m_bytes.at(value))) {
                case 0: // text, in the STRING record that follows
                    textPending = true;
                    textCell = cell;
                    m_results.insert(cell, QVariant::fromValue(UnreadableCell{}));
                    break;
                case 1: // true or false
                    m_results.insert(cell, double(quint8(m_bytes.at(value + 2))));
                    break;
                case 3: // an empty text
                    m_results.insert(cell, QVariant());
                    break;
                default: // an error such as #DIV/0!
                    m_results.insert(cell, QVariant::fromValue(UnreadableCell{}));
                    break;
                }
            } else if (r.type == 0x0207 && textPending && r.size >= 3) {
                const qsizetype count = u16(r.body);
                const qsizetype end = r.body + r.size;
                if (m_wide) {
                    m_results.insert(textCell, text(r.body + 2, end, count));
                } else {
                    // Older files write texts in the system's code page; only
                    // plain ASCII reads the same everywhere.
                    const QByteArray bytes = m_bytes.mid(r.body + 2, std::min(count, end - r.body - 2));
                    bool ascii = true;
                    for (char b : bytes)
                        ascii = ascii && quint8(b) < 0x80;
                    if (ascii)
                        m_results.insert(textCell, QString::fromLatin1(bytes));
                }
                textPending = false;
            }
        }
    }

    const QByteArray &m_bytes;
    bool m_wide = true;
    bool m_from1904 = false;
    QList<quint16> m_formatOfXf;
    QSet<quint16> m_dateFormats;
    QHash<quint32, QVariant> m_results;
};

} // namespace

SheetRead readWorkbookSheet(const QString &path, const QString &sheetName)
{
    // An .xlsx workbook is a zip archive; a renamed one still reads.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("PK\x03\x04", 4))
        return readXlsxSheet(path, sheetName);
    return readXlsSheet(path, sheetName);
}

bool isDatePattern(const QString &pattern)
{
    bool quoted = false;
    bool bracket = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i).toLower();
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (bracket) {
            bracket = c != QLatin1Char(']');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('[')) {
            bracket = true;
        } else if (c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('y') || c == QLatin1Char('d')) {
            return true;
        }
    }
    return false;
}

bool isBuiltInDateFormat(int format)
{
    // The Chinese ones included.
    return (format >= 14 && format <= 17) || format == 22 || (format >= 27 && format <= 36) || (format >= 50 && format <= 58);
}

QVariant dayOrNumber(double serial, bool from1904)
{
    // Past 9999-12-31 a spreadsheet shows no date either.
    if (!std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return serial;
    const QDate epoch = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return epoch.addDays(qint64(std::floor(serial)));
}

bool isUnreadable(const QVariant &cell) { return cell.metaType() == QMetaType::fromType<UnreadableCell>(); }

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
    // The reader above sees a formula cell as empty.
    const std::optional<QByteArray> stream = readWorkbookStream(path);
    const QByteArray records = stream.value_or(QByteArray());
    const FormulaResults formulas(records, sheetName);
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
            if (cell.type == FREEXL_CELL_NULL) {
                if (const std::optional<QVariant> formula = formulas.at(r, c))
                    row[c] = *formula;
            }
        }
        result.cells.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

} // namespace quollin
