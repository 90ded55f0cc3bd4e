#include "core/Database.h"

#include "core/FileDatabase.h"
#include "core/ServerDatabase.h"

namespace quollin {

DbError::DbError(const QString &message, int code)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code)
{
}

DbError DbError::technical(const QString &detail, int extendedCode)
{
    DbError error(detail, extendedCode);
    error.m_technical = true;
    return error;
}

// A fault in the calling code, not in the books.
static constexpr int kMisuse = 21; // the embedded engine's SQLITE_MISUSE

// ----------------------------------------------------------- StatementCache

// Finished statements of one connection by their text, reset and without
// bindings.
class StatementCache {
public:
    // Enough for every statement a command runs over and over; texts built
    // per search would otherwise pile up.
    static constexpr qsizetype kLimit = 48;

    std::unique_ptr<Cursor> take(const QString &sql)
    {
        const auto idle = m_idle.find(sql);
        if (idle == m_idle.end())
            return nullptr;
        std::unique_ptr<Cursor> cursor = std::move(idle->second);
        m_idle.erase(idle);
        return cursor;
    }

    void giveBack(const QString &sql, std::unique_ptr<Cursor> cursor) noexcept
    {
        if (m_closed || m_idle.count(sql))
            return;
        try {
            // A reset statement holds no read lock, and no value of its last
            // run stays bound to it.
            cursor->reset();
            cursor->clearBindings();
            if (qsizetype(m_idle.size()) >= kLimit)
                m_idle.erase(m_idle.begin());
            m_idle.emplace(sql, std::move(cursor));
        } catch (...) {
            // A statement that cannot be made ready again is not kept.
        }
    }

    // The connection closes (or was made anew): what is kept goes, what
    // comes back from before then too.
    void close() noexcept
    {
        m_closed = true;
        m_idle.clear();
    }

    int size() const { return int(m_idle.size()); }

private:
    std::unordered_map<QString, std::unique_ptr<Cursor>> m_idle;
    bool m_closed = false;
};

// ---------------------------------------------------------------- Statement

Statement::Statement(Database *db, std::unique_ptr<Cursor> cursor, QString cacheKey)
    : m_db(db), m_stmt(std::move(cursor)), m_cache(db->m_cache), m_cacheKey(std::move(cacheKey))
{
}

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db), m_stmt(std::move(other.m_stmt)), m_cache(std::move(other.m_cache)),
      m_cacheKey(std::move(other.m_cacheKey)), m_columns(std::move(other.m_columns))
{
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        release();
        m_db = other.m_db;
        m_stmt = std::move(other.m_stmt);
        m_cache = std::move(other.m_cache);
        m_cacheKey = std::move(other.m_cacheKey);
        m_columns = std::move(other.m_columns);
    }
    return *this;
}

Statement::~Statement() { release(); }

void Statement::release() noexcept
{
    if (!m_stmt)
        return;
    if (m_cache)
        m_cache->giveBack(m_cacheKey, std::move(m_stmt));
    m_stmt.reset();
    m_cache.reset();
}

int Statement::parameterIndex(const char *name) const
{
    const int index = m_stmt->parameterIndex(name);
    if (index == 0)
        throw DbError::technical(QStringLiteral("statement has no parameter %1").arg(QLatin1String(name)), kMisuse);
    return index;
}

Statement &Statement::bind(int index, const QString &value)
{
    // An empty QString binds as empty text, never as NULL.
    m_stmt->bindText(index, value.toUtf8());
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    m_stmt->bindReal(index, value);
    return *this;
}

Statement &Statement::bind(int index, qint64 value)
{
    m_stmt->bindInteger(index, value);
    return *this;
}

Statement &Statement::bindNull(int index)
{
    m_stmt->bindNull(index);
    return *this;
}

Statement &Statement::bind(int index, const QVariant &value)
{
    if (value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return bind(index, value.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return bind(index, value.toLongLong());
    default:
        return bind(index, value.toString());
    }
}

Statement &Statement::bind(const char *name, const QString &value) { return bind(parameterIndex(name), value); }
Statement &Statement::bind(const char *name, double value) { return bind(parameterIndex(name), value); }
Statement &Statement::bind(const char *name, qint64 value) { return bind(parameterIndex(name), value); }
Statement &Statement::bind(const char *name, const QVariant &value) { return bind(parameterIndex(name), value); }
Statement &Statement::bindNull(const char *name) { return bindNull(parameterIndex(name)); }

bool Statement::next() { return m_stmt->step(); }

void Statement::exec()
{
    while (next()) {
    }
}

void Statement::reset() { m_stmt->reset(); }

void Statement::clearBindings() { m_stmt->clearBindings(); }

int Statement::columnCount() const { return m_stmt->columnCount(); }

QString Statement::columnName(int index) const { return m_stmt->columnName(index); }

int Statement::columnIndex(const char *name) const
{
    if (m_columns.isEmpty()) {
        const int count = m_stmt->columnCount();
        for (int i = 0; i < count; ++i)
            m_columns.insert(m_stmt->columnName(i).toUtf8(), i);
    }
    const auto it = m_columns.constFind(QByteArray::fromRawData(name, int(qstrlen(name))));
    if (it == m_columns.constEnd())
        throw DbError::technical(QStringLiteral("no such column in result: %1").arg(QLatin1String(name)), kMisuse);
    return it.value();
}

bool Statement::isNull(int index) const { return m_stmt->isNull(index); }

bool Statement::isNumber(int index) const { return m_stmt->isNumber(index); }

QString Statement::text(int index) const
{
    const QByteArrayView data = m_stmt->utf8(index);
    return data.isNull() ? QString() : QString::fromUtf8(data);
}

QByteArrayView Statement::utf8(int index) const { return m_stmt->utf8(index); }

double Statement::real(int index) const { return m_stmt->real(index); }

qint64 Statement::integer(int index) const { return m_stmt->integer(index); }

QVariant Statement::value(int index) const { return m_stmt->value(index); }

// ----------------------------------------------------------------- Database

Database::Database(QString path) : m_path(std::move(path)), m_cache(std::make_shared<StatementCache>()) {}

Database::~Database() { m_cache->close(); }

bool Database::isServerLocation(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"));
}

std::unique_ptr<Database> Database::open(const QString &location, const QByteArray &key, OpenMode mode)
{
    if (isServerLocation(location))
        return ServerDatabase::connect(location);
    return FileDatabase::open(location, key, mode);
}

int Database::cachedStatements() const { return m_cache->size(); }

void Database::forgetStatements()
{
    m_cache->close();
    m_cache = std::make_shared<StatementCache>();
}

Statement Database::prepare(const QString &sql)
{
    // Taken out while in use: a nested prepare of the same text finds none.
    if (std::unique_ptr<Cursor> kept = m_cache->take(sql))
        return Statement(this, std::move(kept), sql);
    return Statement(this, compile(sql), sql);
}

// -------------------------------------------------------------- Transaction

Transaction::Transaction(Database &db) : m_db(db), m_joined(db.inTransaction())
{
    if (m_joined)
        return;
    m_db.checkStillAtPath();
    m_db.beginWrite();
    m_db.m_partAbandoned = false;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    if (m_joined) {
        m_db.m_partAbandoned = true;
        return;
    }
    try {
        m_db.rollbackWrite();
    } catch (const DbError &) {
        // The engine may already have rolled back on its own (a full disk, an
        // interrupted statement, a lost server); nothing is left to undo then.
    }
}

void Transaction::commit()
{
    if (m_joined) {
        m_done = true;
        return;
    }
    if (m_db.m_partAbandoned)
        throw DbError(QStringLiteral("操作的一部分没有完成，已全部撤销。"));
    m_db.commitWrite();
    m_done = true;
}

} // namespace quollin
