// Reads one sheet of an Office Open XML workbook (.xlsx): a zip archive of
// XML parts tied together by relationship parts.
#include "maintenance/SheetCells.h"

#include <zip.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <cmath>
#include <optional>

namespace quollin {

namespace {

// A workbook of goods inflates to a few megabytes. The caps keep a hostile
// archive (a small file that inflates to gigabytes) from taking the memory.
constexpr qint64 kPartLimit = 64 * 1024 * 1024;
constexpr qint64 kArchiveLimit = 128 * 1024 * 1024;
// Cells held at once, gaps included: a few references far apart must not
// make the sheet take more memory than its file is long.
constexpr qint64 kCellLimit = 2'000'000;
// A spreadsheet's own bounds.
constexpr qint64 kMaxRows = 1'048'576;
constexpr qint64 kMaxColumns = 16'384;

// Why a workbook cannot be read; carries the message for SheetRead.
struct Unreadable {
    QString why;
};

class Archive {
public:
    explicit Archive(const QString &path)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    }
    ~Archive()
    {
        if (m_zip)
            zip_discard(m_zip);
    }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    bool isOpen() const { return m_zip != nullptr; }

    bool has(const QString &part) const { return index(part) >= 0; }

    // The inflated bytes of a part; the name is taken in any letter case, as
    // the package's part names are.
    QByteArray read(const QString &part)
    {
        const zip_int64_t at = index(part);
        if (at < 0)
            throw Unreadable{QStringLiteral("工作簿缺少“%1”部分。").arg(part)};
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_zip, zip_uint64_t(at), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)
            && stat.size > zip_uint64_t(kPartLimit))
            throw tooLarge(part);
        zip_file_t *file = zip_fopen_index(m_zip, zip_uint64_t(at), 0);
        if (!file)
            throw damaged(part);
        // The size in the archive's directory may lie: what counts is what
        // actually comes out.
        constexpr qint64 kChunk = 64 * 1024;
        QByteArray bytes;
        if (stat.valid & ZIP_STAT_SIZE)
            bytes.reserve(qsizetype(stat.size) + kChunk);
        for (;;) {
            if (bytes.size() > kPartLimit || m_inflated > kArchiveLimit) {
                zip_fclose(file);
                throw tooLarge(part);
            }
            const qsizetype had = bytes.size();
            bytes.resize(had + kChunk);
            const zip_int64_t got = zip_fread(file, bytes.data() + had, kChunk);
            if (got < 0) {
                zip_fclose(file);
                throw damaged(part);
            }
            bytes.resize(had + qsizetype(got));
            m_inflated += got;
            if (got == 0)
                break;
        }
        zip_fclose(file);
        return bytes;
    }

private:
    zip_int64_t index(const QString &part) const { return zip_name_locate(m_zip, part.toUtf8().constData(), ZIP_FL_NOCASE); }

    static Unreadable damaged(const QString &part) { return {QStringLiteral("工作簿的“%1”部分已损坏。").arg(part)}; }
    static Unreadable tooLarge(const QString &part)
    {
        return {QStringLiteral("工作簿的“%1”部分解压后过大，不像是商品表。").arg(part)};
    }

    zip_t *m_zip = nullptr;
    qint64 m_inflated = 0;
};

// A reader over one part that refuses document type declarations: no part of
// a workbook has one, and entity definitions are how hostile XML multiplies.
class Part {
public:
    Part(QByteArray bytes, QString name) : m_bytes(std::move(bytes)), m_name(std::move(name)), m_xml(m_bytes) {}

    QXmlStreamReader &xml() { return m_xml; }

    bool next()
    {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::DTD)
            m_xml.raiseError(QStringLiteral("DTD"));
        if (m_xml.hasError())
            throw Unreadable{QStringLiteral("工作簿的“%1”部分不是完好的XML（%2）。").arg(m_name, m_xml.errorString())};
        return token != QXmlStreamReader::EndDocument;
    }
    bool isStart(QLatin1StringView name) const { return m_xml.isStartElement() && m_xml.name() == name; }
    bool isEnd(QLatin1StringView name) const { return m_xml.isEndElement() && m_xml.name() == name; }
    QString attribute(QLatin1StringView name) const { return m_xml.attributes().value(name).toString(); }

    // The text of the element just started, through its end: the <t> pieces
    // of a plain or rich text, leaving out phonetic guides (<rPh>), which
    // show above the text and are no part of it.
    QString text()
    {
        const QString end = m_xml.name().toString();
        QString out;
        int depth = 0;
        int phoneticDepth = 0; // where the guide started; 0 outside one
        bool inText = false;
        while (next()) {
            if (m_xml.isStartElement()) {
                ++depth;
                if (m_xml.name() == QLatin1StringView("rPh") && phoneticDepth == 0)
                    phoneticDepth = depth;
                inText = m_xml.name() == QLatin1StringView("t");
            } else if (m_xml.isEndElement()) {
                if (depth == 0 && m_xml.name() == end)
                    break;
                if (depth == phoneticDepth)
                    phoneticDepth = 0;
                --depth;
                inText = false;
            } else if (m_xml.isCharacters() && inText && phoneticDepth == 0) {
                out += m_xml.text();
            }
        }
        return unescape(out);
    }

private:
    // Characters XML cannot carry are written "_xHHHH_" (a line break in a
    // cell as "_x000D_"); "_x005F_" escapes an underscore itself.
    static QString unescape(const QString &text)
    {
        if (!text.contains(QLatin1StringView("_x")))
            return text;
        QString out;
        out.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('_') && i + 6 < text.size() && text.at(i + 1) == QLatin1Char('x')
                && text.at(i + 6) == QLatin1Char('_')) {
                bool ok = false;
                const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
                if (ok) {
                    out += QChar(code);
                    i += 6;
                    continue;
                }
            }
            out += text.at(i);
        }
        return out;
    }

    QByteArray m_bytes;
    QString m_name;
    QXmlStreamReader m_xml;
};

// The folder of a part, for targets given relative to it.
QString folderOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString relationshipsOf(const QString &part)
{
    const QString folder = folderOf(part);
    const QString name = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + name
           + QStringLiteral(".rels");
}

struct Relationship {
    QString type; // the last word of the type, such as "worksheet"
    QString target;
};

// The relationships of a part, by id, with targets as part names.
QHash<QString, Relationship> readRelationships(Archive &archive, const QString &source)
{
    const QString name = relationshipsOf(source);
    Part part(archive.read(name), name);
    QHash<QString, Relationship> out;
    while (part.next()) {
        if (!part.isStart(QLatin1StringView("Relationship")))
            continue;
        if (part.attribute(QLatin1StringView("TargetMode")).compare(QLatin1StringView("External"), Qt::CaseInsensitive) == 0)
            continue;
        const QString type = part.attribute(QLatin1StringView("Type"));
        QString target = part.attribute(QLatin1StringView("Target"));
        target = target.startsWith(QLatin1Char('/')) ? target.mid(1)
                                                     : (folderOf(source).isEmpty() ? target : folderOf(source) + QLatin1Char('/') + target);
        out.insert(part.attribute(QLatin1StringView("Id")),
                   {type.mid(type.lastIndexOf(QLatin1Char('/')) + 1), QDir::cleanPath(target)});
    }
    return out;
}

std::optional<QString> targetOfType(const QHash<QString, Relationship> &relationships, QLatin1StringView type)
{
    for (const Relationship &r : relationships)
        if (r.type == type)
            return r.target;
    return std::nullopt;
}

// What the workbook part says of the sheet asked for.
struct WorkbookPart {
    QString sheetRelationship; // empty when no sheet has the name
    bool from1904 = false;
};

WorkbookPart readWorkbook(Archive &archive, const QString &name, const QString &sheetName)
{
    Part part(archive.read(name), name);
    WorkbookPart out;
    while (part.next()) {
        if (part.isStart(QLatin1StringView("workbookPr"))) {
            const QString flag = part.attribute(QLatin1StringView("date1904"));
            out.from1904 = flag == QLatin1StringView("1") || flag == QLatin1StringView("true");
        } else if (part.isStart(QLatin1StringView("sheet")) && out.sheetRelationship.isEmpty()
                   && part.attribute(QLatin1StringView("name")).compare(sheetName, Qt::CaseInsensitive) == 0) {
            // r:id, in whichever namespace the writer used for relationships.
            for (const QXmlStreamAttribute &a : part.xml().attributes())
                if (a.name() == QLatin1StringView("id") && !a.namespaceUri().isEmpty())
                    out.sheetRelationship = a.value().toString();
        }
    }
    return out;
}

std::vector<QString> readSharedStrings(Archive &archive, const QString &name)
{
    Part part(archive.read(name), name);
    std::vector<QString> out;
    while (part.next())
        if (part.isStart(QLatin1StringView("si")))
            out.push_back(part.text());
    return out;
}

// For each cell format (a cell's s attribute): whether it shows a date.
std::vector<bool> readDateStyles(Archive &archive, const QString &name)
{
    Part part(archive.read(name), name);
    QHash<int, QString> patterns;
    std::vector<bool> out;
    bool cellFormats = false;
    while (part.next()) {
        if (part.isStart(QLatin1StringView("numFmt"))) {
            patterns.insert(part.attribute(QLatin1StringView("numFmtId")).toInt(),
                            part.attribute(QLatin1StringView("formatCode")));
        } else if (part.isStart(QLatin1StringView("cellXfs"))) {
            cellFormats = true;
        } else if (part.isEnd(QLatin1StringView("cellXfs"))) {
            cellFormats = false;
        } else if (cellFormats && part.isStart(QLatin1StringView("xf"))) {
            const int format = part.attribute(QLatin1StringView("numFmtId")).toInt();
            const auto own = patterns.constFind(format);
            out.push_back(own != patterns.constEnd() ? isDatePattern(*own) : isBuiltInDateFormat(format));
        }
    }
    return out;
}

// "AB12" -> column 27 and row 11, both counted from 0; the row may be missing.
bool parseReference(QStringView reference, qint64 &column, qint64 &row)
{
    qsizetype i = 0;
    column = 0;
    while (i < reference.size() && reference.at(i).isLetter() && reference.at(i).unicode() < 128) {
        column = column * 26 + (reference.at(i).toUpper().unicode() - 'A' + 1);
        if (column > kMaxColumns)
            return false;
        ++i;
    }
    if (i == 0)
        return false;
    --column;
    row = -1;
    if (i < reference.size()) {
        bool ok = false;
        row = reference.mid(i).toLongLong(&ok) - 1;
        if (!ok || row < 0 || row >= kMaxRows)
            return false;
    }
    return true;
}

class SheetPart {
public:
    SheetPart(const std::vector<QString> &strings, const std::vector<bool> &dateStyles, bool from1904)
        : m_strings(strings), m_dateStyles(dateStyles), m_from1904(from1904)
    {
    }

    SheetCells read(Archive &archive, const QString &name)
    {
        Part part(archive.read(name), name);
        qint64 row = -1;
        qint64 nextColumn = 0;
        bool inData = false;
        while (part.next()) {
            if (part.isStart(QLatin1StringView("sheetData"))) {
                inData = true;
            } else if (part.isEnd(QLatin1StringView("sheetData"))) {
                inData = false;
            } else if (inData && part.isStart(QLatin1StringView("row"))) {
                const QString number = part.attribute(QLatin1StringView("r"));
                bool ok = true;
                row = number.isEmpty() ? row + 1 : number.toLongLong(&ok) - 1;
                if (!ok || row < 0 || row >= kMaxRows)
                    throw Unreadable{QStringLiteral("工作表的行号“%1”无效。").arg(number)};
                nextColumn = 0;
            } else if (inData && part.isStart(QLatin1StringView("c"))) {
                if (row < 0)
                    throw Unreadable{QStringLiteral("工作表的单元格不在任何行里。")};
                const QString reference = part.attribute(QLatin1StringView("r"));
                qint64 column = nextColumn;
                qint64 referenceRow = -1;
                if (!reference.isEmpty() && !parseReference(reference, column, referenceRow))
                    throw Unreadable{QStringLiteral("工作表的单元格引用“%1”无效。").arg(reference)};
                nextColumn = column + 1;
                if (column >= kMaxColumns)
                    throw Unreadable{QStringLiteral("工作表的列超出了范围。")};
                const QVariant value = cell(part);
                if (value.isValid())
                    put(row, column, value);
            }
        }
        return std::move(m_cells);
    }

private:
    // The value of the <c> element just started, read through its end.
    QVariant cell(Part &part)
    {
        const QString type = part.attribute(QLatin1StringView("t"));
        const QString style = part.attribute(QLatin1StringView("s"));
        std::optional<QString> stored; // <v>
        std::optional<QString> ownText; // <is>
        bool formula = false;
        while (part.next() && !part.isEnd(QLatin1StringView("c"))) {
            if (part.isStart(QLatin1StringView("v")))
                stored = part.xml().readElementText();
            else if (part.isStart(QLatin1StringView("is")))
                ownText = part.text();
            else if (part.isStart(QLatin1StringView("f")))
                formula = true;
        }

        if (type == QLatin1StringView("inlineStr"))
            return ownText.value_or(QString());
        if (type == QLatin1StringView("str") && stored)
            return *stored; // an empty text is a result too
        if (stored && stored->trimmed().isEmpty())
            stored.reset();
        if (!stored)
            // A formula saved without its result (never calculated) has no
            // value that can be told.
            return formula ? QVariant::fromValue(UnreadableCell{}) : QVariant();
        if (type == QLatin1StringView("s")) {
            bool ok = false;
            const qulonglong at = stored->trimmed().toULongLong(&ok);
            if (!ok || at >= m_strings.size())
                throw Unreadable{QStringLiteral("工作表引用了不存在的共享文本“%1”。").arg(*stored)};
            return m_strings[at];
        }
        if (type == QLatin1StringView("e"))
            return QVariant::fromValue(UnreadableCell{});
        if (type == QLatin1StringView("b"))
            return stored->trimmed() == QLatin1StringView("1") || stored->trimmed() == QLatin1StringView("true") ? 1.0 : 0.0;
        if (type == QLatin1StringView("d")) {
            const QDate day = QDate::fromString(stored->trimmed().left(10), Qt::ISODate);
            return day.isValid() ? QVariant(day) : QVariant::fromValue(UnreadableCell{});
        }
        bool ok = false;
        const double number = QLocale::c().toDouble(stored->trimmed(), &ok);
        if (!ok || !std::isfinite(number))
            return QVariant::fromValue(UnreadableCell{});
        const qulonglong s = style.toULongLong();
        if (s < m_dateStyles.size() && m_dateStyles[s])
            return dayOrNumber(number, m_from1904);
        return number;
    }

    void put(qint64 row, qint64 column, const QVariant &value)
    {
        std::vector<std::vector<QVariant>> &rows = m_cells.rows;
        qint64 growth = 0;
        if (qint64(rows.size()) <= row)
            growth += row + 1 - qint64(rows.size());
        const qint64 width = row < qint64(rows.size()) ? qint64(rows[row].size()) : 0;
        if (width <= column)
            growth += column + 1 - width;
        m_held += growth;
        if (m_held > kCellLimit)
            throw Unreadable{QStringLiteral("工作表的单元格太多，不像是商品表。")};
        if (qint64(rows.size()) <= row)
            rows.resize(size_t(row + 1));
        if (width <= column)
            rows[row].resize(size_t(column + 1));
        rows[row][column] = value;
    }

    const std::vector<QString> &m_strings;
    const std::vector<bool> &m_dateStyles;
    const bool m_from1904;
    SheetCells m_cells;
    qint64 m_held = 0;
};

SheetCells readSheet(Archive &archive, const QString &sheetName)
{
    // The package's start: which part is the workbook.
    const QHash<QString, Relationship> package = readRelationships(archive, QString());
    const std::optional<QString> workbookName = targetOfType(package, QLatin1StringView("officeDocument"));
    if (!workbookName)
        throw Unreadable{QStringLiteral("不是Excel工作簿（.xlsx）。")};
    const WorkbookPart workbook = readWorkbook(archive, *workbookName, sheetName);
    if (workbook.sheetRelationship.isEmpty())
        throw Unreadable{QStringLiteral("工作簿里没有名为“%1”的工作表。").arg(sheetName)};
    const QHash<QString, Relationship> related = readRelationships(archive, *workbookName);
    const auto sheet = related.constFind(workbook.sheetRelationship);
    if (sheet == related.constEnd())
        throw Unreadable{QStringLiteral("工作簿里找不到工作表“%1”。").arg(sheetName)};

    // Both parts are optional: a sheet of numbers only needs no texts, and
    // one without styles shows no dates.
    std::vector<QString> strings;
    if (const std::optional<QString> name = targetOfType(related, QLatin1StringView("sharedStrings")))
        if (archive.has(*name))
            strings = readSharedStrings(archive, *name);
    std::vector<bool> dateStyles;
    if (const std::optional<QString> name = targetOfType(related, QLatin1StringView("styles")))
        if (archive.has(*name))
            dateStyles = readDateStyles(archive, *name);
    return SheetPart(strings, dateStyles, workbook.from1904).read(archive, sheet->target);
}

} // namespace

SheetRead readXlsxSheet(const QString &path, const QString &sheetName)
{
    SheetRead result;
    if (!QFileInfo(path).isFile()) {
        result.error = QStringLiteral("文件不存在：%1").arg(path);
        return result;
    }
    Archive archive(path);
    if (!archive.isOpen()) {
        result.error = QStringLiteral("不是可以读取的Excel工作簿（.xlsx）：%1").arg(path);
        return result;
    }
    try {
        result.cells = readSheet(archive, sheetName);
        result.ok = true;
    } catch (const Unreadable &e) {
        result.error = e.why;
    } catch (const std::bad_alloc &) {
        result.error = QStringLiteral("工作簿太大，无法读取。");
    }
    return result;
}

} // namespace quollin
