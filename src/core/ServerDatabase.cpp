#include "core/ServerDatabase.h"

#include <libpq-fe.h>

#include <QHash>
#include <QLocale>

#include <cstdlib>
#include <cstring>

namespace quollin {

namespace {

constexpr int kError = 1;       // the embedded engine's SQLITE_ERROR
constexpr int kPerm = 3;        // SQLITE_PERM
constexpr int kNoMem = 7;       // SQLITE_NOMEM
constexpr int kReadOnly = 8;    // SQLITE_READONLY
constexpr int kInterrupt = 9;   // SQLITE_INTERRUPT
constexpr int kFull = 13;       // SQLITE_FULL
constexpr int kConstraint = 19; // SQLITE_CONSTRAINT
constexpr int kMisuse = 21;     // SQLITE_MISUSE

// The server's result type numbers (pg_type) this class reads as numbers.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

bool isWhole(Oid type) { return type == kInt8 || type == kInt2 || type == kInt4 || type == kBool; }
bool isNumeric(Oid type) { return isWhole(type) || type == kFloat4 || type == kFloat8 || type == kNumeric; }

// What kind of fault a server error is, in the codes our messages know.
int codeOf(const char *state)
{
    if (!state)
        return kError;
    const QByteArray s(state);
    if (s == "40001" || s == "40P01" || s == "55P03")
        return DbError::kConflict;
    if (s.startsWith("08") || s == "57P01" || s == "57P02" || s == "57P03")
        return DbError::kServerLost;
    if (s.startsWith("23"))
        return kConstraint;
    if (s == "53100")
        return kFull;
    if (s == "53200")
        return kNoMem;
    if (s == "57014")
        return kInterrupt;
    if (s == "42501" || s.startsWith("28"))
        return kPerm;
    if (s == "25006")
        return kReadOnly;
    return kError;
}

} // namespace

// The connection itself, shared with the statements made on it, which may
// outlive the ServerDatabase object.
struct ServerLink {
    PGconn *conn = nullptr;
    // Counts the connections made: a statement prepared under another
    // generation is unknown to the server now.
    int generation = 1;
    int changes = 0;
    int nextName = 0;
    // A write transaction is open: a broken connection is not made anew
    // under it, or its remaining statements would run outside it.
    bool writing = false;
    // Statement names to give back once no transaction is open.
    QList<QByteArray> unused;

    ~ServerLink()
    {
        if (conn)
            PQfinish(conn);
    }

    bool broken() const { return PQstatus(conn) != CONNECTION_OK; }

    DbError lost() const
    {
        return DbError::technical(QString::fromUtf8(PQerrorMessage(conn)).trimmed(), DbError::kServerLost);
    }

    // The error a failed result stands for; a dropped connection is always
    // reported as such, whatever libpq made of it.
    DbError failure(PGresult *result) const
    {
        if (broken())
            return lost();
        const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const QString words = QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn)).trimmed();
        return DbError::technical(words.isEmpty() ? QString::fromUtf8(PQerrorMessage(conn)).trimmed() : words,
                                  codeOf(state));
    }

    // The result of a command that worked (rows or none); a failed one is
    // cleared and its error thrown.
    PGresult *checked(PGresult *result) const
    {
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const DbError error = failure(result);
            PQclear(result);
            throw error;
        }
        return result;
    }

    // Runs text without parameters; the result is the caller's to clear.
    PGresult *run(const char *sql) { return checked(PQexec(conn, sql)); }
    void runAndForget(const char *sql) { PQclear(run(sql)); }

    // The session's settings, on every new connection.
    void setUp()
    {
        if (PQsetClientEncoding(conn, "UTF8") != 0)
            throw failure(nullptr);
        runAndForget("SET datestyle = 'ISO'");
        // Another till holds a row for milliseconds (one sale). Five seconds
        // covers a slow moment, as the file's busy timeout does; past that the
        // command fails as a conflict and is run again or reported.
        runAndForget("SET lock_timeout = '5s'");
        const QByteArray listen = QByteArray("LISTEN ") + ServerDatabase::kChannel;
        runAndForget(listen.constData());
    }

    // A broken connection is made anew, unless a transaction was open on it.
    void ensure()
    {
        if (!broken())
            return;
        if (writing)
            throw lost();
        PQreset(conn);
        if (broken())
            throw lost();
        ++generation;
        unused.clear();
        setUp();
    }

    void giveBackUnused()
    {
        if (unused.isEmpty() || broken() || PQtransactionStatus(conn) != PQTRANS_IDLE)
            return;
        const QList<QByteArray> names = std::exchange(unused, {});
        for (const QByteArray &name : names) {
            const QByteArray sql = "DEALLOCATE " + name;
            PQclear(PQexec(conn, sql.constData()));
        }
    }
};

// ------------------------------------------------------------ statement text

namespace {

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The end of the quoted text or name that starts at i (a doubled quote stays
// inside it).
qsizetype quotedEnd(const QByteArray &in, qsizetype i)
{
    const char quote = in.at(i);
    qsizetype j = i + 1;
    while (j < in.size()) {
        if (in.at(j) == quote) {
            if (j + 1 < in.size() && in.at(j + 1) == quote) {
                j += 2;
                continue;
            }
            break;
        }
        ++j;
    }
    return std::min(j + 1, in.size());
}

bool keywordAt(const QByteArray &in, qsizetype i, const char *word)
{
    const qsizetype n = qsizetype(std::strlen(word));
    if (i + n > in.size() || (i > 0 && isWordChar(in.at(i - 1))) || (i + n < in.size() && isWordChar(in.at(i + n))))
        return false;
    return in.mid(i, n).toUpper() == word;
}

// The embedded engine orders NULL before every value (last when
// descending); the server the other way round. Every ORDER BY item is told
// where its NULLs go, so lists come in the same order from both. The keys
// never hold NULL and stay as they are, so that their index serves them.
QByteArray withFileNullOrder(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size() + 32);
    struct List {
        int depth;
        qsizetype itemStart; // in out
    };
    std::vector<List> lists;
    int depth = 0;
    const auto finishItem = [&out](qsizetype start) {
        qsizetype end = out.size();
        while (end > start && std::isspace(static_cast<unsigned char>(out.at(end - 1))))
            --end;
        const QByteArray item = out.mid(start, end - start).trimmed();
        const QByteArray upper = item.toUpper();
        if (item.isEmpty() || upper.contains("NULLS") || item == "\"ID\"" || item == "\"id\"" || upper == "ROWID")
            return;
        const bool descending = upper.endsWith(" DESC");
        out.insert(end, descending ? " NULLS LAST" : " NULLS FIRST");
    };
    for (qsizetype i = 0; i < in.size();) {
        const char c = in.at(i);
        if (c == '\'' || c == '"') {
            const qsizetype end = quotedEnd(in, i);
            out += in.mid(i, end - i);
            i = end;
            continue;
        }
        const bool inList = !lists.empty() && lists.back().depth == depth;
        if (inList && (c == ',' || c == ')' || keywordAt(in, i, "LIMIT") || keywordAt(in, i, "OFFSET")
                       || keywordAt(in, i, "FOR") || keywordAt(in, i, "UNION") || keywordAt(in, i, "FETCH"))) {
            finishItem(lists.back().itemStart);
            if (c == ',') {
                out += c;
                lists.back().itemStart = out.size();
                ++i;
                continue;
            }
            lists.pop_back();
        }
        if (keywordAt(in, i, "ORDER")) {
            qsizetype j = i + 5;
            while (j < in.size() && std::isspace(static_cast<unsigned char>(in.at(j))))
                ++j;
            if (keywordAt(in, j, "BY")) {
                out += in.mid(i, j + 2 - i);
                i = j + 2;
                lists.push_back({depth, out.size()});
                continue;
            }
        }
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        out += c;
        ++i;
    }
    while (!lists.empty()) {
        finishItem(lists.back().itemStart);
        lists.pop_back();
    }
    return out;
}

} // namespace

QByteArray ServerDatabase::serverText(const QString &sql, QList<QByteArray> *parameterNames)
{
    const QByteArray in = sql.toUtf8();
    QByteArray out;
    out.reserve(in.size() + 16);
    QList<QByteArray> names;
    int numbered = 0;
    for (qsizetype i = 0; i < in.size();) {
        const char c = in.at(i);
        if (c == '\'' || c == '"') {
            // Quoted text and names pass as they are.
            const qsizetype end = quotedEnd(in, i);
            out += in.mid(i, end - i);
            i = end;
        } else if (c == ':' && i + 1 < in.size() && isWordChar(in.at(i + 1)) && (i == 0 || in.at(i - 1) != ':')) {
            qsizetype j = i + 1;
            while (j < in.size() && isWordChar(in.at(j)))
                ++j;
            const QByteArray name = in.mid(i, j - i);
            qsizetype number = names.indexOf(name);
            if (number < 0) {
                names << name;
                number = names.size() - 1;
            }
            out += '$' + QByteArray::number(number + 1);
            i = j;
        } else if (c == '?') {
            names << QByteArray("?") + QByteArray::number(++numbered);
            out += '$' + QByteArray::number(names.size());
            ++i;
        } else if ((c == 'L' || c == 'l') && in.mid(i, 4).toUpper() == "LIKE" && (i == 0 || !isWordChar(in.at(i - 1)))
                   && (i + 4 >= in.size() || !isWordChar(in.at(i + 4)))) {
            out += "ILIKE";
            i += 4;
        } else {
            out += c;
            ++i;
        }
    }
    if (parameterNames)
        *parameterNames = names;
    return withFileNullOrder(out);
}

// ------------------------------------------------------------------- cursor

namespace {

class ServerCursor final : public Cursor {
public:
    ServerCursor(std::shared_ptr<ServerLink> link, QByteArray text, QList<QByteArray> names)
        : m_link(std::move(link)), m_text(std::move(text)), m_names(std::move(names)),
          m_values(m_names.size()), m_null(m_names.size(), true)
    {
        prepareOnServer();
    }

    ~ServerCursor() override
    {
        clear();
        if (m_described)
            PQclear(m_described);
        if (m_generation == m_link->generation)
            m_link->unused << m_name;
    }

    int parameterIndex(const char *name) const override { return int(m_names.indexOf(QByteArray(name))) + 1; }
    void bindText(int index, const QByteArray &utf8) override { set(index, utf8.isNull() ? QByteArray("") : utf8); }
    void bindReal(int index, double value) override
    {
        set(index, QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
    }
    void bindInteger(int index, qint64 value) override { set(index, QByteArray::number(value)); }
    void bindNull(int index) override
    {
        check(index);
        m_null[index - 1] = true;
        m_values[index - 1].clear();
    }

    bool step() override
    {
        if (!m_result)
            execute();
        return ++m_row < m_rows;
    }
    void reset() override { clear(); }
    void clearBindings() override
    {
        for (qsizetype i = 0; i < m_values.size(); ++i) {
            m_values[i].clear();
            m_null[i] = true;
        }
    }

    int columnCount() const override { return PQnfields(description()); }
    QString columnName(int index) const override { return QString::fromUtf8(PQfname(description(), index)); }
    bool isNull(int index) const override { return PQgetisnull(m_result, m_row, index) != 0; }
    bool isNumber(int index) const override { return !isNull(index) && isNumeric(PQftype(m_result, index)); }
    QByteArrayView utf8(int index) const override
    {
        if (isNull(index))
            return {};
        return QByteArrayView(PQgetvalue(m_result, m_row, index), PQgetlength(m_result, m_row, index));
    }
    double real(int index) const override
    {
        if (isNull(index))
            return 0;
        const char *text = PQgetvalue(m_result, m_row, index);
        if (PQftype(m_result, index) == kBool)
            return text[0] == 't' ? 1 : 0;
        return std::strtod(text, nullptr);
    }
    qint64 integer(int index) const override
    {
        if (isNull(index))
            return 0;
        const char *text = PQgetvalue(m_result, m_row, index);
        const Oid type = PQftype(m_result, index);
        if (type == kBool)
            return text[0] == 't' ? 1 : 0;
        if (isWhole(type))
            return std::strtoll(text, nullptr, 10);
        // As the embedded engine does: a fraction is cut off.
        return qint64(std::strtod(text, nullptr));
    }
    QVariant value(int index) const override
    {
        if (isNull(index))
            return QVariant();
        const Oid type = PQftype(m_result, index);
        if (isWhole(type))
            return QVariant(integer(index));
        if (isNumeric(type))
            return QVariant(real(index));
        return QVariant(QString::fromUtf8(utf8(index)));
    }

private:
    void check(int index) const
    {
        if (index < 1 || index > m_names.size())
            throw DbError::technical(QStringLiteral("no parameter %1").arg(index), kMisuse);
    }
    void set(int index, const QByteArray &value)
    {
        check(index);
        m_values[index - 1] = value;
        m_null[index - 1] = false;
    }
    void clear()
    {
        if (m_result)
            PQclear(m_result);
        m_result = nullptr;
        m_row = -1;
        m_rows = 0;
    }

    void prepareOnServer()
    {
        m_link->ensure();
        m_generation = m_link->generation;
        m_name = "q" + QByteArray::number(++m_link->nextName);
        PQclear(m_link->checked(
            PQprepare(m_link->conn, m_name.constData(), m_text.constData(), int(m_names.size()), nullptr)));
        if (m_described) {
            PQclear(m_described);
            m_described = nullptr;
        }
    }

    void execute()
    {
        m_link->ensure();
        if (m_generation != m_link->generation)
            prepareOnServer();
        std::vector<const char *> values(size_t(m_names.size()));
        std::vector<int> lengths(size_t(m_names.size()));
        for (qsizetype i = 0; i < m_names.size(); ++i) {
            values[size_t(i)] = m_null[i] ? nullptr : m_values[i].constData();
            lengths[size_t(i)] = int(m_values[i].size());
        }
        PGresult *result = m_link->checked(PQexecPrepared(m_link->conn, m_name.constData(), int(m_names.size()),
                                                          values.data(), lengths.data(), nullptr, 0));
        m_result = result;
        m_row = -1;
        m_rows = PQresultStatus(result) == PGRES_TUPLES_OK ? PQntuples(result) : 0;
        m_link->changes = std::atoi(PQcmdTuples(result));
    }

    // The result's columns, also before the statement ran.
    PGresult *description() const
    {
        if (m_result)
            return m_result;
        if (!m_described)
            m_described = m_link->checked(PQdescribePrepared(m_link->conn, m_name.constData()));
        return m_described;
    }

    std::shared_ptr<ServerLink> m_link;
    QByteArray m_text;
    QList<QByteArray> m_names;
    QList<QByteArray> m_values;
    QList<bool> m_null;
    QByteArray m_name;
    int m_generation = 0;
    PGresult *m_result = nullptr;
    mutable PGresult *m_described = nullptr;
    int m_row = -1;
    int m_rows = 0;
};

} // namespace

// ----------------------------------------------------------------- database

ServerDatabase::ServerDatabase(std::shared_ptr<ServerLink> link, QString uri)
    : Database(std::move(uri)), m_link(std::move(link))
{
}

ServerDatabase::~ServerDatabase() { forgetStatements(); }

std::unique_ptr<Database> ServerDatabase::connect(const QString &uri)
{
    auto link = std::make_shared<ServerLink>();
    link->conn = PQconnectdb(uri.toUtf8().constData());
    if (!link->conn)
        throw DbError(QStringLiteral("内存不足，无法连接数据库服务器。"), kNoMem);
    if (PQstatus(link->conn) != CONNECTION_OK)
        throw DbError::technical(QString::fromUtf8(PQerrorMessage(link->conn)).trimmed(), DbError::kServerRefused);
    link->setUp();
    return std::unique_ptr<Database>(new ServerDatabase(std::move(link), uri));
}

std::unique_ptr<Cursor> ServerDatabase::compile(const QString &sql)
{
    m_link->ensure();
    m_link->giveBackUnused();
    QList<QByteArray> names;
    QByteArray text = serverText(sql, &names);
    return std::make_unique<ServerCursor>(m_link, std::move(text), std::move(names));
}

void ServerDatabase::execScript(const QString &sql)
{
    m_link->ensure();
    const QByteArray text = sql.toUtf8();
    m_link->runAndForget(text.constData());
}

void ServerDatabase::runPlain(const char *sql) { m_link->runAndForget(sql); }

void ServerDatabase::beginWrite()
{
    m_link->ensure();
    m_link->giveBackUnused();
    m_pendingAnnouncements.clear();
    runPlain("BEGIN");
    m_link->writing = true;
}

void ServerDatabase::commitWrite()
{
    for (const QByteArray &payload : std::as_const(m_pendingAnnouncements)) {
        const char *values[] = {kChannel, payload.constData()};
        PQclear(m_link->checked(
            PQexecParams(m_link->conn, "SELECT pg_notify($1, $2)", 2, nullptr, values, nullptr, nullptr, 0)));
    }
    m_pendingAnnouncements.clear();
    PGresult *result = PQexec(m_link->conn, "COMMIT");
    const bool committed = PQresultStatus(result) == PGRES_COMMAND_OK && std::strcmp(PQcmdStatus(result), "COMMIT") == 0;
    if (!committed) {
        // A transaction that failed earlier ends in ROLLBACK without an
        // error of its own; a dropped connection leaves the outcome to the
        // server, so the operator is told to look before entering it again.
        DbError error = m_link->broken()
                            ? DbError(QStringLiteral("提交时与数据库服务器的连接断开了，这次操作可能没有保存。"
                                                     "请在程序重新连接后查看，再决定是否重做。"),
                                      DbError::kServerLost)
                            : PQresultStatus(result) == PGRES_COMMAND_OK
                                  ? DbError(QStringLiteral("操作的一部分没有完成，已全部撤销。"))
                                  : m_link->failure(result);
        PQclear(result);
        m_link->writing = false;
        throw error;
    }
    PQclear(result);
    m_link->writing = false;
}

void ServerDatabase::rollbackWrite()
{
    m_pendingAnnouncements.clear();
    m_link->writing = false;
    if (m_link->broken())
        return; // the server has rolled it back on its own
    runPlain("ROLLBACK");
}

qint64 ServerDatabase::lastInsertId()
{
    Statement last = prepare(QStringLiteral("SELECT lastval()"));
    last.next();
    return last.integer(0);
}

qint64 ServerDatabase::dataVersion()
{
    // Other tills' commits arrive as announcements. After a reconnection
    // some may have been missed: the count tells the held rows to read again.
    return m_link->generation;
}

int ServerDatabase::changes() const { return m_link->changes; }

bool ServerDatabase::inTransaction() const
{
    const PGTransactionStatusType status = PQtransactionStatus(m_link->conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

QString ServerDatabase::lastErrorMessage() const { return QString::fromUtf8(PQerrorMessage(m_link->conn)).trimmed(); }

QString ServerDatabase::engineDescription() const
{
    const int version = PQserverVersion(m_link->conn);
    return QStringLiteral("PostgreSQL %1.%2（服务器），libpq %3")
        .arg(version / 10000)
        .arg(version % 10000)
        .arg(PQlibVersion() / 10000);
}

QList<QByteArray> ServerDatabase::takeAnnouncements()
{
    QList<QByteArray> out;
    if (m_link->broken() || PQconsumeInput(m_link->conn) == 0)
        return out;
    const int own = PQbackendPID(m_link->conn);
    while (PGnotify *notice = PQnotifies(m_link->conn)) {
        if (notice->be_pid != own)
            out << QByteArray(notice->extra);
        PQfreemem(notice);
    }
    return out;
}

int ServerDatabase::announcementSocket() const { return PQsocket(m_link->conn); }

void ServerDatabase::announce(const QByteArray &payload)
{
    if (inTransaction()) {
        m_pendingAnnouncements << payload;
        return;
    }
    const char *values[] = {kChannel, payload.constData()};
    PQclear(PQexecParams(m_link->conn, "SELECT pg_notify($1, $2)", 2, nullptr, values, nullptr, nullptr, 0));
}

} // namespace quollin
