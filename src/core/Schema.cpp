#include "core/Schema.h"

#include "core/Database.h"

namespace quollin::Schema {

namespace {

QStringList letters(char from, char to)
{
    QStringList out;
    for (char c = from; c <= to; ++c)
        out << QString(QLatin1Char(c));
    return out;
}

struct Table {
    const char *name;
    QStringList columns;
};

QList<Table> tables()
{
    return {{"data", goodsColumns()}, {"data1", saleLineColumns()}, {"userdb", userColumns()}, {"rz", logColumns()}};
}

} // namespace

QStringList goodsColumns()
{
    return QStringList{QStringLiteral("ID")} + letters('a', 'g') + letters('1', '8')
           + QStringList{QStringLiteral("z"), QStringLiteral("day1")};
}

QStringList saleLineColumns()
{
    return QStringList{QStringLiteral("ID")} + letters('a', 'z') + letters('1', '4')
           + QStringList{QStringLiteral("a5")} + letters('6', '9')
           + QStringList{QStringLiteral("day1"), QStringLiteral("day2"), QStringLiteral("day3"),
                         QStringLiteral("day4"), QStringLiteral("day5"), QStringLiteral("day6"),
                         QStringLiteral("goods_id")};
}

QStringList userColumns() { return {QStringLiteral("username"), QStringLiteral("passwd")}; }

QStringList logColumns()
{
    return {QStringLiteral("id"), QStringLiteral("username"), QStringLiteral("btime"), QStringLiteral("jtime")};
}

QString quoted(const QString &identifier)
{
    QString inner = identifier;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString placeholders(size_t count)
{
    QString list;
    list.reserve(int(count) * 2);
    for (size_t i = 0; i < count; ++i)
        list += i ? QStringLiteral(",?") : QStringLiteral("?");
    return list;
}

QString containsCondition(const QString &column, const QString &parameter)
{
    return quoted(column) + QStringLiteral(" LIKE ") + parameter + QStringLiteral(" ESCAPE '\\'");
}

QString containsPattern(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += ch;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

namespace {

// Column type by the name's shape: digit names and a5 are amounts, day
// columns ISO date text, the keys integers, everything else text.
QString columnDefinition(const QString &table, const QString &column)
{
    QString type = QStringLiteral("TEXT");
    if (column == QLatin1String("ID") || column == QLatin1String("id"))
        return quoted(column) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
    if (column == QLatin1String("goods_id"))
        type = QStringLiteral("INTEGER");
    else if (column == QLatin1String("a5") || (column.size() == 1 && column.at(0).isDigit()))
        type = QStringLiteral("REAL");
    if (table == QLatin1String("userdb") && column == QLatin1String("username"))
        return quoted(column) + QStringLiteral(" TEXT NOT NULL UNIQUE");
    return quoted(column) + QLatin1Char(' ') + type;
}

} // namespace

namespace {

struct Index {
    const char *name;
    const char *table;
    const char *columns; // comma-separated, unquoted
    const char *where = nullptr; // a partial index: only the rows where this holds
};

// The drop-down lists read the distinct values of a, b, c, d and g: with an
// index each is a walk over small index pages, not a decryption and sort of
// the whole table.
constexpr Index kIndexes[] = {
    {"data_day1", "data", "day1"},     {"data_a", "data", "a"},         {"data_b", "data", "b"},
    {"data_c", "data", "c"},           {"data_d", "data", "d"},         {"data_g", "data", "g"},
    {"data1_day1", "data1", "day1"},   {"data1_z", "data1", "z"},       {"data1_g", "data1", "g"},
    {"data1_goods_id", "data1", "goods_id"},
    // The profit and sales charts sum a5 and "4" over a range of days: with
    // both in the index the sums never fetch a table row per line.
    {"data1_day1_sums", "data1", "day1,a5,4"},
    // The records window's category list, read at every opening.
    {"data1_d", "data1", "d"},
    // The records window's live searches read the lines of the matching
    // names, codes, specifications and remarks through these (the category
    // and customer ones above serve theirs).
    {"data1_e", "data1", "e"},         {"data1_c", "data1", "c"},       {"data1_f", "data1", "f"},
    {"data1_j", "data1", "j"},
    // The lines that are not sales (returns, and quantities of 0 or none):
    // a few in a large file. The records window tells sales from returns by
    // this index instead of reading every line's quantity; it also lists the
    // returns by date.
    {"data1_unsold", "data1", "day1,3", "(\"3\">0) IS NOT 1"},
};

void createIndexes(Database &db)
{
    for (const Index &index : kIndexes) {
        QStringList columns;
        for (const QString &column : QString::fromLatin1(index.columns).split(QLatin1Char(',')))
            columns << quoted(column);
        db.execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)%4")
                          .arg(QLatin1String(index.name), QLatin1String(index.table), columns.join(QLatin1Char(',')),
                               index.where ? QStringLiteral(" WHERE ") + QLatin1String(index.where) : QString()));
    }
}

} // namespace

void create(Database &db)
{
    for (const Table &table : tables()) {
        QStringList defs;
        for (const QString &column : table.columns)
            defs << columnDefinition(QLatin1String(table.name), column);
        db.execScript(QStringLiteral("CREATE TABLE %1 (%2)").arg(QLatin1String(table.name), defs.join(QStringLiteral(", "))));
    }
    createIndexes(db);
    db.execScript(QStringLiteral("PRAGMA user_version=%1").arg(kVersion));
}

void verify(Database &db)
{
    Statement version = db.prepare(QStringLiteral("PRAGMA user_version"));
    const int found = version.next() ? int(version.integer(0)) : 0;
    if (found > kVersion)
        throw DbError(QStringLiteral("数据库文件由更新的版本写成（格式 %1），本程序只认识格式 %2。")
                          .arg(found)
                          .arg(kVersion));

    for (const Table &table : tables()) {
        Statement info = db.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(QLatin1String(table.name))));
        QStringList present;
        while (info.next())
            present << info.text("name");
        if (present.isEmpty())
            throw DbError(QStringLiteral("数据库文件中没有表 %1。").arg(QLatin1String(table.name)));
        for (const QString &column : table.columns) {
            if (!present.contains(column))
                throw DbError(QStringLiteral("数据库文件的表 %1 缺少列 %2。").arg(QLatin1String(table.name), column));
        }
    }
}

bool hasIndexOn(const QString &table, const QString &column)
{
    for (const Index &index : kIndexes) {
        if (table == QLatin1String(index.table)
            && QString::fromLatin1(index.columns).section(QLatin1Char(','), 0, 0) == column)
            return true;
    }
    return false;
}

namespace {

bool lacksIndexes(Database &db)
{
    Statement present = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"));
    QStringList names;
    while (present.next())
        names << present.text(0);
    for (const Index &index : kIndexes)
        if (!names.contains(QLatin1String(index.name)))
            return true;
    return false;
}

} // namespace

void addMissingIndexes(Database &db)
{
    if (!lacksIndexes(db))
        return;
    Transaction transaction(db);
    createIndexes(db);
    transaction.commit();
}

} // namespace quollin::Schema
