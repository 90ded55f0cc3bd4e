#include "maintenance/MoveToServer.h"

#include "core/Database.h"
#include "core/DatabaseLocation.h"
#include "core/EngineMessage.h"
#include "core/Money.h"
#include "core/NumberText.h"
#include "core/Schema.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <tuple>
#include <vector>

namespace quollin {

namespace {

// What a column holds on the server, which decides how a file's cell goes
// over and how the column is summed.
enum class Kind { Key, Text, Amount, Whole };

Kind kindOf(const QString &column)
{
    if (column == QLatin1String("ID") || column == QLatin1String("id") || column == QLatin1String("rowid"))
        return Kind::Key;
    if (column == QLatin1String("goods_id"))
        return Kind::Whole;
    if (column == QLatin1String("a5") || (column.size() == 1 && column.at(0).isDigit()))
        return Kind::Amount;
    return Kind::Text;
}

struct Table {
    QString name;
    QStringList columns; // the key first
};

QList<Table> shopTables()
{
    // The accounts are listed in the order they were added: the file keeps
    // it in the hidden rowid, the server in a column of that name.
    return {{QStringLiteral("data"), Schema::goodsColumns()},
            {QStringLiteral("data1"), Schema::saleLineColumns()},
            {QStringLiteral("userdb"), QStringList{QStringLiteral("rowid")} + Schema::userColumns()},
            {QStringLiteral("rz"), Schema::logColumns()}};
}

QString caption(const QString &table)
{
    if (table == QLatin1String("data"))
        return QStringLiteral("商品");
    if (table == QLatin1String("data1"))
        return QStringLiteral("销售明细");
    if (table == QLatin1String("userdb"))
        return QStringLiteral("操作员");
    return QStringLiteral("操作日志");
}

QString tableName(const QString &table) { return QStringLiteral("%1（%2）").arg(caption(table), table); }

QString quotedList(const QStringList &columns)
{
    QStringList quoted;
    for (const QString &column : columns)
        quoted << Schema::quoted(column);
    return quoted.join(QLatin1Char(','));
}

// The file's sum of a column counts each cell as what the server is given
// for it: fen() reads a number text as the copy does (abs() reads its value
// too), and of the whole numbers only integer cells go over.
QString tallyText(const Table &table, bool server)
{
    QStringList parts{QStringLiteral("count(*)")};
    for (const QString &column : table.columns) {
        const QString q = Schema::quoted(column);
        QString sum;
        switch (kindOf(column)) {
        case Kind::Text:
            continue;
        case Kind::Key:
            sum = QStringLiteral("sum(%1)").arg(q);
            break;
        case Kind::Amount:
            // The server's fen() has no value for an amount beyond what a
            // bigint of fen holds; the file's would saturate, so such a cell
            // (garbage in an old file) is left out of the file's sum too.
            sum = server ? QStringLiteral("sum(fen(%1))").arg(q)
                         : QStringLiteral("sum(CASE WHEN abs(%1) < 9.2e16 THEN fen(%1) END)").arg(q);
            break;
        case Kind::Whole:
            sum = server ? QStringLiteral("sum(%1)").arg(q)
                         : QStringLiteral("sum(CASE WHEN typeof(%1) = 'integer' THEN %1 END)").arg(q);
            break;
        }
        // The server sums bigint columns as numeric.
        parts << (server ? QStringLiteral("CAST(%1 AS bigint)").arg(sum) : sum);
    }
    return QStringLiteral("SELECT %1 FROM %2").arg(parts.join(QStringLiteral(", ")), table.name);
}

MoveToServer::Tally tally(Database &db, const Table &table)
{
    MoveToServer::Tally out;
    out.table = table.name;
    for (const QString &column : table.columns)
        if (kindOf(column) != Kind::Text)
            out.columns << column;
    Statement s = db.prepare(tallyText(table, db.isServer()));
    if (!s.next())
        throw DbError::technical(QStringLiteral("no count of %1").arg(table.name), 1);
    out.rows = s.integer(0);
    for (int i = 0; i < out.columns.size(); ++i)
        out.sums << (s.isNull(i + 1) ? std::nullopt : std::optional<qint64>(s.integer(i + 1)));
    return out;
}

QString sumText(const QString &column, const std::optional<qint64> &sum)
{
    if (!sum)
        return QStringLiteral("无");
    return kindOf(column) == Kind::Amount ? Money::fromFen(*sum).general() : QString::number(*sum);
}

QString columnCaption(const QString &column)
{
    return kindOf(column) == Kind::Key ? QStringLiteral("编号之和") : QStringLiteral("列 %1").arg(column);
}

void compare(const MoveToServer::Tally &file, const MoveToServer::Tally &server, QStringList *differences)
{
    if (file.rows != server.rows)
        *differences << QStringLiteral("%1 行数：文件 %2，服务器 %3").arg(tableName(file.table)).arg(file.rows).arg(server.rows);
    for (qsizetype i = 0; i < file.columns.size() && i < server.sums.size(); ++i) {
        if (file.sums.at(i) != server.sums.at(i))
            *differences << QStringLiteral("%1 %2：文件 %3，服务器 %4")
                                .arg(tableName(file.table), columnCaption(file.columns.at(i)),
                                     sumText(file.columns.at(i), file.sums.at(i)),
                                     sumText(file.columns.at(i), server.sums.at(i)));
    }
}

// The file as the system sees it: the move refuses a file that another
// program wrote to meanwhile (read as an unchanging file when no journal is
// beside it, it has no lock to keep writers out).
using FileState = QList<std::tuple<bool, qint64, QDateTime>>;

FileState stateOf(const QString &path)
{
    FileState state;
    for (const char *suffix : {"", "-wal", "-journal"}) {
        const QFileInfo info(path + QLatin1String(suffix));
        state << std::make_tuple(info.exists(), info.size(), info.lastModified());
    }
    return state;
}

// A server takes at most 65,535 values per statement.
constexpr int kValuesPerInsert = 60000;

struct Stopped {};

class Copier {
public:
    Copier(Database &file, Database &server, MoveToServer::Report &report, const MoveToServer::Progress &progress,
           qint64 total)
        : m_file(file), m_server(server), m_report(report), m_progress(progress), m_total(total)
    {
    }

    void copy(const Table &table)
    {
        const QString columns = quotedList(table.columns);
        Statement read = m_file.prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                            .arg(columns, table.name, Schema::quoted(table.columns.first())));
        const int width = int(table.columns.size());
        const int batch = std::max(1, kValuesPerInsert / width);
        std::vector<Kind> kinds;
        for (const QString &column : table.columns)
            kinds.push_back(kindOf(column));

        std::vector<QVariant> values;
        values.reserve(size_t(batch) * size_t(width));
        std::optional<Statement> full;
        auto flush = [&] {
            const int rows = int(values.size()) / width;
            if (rows == 0)
                return;
            auto insertFor = [&](int count) {
                return m_server.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                            .arg(table.name, columns, rowPlaceholders(width, count)));
            };
            std::optional<Statement> partial;
            if (rows == batch && !full)
                full.emplace(insertFor(batch));
            else if (rows != batch)
                partial.emplace(insertFor(rows));
            Statement &insert = rows == batch ? *full : *partial;
            for (size_t i = 0; i < values.size(); ++i)
                insert.bind(int(i) + 1, values[i]);
            insert.exec();
            insert.reset();
            values.clear();
            m_copied += rows;
            if (m_progress && !m_progress(m_copied, m_total))
                throw Stopped{};
        };

        while (read.next()) {
            const QVariant key = read.value(0);
            if (key.typeId() != QMetaType::LongLong)
                throw DbError(QStringLiteral("%1中有一行的编号不是整数（%2），编号无法保留。")
                                  .arg(tableName(table.name), read.text(0)));
            values.push_back(key);
            for (int i = 1; i < width; ++i)
                values.push_back(cell(read, i, kinds[size_t(i)], table, table.columns.at(i), key.toLongLong()));
            if (int(values.size()) == batch * width)
                flush();
        }
        flush();
    }

    // The file never hands a key out twice, even after its row was deleted:
    // the server goes on past the highest key the file handed out.
    void moveSequencePast(const Table &table)
    {
        const QString key = table.columns.first();
        qint64 highest = 0;
        Statement sequences = m_file.prepare(
            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence'"));
        if (sequences.next() && sequences.integer(0) > 0) {
            Statement seq = m_file.prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = :name"));
            seq.bind(":name", table.name);
            if (seq.next())
                highest = seq.integer(0);
        }
        Statement copied = m_server.prepare(QStringLiteral("SELECT max(%1) FROM %2").arg(Schema::quoted(key), table.name));
        if (copied.next())
            highest = std::max(highest, copied.integer(0));
        Statement set = m_server.prepare(
            QStringLiteral("SELECT setval(pg_get_serial_sequence(:table, :column), :next, false)"));
        set.bind(":table", table.name).bind(":column", key).bind(":next", highest + 1).exec();
    }

private:
    static QString rowPlaceholders(int width, int rows)
    {
        const QString row = QLatin1Char('(') + Schema::placeholders(size_t(width)) + QLatin1Char(')');
        QString out;
        out.reserve((row.size() + 1) * rows);
        for (int i = 0; i < rows; ++i) {
            if (i)
                out += QLatin1Char(',');
            out += row;
        }
        return out;
    }

    QVariant cell(const Statement &read, int index, Kind kind, const Table &table, const QString &column, qint64 key)
    {
        if (read.isNull(index))
            return {};
        switch (kind) {
        case Kind::Key:
        case Kind::Text:
            return read.text(index);
        case Kind::Amount:
            if (read.isNumber(index))
                return read.real(index);
            if (const std::optional<double> number = NumberText::parseDecimal(read.text(index))) {
                ++m_report.numbersFromText;
                return *number;
            }
            break;
        case Kind::Whole: {
            const QVariant value = read.value(index);
            if (value.typeId() == QMetaType::LongLong)
                return value;
            break;
        }
        }
        m_report.emptied << MoveToServer::Cell{table.name, key, column, read.text(index)};
        return {};
    }

    Database &m_file;
    Database &m_server;
    MoveToServer::Report &m_report;
    const MoveToServer::Progress &m_progress;
    const qint64 m_total;
    qint64 m_copied = 0;
};

} // namespace

MoveToServer::Report MoveToServer::run(const QString &filePath, const QString &serverUri, const Progress &progress)
{
    Report report;
    report.file = DatabaseLocation::shown(filePath);
    report.server = DatabaseLocation::shown(serverUri);
    if (!Database::isServerLocation(serverUri)) {
        report.failure = QStringLiteral("服务器地址应以 postgresql:// 开头，例如 postgresql://服务器名/数据库名。");
        return report;
    }
    if (Database::isServerLocation(filePath)) {
        report.failure = QStringLiteral("店的数据已经在服务器上了。");
        return report;
    }
    if (!QFileInfo(filePath).isFile()) {
        report.failure = QStringLiteral("数据库文件不存在：%1").arg(report.file);
        return report;
    }
    try {
        const FileState before = stateOf(filePath);
        auto file = Database::open(filePath, QByteArray(ShopDatabase::kKey), Database::OpenMode::ReadOnly);
        Schema::verify(*file);
        auto server = Database::open(serverUri, QByteArray());
        if (!Schema::isEmptyServer(*server)) {
            report.failure = QStringLiteral("服务器上的这个数据库不是空的，程序没有改动它。"
                                            "数据只能搬进一个新建的空数据库。");
            return report;
        }
        // The counts and the rows come from one state of the file.
        file->execScript(QStringLiteral("BEGIN"));
        const QList<Table> tables = shopTables();
        QList<Tally> fromFile;
        qint64 total = 0;
        for (const Table &table : tables) {
            fromFile << tally(*file, table);
            total += fromFile.last().rows;
        }

        Transaction transaction(*server);
        Schema::create(*server);
        Copier copier(*file, *server, report, progress, total);
        for (const Table &table : tables) {
            copier.copy(table);
            copier.moveSequencePast(table);
        }
        QStringList differences;
        for (qsizetype i = 0; i < tables.size(); ++i)
            compare(fromFile.at(i), tally(*server, tables.at(i)), &differences);
        file->execScript(QStringLiteral("COMMIT"));
        if (!differences.isEmpty()) {
            report.failure = QStringLiteral("服务器上的数据与文件核对不符，已全部撤销，服务器上的数据库仍是空的：\n")
                             + differences.join(QLatin1Char('\n'));
            return report;
        }
        if (stateOf(filePath) != before) {
            report.failure = QStringLiteral("搬运期间另有程序改动了数据库文件，已全部撤销。"
                                            "请关闭所有使用这个文件的程序后再搬。");
            return report;
        }
        transaction.commit();
        report.tables = fromFile;
        report.ok = true;
    } catch (const Stopped &) {
        report.failure = QStringLiteral("搬运已取消，服务器上的数据库没有改变。");
    } catch (const DbError &e) {
        report.failure = engineMessage(e);
    }
    return report;
}

MoveToServer::Report MoveToServer::moveTo(const QString &serverUri, const Progress &progress)
{
    m_shop.demand(OperatorRestrictions::Command::MoveToServer);
    return run(m_shop.databasePath(), serverUri, progress);
}

QString MoveToServer::Report::text(qsizetype listLimit) const
{
    if (!ok)
        return QStringLiteral("数据没有搬到服务器：") + failure;
    QStringList lines;
    lines << QStringLiteral("已把数据库文件 %1 搬到服务器 %2，两边核对相同：").arg(file, server);
    for (const Tally &t : tables) {
        QStringList sums;
        for (qsizetype i = 0; i < t.columns.size(); ++i)
            sums << QStringLiteral("%1 %2").arg(columnCaption(t.columns.at(i)), sumText(t.columns.at(i), t.sums.at(i)));
        if (t.rows == 0)
            lines << QStringLiteral("%1：0 行").arg(tableName(t.table));
        else
            lines << QStringLiteral("%1：%2 行；%3").arg(tableName(t.table)).arg(t.rows).arg(sums.join(QStringLiteral("，")));
    }
    if (numbersFromText > 0)
        lines << QStringLiteral("数字列中有 %1 处数字存成了文字，已按数字保存。").arg(numbersFromText);
    if (!emptied.isEmpty()) {
        lines << QStringLiteral("数字列中有 %1 处不是数字，服务器上留空了，请核对后重新填写：").arg(emptied.size());
        const qsizetype shown = listLimit < 0 ? emptied.size() : std::min(listLimit, emptied.size());
        for (qsizetype i = 0; i < shown; ++i) {
            const Cell &c = emptied.at(i);
            lines << QStringLiteral("  %1 编号 %2，列 %3：“%4”").arg(tableName(c.table)).arg(c.key).arg(c.column, c.text);
        }
        if (shown < emptied.size())
            lines << QStringLiteral("  另有 %1 处没有列出。").arg(emptied.size() - shown);
    }
    lines << QStringLiteral("以后各收银台请用服务器地址启动：quollin --database '%1'").arg(server);
    return lines.join(QLatin1Char('\n'));
}

} // namespace quollin
