#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace quollin {

// A failure at the database: either the engine reported it (its extended
// result code and its own English words) or this program refused something
// itself. engineMessage() (core/EngineMessage.h) words either for the screen.
class DbError : public std::runtime_error {
public:
    // Our own refusal, worded for the shop owner; code is an engine result
    // code that says what kind of fault it is (SQLITE_READONLY, ...), or 0.
    explicit DbError(const QString &message, int code = 0);
    // A failure in the engine's own words (or a fault in the calling code),
    // with the engine's extended result code: meant for support, so a window
    // puts a sentence of its own in front of it.
    static DbError technical(const QString &detail, int extendedCode);

    QString message() const { return m_message; }
    // The extended result code; its low byte is the primary code.
    int code() const { return m_code; }
    int primaryCode() const { return m_code & 0xff; }
    bool isTechnical() const { return m_technical; }

private:
    QString m_message;
    int m_code;
    bool m_technical = false;
};

class Database;
class StatementCache;

// One prepared statement. Values only ever enter through bind(): no value is
// spliced into statement text. Parameters are named (":name") or numbered
// from 1 ("?").
class Statement {
public:
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement();

    Statement &bind(const char *name, const QString &value);
    Statement &bind(const char *name, const char *value) { return bind(name, QString::fromUtf8(value)); }
    Statement &bind(const char *name, double value);
    Statement &bind(const char *name, qint64 value);
    Statement &bind(const char *name, int value) { return bind(name, qint64(value)); }
    Statement &bind(const char *name, const QVariant &value);
    Statement &bindNull(const char *name);

    Statement &bind(int index, const QString &value);
    Statement &bind(int index, double value);
    Statement &bind(int index, qint64 value);
    Statement &bind(int index, int value) { return bind(index, qint64(value)); }
    Statement &bind(int index, const QVariant &value);
    Statement &bindNull(int index);

    // Steps to the next row; false when there is none. Throws DbError.
    bool next();
    // Runs a statement that returns no rows (or ignores them).
    void exec();
    // Makes the statement ready to run again; bindings stay unless cleared.
    void reset();
    void clearBindings();

    int columnCount() const;
    QString columnName(int index) const;
    // Index of a result column by name; throws DbError for an unknown name,
    // which is a fault in the calling code.
    int columnIndex(const char *name) const;

    bool isNull(int index) const;
    // Whether the engine holds the value as a number (not NULL, text or blob).
    bool isNumber(int index) const;
    QString text(int index) const;
    // The text as the engine holds it (UTF-8), valid until the next step; a
    // null view for NULL. For readers that convert many rows themselves.
    QByteArrayView utf8(int index) const;
    double real(int index) const;
    qint64 integer(int index) const;
    QVariant value(int index) const;

    bool isNull(const char *name) const { return isNull(columnIndex(name)); }
    QString text(const char *name) const { return text(columnIndex(name)); }
    double real(const char *name) const { return real(columnIndex(name)); }
    qint64 integer(const char *name) const { return integer(columnIndex(name)); }
    QVariant value(const char *name) const { return value(columnIndex(name)); }

private:
    friend class Database;
    Statement(Database *db, sqlite3_stmt *stmt, QString cacheKey);
    int parameterIndex(const char *name) const;
    void check(int rc) const;
    // Hands the engine's statement back to the connection's cache (or
    // finalizes it) and leaves this one empty.
    void release() noexcept;

    Database *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    // Where it goes back when done, under the text it was prepared from. A
    // statement may outlive its connection: the cache then finalizes it.
    std::shared_ptr<StatementCache> m_cache;
    QString m_cacheKey;
    mutable QHash<QByteArray, int> m_columns;
};

// The one connection to the shop's database file, owned by one object for the
// whole run and used from the thread that opened it only.
class Database {
public:
    // ReadOnly opens an existing file for reading only, as a file nobody
    // writes (a backup): it works on write-protected media and leaves nothing
    // beside the file, whatever journal mode the file was left in.
    enum class OpenMode { ExistingOnly, CreateIfMissing, ReadOnly };

    // Opens the file with the given key. A file that is not a database, or that
    // the key does not open, is refused with the engine's message and left as
    // it was: nothing is written before the key has been proven right. A file
    // or folder this run may not write to is refused (SQLITE_READONLY) before
    // the engine reads anything, because reading a write-ahead-log file makes
    // the engine create its -shm and -wal files beside it.
    static std::unique_ptr<Database> open(const QString &path, const QByteArray &key,
                                          OpenMode mode = OpenMode::ExistingOnly);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Write-ahead log with full synchronisation: a confirmed sale survives a
    // power cut. The first call on a file writes to it, so callers check what
    // the file holds before.
    void useDurableJournal();

    // Statements are kept once finished and handed out again for the same
    // text (a sale prepares the same few each time, and preparing costs as
    // much as running them). A statement still in use is never handed out
    // twice: a nested prepare of the same text gets one of its own.
    Statement prepare(const QString &sql);
    // How many finished statements wait for reuse; for the tests.
    int cachedStatements() const;
    // Runs statement text without parameters (schema, pragmas).
    void execScript(const QString &sql);

    // Throws DbError when the path no longer names the file this connection
    // has open: deleted, renamed, or another file moved over it. The engine
    // would go on writing into the old file, and every write would look
    // saved. Costs one stat: call it once per write command.
    void checkStillAtPath() const;

    qint64 lastInsertId() const;
    // Counts the commits other connections (another copy of the program, a
    // connection of our own opened apart) made to the file; this
    // connection's own commits leave it as it is.
    qint64 dataVersion();
    int changes() const;
    bool inTransaction() const;
    QString path() const { return m_path; }
    QString lastErrorMessage() const;

    // The engine's version text, for the about box.
    static QString engineVersion();

    // For the benchmarks, which compare our layer with the bare engine.
    sqlite3 *handle() const { return m_db; }

private:
    Database(sqlite3 *db, QString path);
    friend class Statement;
    [[noreturn]] void fail(int rc) const;
    // Runs one of the transaction's own statements (BEGIN, COMMIT...).
    void run(const QString &sql);

    friend class Transaction;

    sqlite3 *m_db;
    QString m_path;
    std::shared_ptr<StatementCache> m_cache;
    // Set when a transaction that joined an open one ended without commit:
    // the open one must not commit half a command.
    bool m_partAbandoned = false;
    // The file's identity when it was opened (device and inode); zero where
    // the system has none to give.
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

// Begins a transaction that rolls back unless commit() is called. The
// transaction takes the write lock at once, so two copies of the program on one
// file cannot interleave a read-then-write. It first checks that the file is
// still the one at the path (Database::checkStillAtPath).
//
// Begun while another is open on the connection, it joins that one: its
// commit() does nothing by itself, and ending without commit makes the open
// one's commit fail (and roll back), so a rule can be called alone or as part
// of a larger command.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Database &m_db;
    bool m_joined = false;
    bool m_done = false;
};

} // namespace quollin
