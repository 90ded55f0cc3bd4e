#include "core/Database.h"

#include "core/Money.h"
#include "core/TextCollation.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

// ----------------------------------------------------------- StatementCache

// Finished statements of one connection by their text, reset and without
// bindings.
class StatementCache {
public:
    // Enough for every statement a command runs over and over; texts built
    // per search would otherwise pile up.
    static constexpr qsizetype kLimit = 48;

    ~StatementCache() { close(); }

    sqlite3_stmt *take(const QString &sql)
    {
        const auto idle = m_idle.constFind(sql);
        if (idle == m_idle.constEnd())
            return nullptr;
        sqlite3_stmt *stmt = idle.value();
        m_idle.erase(idle);
        return stmt;
    }

    void giveBack(const QString &sql, sqlite3_stmt *stmt) noexcept
    {
        // A reset statement holds no read lock, and no value of its last run
        // stays bound to it.
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        if (m_closed || m_idle.contains(sql)) {
            sqlite3_finalize(stmt);
            return;
        }
        if (m_idle.size() >= kLimit) {
            const auto any = m_idle.begin();
            sqlite3_finalize(any.value());
            m_idle.erase(any);
        }
        m_idle.insert(sql, stmt);
    }

    // The connection closes: what is kept goes, what comes back later too.
    void close() noexcept
    {
        m_closed = true;
        for (sqlite3_stmt *stmt : std::as_const(m_idle))
            sqlite3_finalize(stmt);
        m_idle.clear();
    }

    int size() const { return int(m_idle.size()); }

private:
    QHash<QString, sqlite3_stmt *> m_idle;
    bool m_closed = false;
};

// ---------------------------------------------------------------- Statement

Statement::Statement(Database *db, sqlite3_stmt *stmt, QString cacheKey)
    : m_db(db), m_stmt(stmt), m_cache(db->m_cache), m_cacheKey(std::move(cacheKey))
{
}

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_cache(std::move(other.m_cache)),
      m_cacheKey(std::move(other.m_cacheKey)), m_columns(std::move(other.m_columns))
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        release();
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_cache = std::move(other.m_cache);
        m_cacheKey = std::move(other.m_cacheKey);
        m_columns = std::move(other.m_columns);
        other.m_stmt = nullptr;
    }
    return *this;
}

Statement::~Statement() { release(); }

void Statement::release() noexcept
{
    if (!m_stmt)
        return;
    if (m_cache)
        m_cache->giveBack(m_cacheKey, m_stmt);
    else
        sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_cache.reset();
}

void Statement::check(int rc) const
{
    if (rc != SQLITE_OK)
        m_db->fail(rc);
}

int Statement::parameterIndex(const char *name) const
{
    int index = sqlite3_bind_parameter_index(m_stmt, name);
    if (index == 0)
        throw DbError::technical(QStringLiteral("statement has no parameter %1").arg(QLatin1String(name)), SQLITE_MISUSE);
    return index;
}

Statement &Statement::bind(int index, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    // An empty QString binds as empty text, never as NULL.
    check(sqlite3_bind_text(m_stmt, index, utf8.constData() ? utf8.constData() : "", int(utf8.size()),
                            SQLITE_TRANSIENT));
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    check(sqlite3_bind_double(m_stmt, index, value));
    return *this;
}

Statement &Statement::bind(int index, qint64 value)
{
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Statement &Statement::bindNull(int index)
{
    check(sqlite3_bind_null(m_stmt, index));
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

bool Statement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_db->fail(rc);
}

void Statement::exec()
{
    while (next()) {
    }
}

void Statement::reset() { sqlite3_reset(m_stmt); }

void Statement::clearBindings() { sqlite3_clear_bindings(m_stmt); }

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QString Statement::columnName(int index) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, index));
}

int Statement::columnIndex(const char *name) const
{
    if (m_columns.isEmpty()) {
        const int count = sqlite3_column_count(m_stmt);
        for (int i = 0; i < count; ++i)
            m_columns.insert(QByteArray(sqlite3_column_name(m_stmt, i)), i);
    }
    const auto it = m_columns.constFind(QByteArray::fromRawData(name, int(qstrlen(name))));
    if (it == m_columns.constEnd())
        throw DbError::technical(QStringLiteral("no such column in result: %1").arg(QLatin1String(name)), SQLITE_MISUSE);
    return it.value();
}

bool Statement::isNull(int index) const { return sqlite3_column_type(m_stmt, index) == SQLITE_NULL; }

bool Statement::isNumber(int index) const
{
    const int type = sqlite3_column_type(m_stmt, index);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

QString Statement::text(int index) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
    const int bytes = sqlite3_column_bytes(m_stmt, index);
    return data ? QString::fromUtf8(data, bytes) : QString();
}

QByteArrayView Statement::utf8(int index) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
    return data ? QByteArrayView(data, sqlite3_column_bytes(m_stmt, index)) : QByteArrayView();
}

double Statement::real(int index) const { return sqlite3_column_double(m_stmt, index); }

qint64 Statement::integer(int index) const { return sqlite3_column_int64(m_stmt, index); }

QVariant Statement::value(int index) const
{
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(integer(index));
    case SQLITE_FLOAT:
        return QVariant(real(index));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(text(index));
    }
}

// ----------------------------------------------------------------- Database

Database::Database(sqlite3 *db, QString path)
    : m_db(db), m_path(std::move(path)), m_cache(std::make_shared<StatementCache>())
{
}

Database::~Database()
{
    m_cache->close();
    sqlite3_close_v2(m_db);
}

int Database::cachedStatements() const { return m_cache->size(); }

// The extended code when the connection's last error is the one at hand (it
// is not while extended codes are still off, at open).
static int extendedCode(sqlite3 *db, int rc)
{
    const int extended = sqlite3_extended_errcode(db);
    return (extended & 0xff) == (rc & 0xff) ? extended : rc;
}

void Database::fail(int rc) const
{
    throw DbError::technical(QString::fromUtf8(sqlite3_errmsg(m_db)), extendedCode(m_db, rc));
}

namespace {

#ifdef Q_OS_UNIX
bool fileIdentity(const QString &path, quint64 &device, quint64 &inode)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    return true;
}
#endif

} // namespace

std::unique_ptr<Database> Database::open(const QString &path, const QByteArray &key, OpenMode mode)
{
    const bool exists = QFileInfo::exists(path);
    const bool readOnly = mode == OpenMode::ReadOnly;
    if (!exists && mode != OpenMode::CreateIfMissing)
        throw DbError(QStringLiteral("数据库文件不存在：%1").arg(path), SQLITE_CANTOPEN);
#ifdef Q_OS_UNIX
    // The engine keeps its journal (-wal, -shm, -journal) beside the file. A
    // folder it cannot write to makes it fail later with a bare "unable to
    // open database file". (On Windows a folder's read-only mark means
    // something else, so the engine's own error stands there.)
    const QString folder = QFileInfo(path).absolutePath();
    if (!readOnly && !QFileInfo(folder).isWritable())
        throw DbError(QStringLiteral("数据库文件所在的文件夹不能写入：%1").arg(folder), SQLITE_READONLY);
#endif

    // The connection is used from the thread that opened it only: no engine
    // lock around each call (a list of 100,000 rows makes millions of them).
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (!exists)
        flags |= SQLITE_OPEN_CREATE;
    QByteArray name = path.toUtf8();
    if (readOnly) {
        // A file left in write-ahead-log mode cannot be read from a
        // write-protected stick: the engine wants its -shm beside it. Read as
        // an unchanging file, the engine neither locks nor looks for a log.
        // A journal beside the file means its true state is partly in the
        // journal (a writer was stopped half-way): then it is read as usual,
        // so that no half-written page passes for the file's content.
        flags |= SQLITE_OPEN_URI;
        const bool journalBeside = QFileInfo::exists(path + QStringLiteral("-wal"))
                                   || QFileInfo::exists(path + QStringLiteral("-journal"));
        name = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()
               + (journalBeside ? "?mode=ro" : "?mode=ro&immutable=1");
    }
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(name.constData(), &raw, flags, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path));
    if (rc != SQLITE_OK) {
        if (!raw)
            throw DbError::technical(QString::fromUtf8(sqlite3_errstr(rc)), rc);
        db->fail(rc);
    }
    sqlite3_extended_result_codes(raw, 1);
#ifdef Q_OS_UNIX
    fileIdentity(path, db->m_device, db->m_inode);
#endif
    // The engine falls back to reading only when it may not write the file.
    // Refuse before the first read: reading a write-ahead-log file creates its
    // -shm and -wal, which would be left behind with the file's read-only
    // mode and keep the file from opening once it is writable again.
    if (!readOnly && exists && sqlite3_db_readonly(raw, "main") == 1)
        throw DbError(QStringLiteral("数据库文件只能读不能写：%1").arg(path), SQLITE_READONLY);
    TextCollation::registerWith(raw);
    registerMoneyFunctions(raw);

    if (sqlite3_key(raw, key.constData(), int(key.size())) != SQLITE_OK)
        db->fail(sqlite3_errcode(raw));
    // Pages are decrypted each time they enter the engine's cache. The reads
    // left once the goods list keeps its rows are indexed ones (a row, a
    // slip, a customer's lines, the next value of an index) and a sale's few
    // pages: 8 MiB holds every index's upper levels and runs them as fast as
    // 64 MiB did, and a walk over a whole table no longer stays resident.
    db->execScript(QStringLiteral("PRAGMA cache_size=-8192"));
    // Another copy of the program holds the write lock for milliseconds (one
    // sale, one log row). Five seconds covers a slow disk; past that a write
    // fails with SQLITE_BUSY and the window says the file is in use.
    sqlite3_busy_timeout(raw, 5000);

    // Prove the key before anything can write: a garbage file or a wrong key
    // fails here with "file is not a database" and the file stays untouched.
    db->prepare(QStringLiteral("SELECT count(*) FROM sqlite_master")).exec();

    return db;
}

void Database::useDurableJournal()
{
    Statement journal = prepare(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!journal.next() || journal.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("无法打开数据库的预写日志（WAL）"), SQLITE_ERROR);
    journal = prepare(QStringLiteral("PRAGMA synchronous=FULL"));
    journal.exec();
}

Statement Database::prepare(const QString &sql)
{
    // Taken out while in use: a nested prepare of the same text finds none.
    if (sqlite3_stmt *stmt = m_cache->take(sql))
        return Statement(this, stmt, sql);
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return Statement(this, stmt, sql);
}

void Database::run(const QString &sql) { prepare(sql).exec(); }

void Database::execScript(const QString &sql)
{
    char *error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DbError::technical(message, extendedCode(m_db, rc));
    }
}

QString Database::engineVersion()
{
    return QStringLiteral("SQLCipher (SQLite %1)").arg(QString::fromLatin1(sqlite3_libversion()));
}

void Database::checkStillAtPath() const
{
#ifdef Q_OS_UNIX
    if (m_inode == 0)
        return;
    quint64 device = 0;
    quint64 inode = 0;
    if (!fileIdentity(m_path, device, inode) || device != m_device || inode != m_inode)
        throw DbError(QStringLiteral("数据库文件已被删除、改名或换成了另一个文件（%1），数据没有保存。"
                                     "请关闭本程序，找回数据库文件后再打开。")
                          .arg(m_path),
                      SQLITE_CANTOPEN);
#endif
}

qint64 Database::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

int Database::changes() const { return sqlite3_changes(m_db); }

qint64 Database::dataVersion()
{
    Statement s = prepare(QStringLiteral("PRAGMA data_version"));
    s.next();
    return s.integer(0);
}

bool Database::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

QString Database::lastErrorMessage() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

// -------------------------------------------------------------- Transaction

Transaction::Transaction(Database &db) : m_db(db), m_joined(db.inTransaction())
{
    if (m_joined)
        return;
    m_db.checkStillAtPath();
    m_db.run(QStringLiteral("BEGIN IMMEDIATE"));
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
        m_db.run(QStringLiteral("ROLLBACK"));
    } catch (const DbError &) {
        // The engine may already have rolled back on its own (a full disk, an
        // interrupted statement); nothing is left to undo then.
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
    m_db.run(QStringLiteral("COMMIT"));
    m_done = true;
}

} // namespace quollin
