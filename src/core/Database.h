#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

struct sqlite3;

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

    // Codes of our own, above the engine's, for what only a server reports.
    // Their low byte is the embedded engine's nearest kind.
    // The connection to the server broke: nothing of the command was saved.
    static constexpr int kServerLost = 0x10000 | 10;   // like SQLITE_IOERR
    // Another till's transaction stood in the way (a deadlock, a
    // serialisation failure): the command may simply run again.
    static constexpr int kConflict = 0x20000 | 5;      // like SQLITE_BUSY
    // The server refused us (no such database, role or password).
    static constexpr int kServerRefused = 0x30000 | 14; // like SQLITE_CANTOPEN
    bool isConflict() const { return m_code == kConflict; }

private:
    QString m_message;
    int m_code;
    bool m_technical = false;
};

class Database;
class StatementCache;

// How often a command that met another till's transaction (DbError::
// isConflict) runs again before the operator is told.
inline constexpr int kConflictAttempts = 5;

// What an engine's prepared statement does for Statement. Each backend
// (the embedded file, the shop server) has its own; nothing outside
// core/ sees them.
class Cursor {
public:
    virtual ~Cursor() = default;
    // 0 when the statement has no parameter of that name.
    virtual int parameterIndex(const char *name) const = 0;
    virtual void bindText(int index, const QByteArray &utf8) = 0;
    virtual void bindReal(int index, double value) = 0;
    virtual void bindInteger(int index, qint64 value) = 0;
    virtual void bindNull(int index) = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    virtual void clearBindings() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    virtual bool isNull(int index) const = 0;
    virtual bool isNumber(int index) const = 0;
    virtual QByteArrayView utf8(int index) const = 0;
    virtual double real(int index) const = 0;
    virtual qint64 integer(int index) const = 0;
    // Whole numbers as qint64, other numbers as double, text as QString.
    virtual QVariant value(int index) const = 0;
};

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
    Statement(Database *db, std::unique_ptr<Cursor> cursor, QString cacheKey);
    int parameterIndex(const char *name) const;
    // Hands the engine's statement back to the connection's cache (or
    // finalizes it) and leaves this one empty.
    void release() noexcept;

    Database *m_db = nullptr;
    std::unique_ptr<Cursor> m_stmt;
    // Where it goes back when done, under the text it was prepared from. A
    // statement may outlive its connection: the cache then finalizes it.
    std::shared_ptr<StatementCache> m_cache;
    QString m_cacheKey;
    mutable QHash<QByteArray, int> m_columns;
};

// The one connection to the shop's books, owned by one object for the whole
// run and used from the thread that opened it only. The books live in an
// encrypted file (one till) or on a PostgreSQL server (several tills); the
// rules and windows never know which. Where the two engines read statements
// differently the connection says so (isServer(), lockRows()).
class Database {
public:
    // ReadOnly opens an existing file for reading only, as a file nobody
    // writes (a backup): it works on write-protected media and leaves nothing
    // beside the file, whatever journal mode the file was left in.
    enum class OpenMode { ExistingOnly, CreateIfMissing, ReadOnly };

    // Opens the books at a location: a file path, or a server's connection
    // URI (isServerLocation). A file is opened with the given key: one that is
    // not a database, or that the key does not open, is refused with the
    // engine's message and left as it was; nothing is written before the key
    // has been proven right. A file or folder this run may not write to is
    // refused (SQLITE_READONLY) before the engine reads anything, because
    // reading a write-ahead-log file makes the engine create its -shm and -wal
    // files beside it. A server takes its password from libpq's own places
    // (~/.pgpass, PGPASSWORD), never from us.
    static std::unique_ptr<Database> open(const QString &location, const QByteArray &key,
                                          OpenMode mode = OpenMode::ExistingOnly);
    // Whether a location names a server ("postgresql://…" or "postgres://…").
    static bool isServerLocation(const QString &location);
    virtual ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Write-ahead log with full synchronisation: a confirmed sale survives a
    // power cut. The first call on a file writes to it, so callers check what
    // the file holds before. A server is durable by its own settings.
    virtual void useDurableJournal() {}

    // Statements are kept once finished and handed out again for the same
    // text (a sale prepares the same few each time, and preparing costs as
    // much as running them). A statement still in use is never handed out
    // twice: a nested prepare of the same text gets one of its own.
    Statement prepare(const QString &sql);
    // How many finished statements wait for reuse; for the tests.
    int cachedStatements() const;
    // Runs statement text without parameters (schema, pragmas).
    virtual void execScript(const QString &sql) = 0;

    // Throws DbError when the path no longer names the file this connection
    // has open: deleted, renamed, or another file moved over it. The engine
    // would go on writing into the old file, and every write would look
    // saved. Costs one stat: call it once per write command. A server has
    // nothing to check.
    virtual void checkStillAtPath() const {}

    // The key of the row the last INSERT added.
    virtual qint64 lastInsertId() = 0;
    // Counts the commits other connections (another copy of the program, a
    // connection of our own opened apart) made that the change stream does
    // not name row by row; this connection's own commits leave it as it is.
    // On a server the other tills' changes come as announcements
    // (takeAnnouncements); it counts the reconnections, after which anything
    // may have changed.
    virtual qint64 dataVersion() = 0;
    // Rows the last statement changed.
    virtual int changes() const = 0;
    virtual bool inTransaction() const = 0;
    // Where the books are: the file's path, or the server's URI.
    QString path() const { return m_path; }
    virtual QString lastErrorMessage() const = 0;

    // Which engine this connection talks to, for the few statements whose
    // text the two read differently.
    virtual bool isServer() const { return false; }
    // Appended to a SELECT of rows a write command is about to change, so
    // that another till changing them waits until this command's commit. The
    // file takes its write lock for the whole transaction instead.
    QString lockRows() const { return isServer() ? QStringLiteral(" FOR UPDATE") : QString(); }
    // The engine's version text, for the about box.
    virtual QString engineDescription() const = 0;

    // Another till's committed changes since the last call, as the payloads
    // it announced; empty on a file. The socket to watch for them is
    // announcementSocket() (-1 on a file).
    virtual QList<QByteArray> takeAnnouncements() { return {}; }
    virtual int announcementSocket() const { return -1; }
    // Announces a payload to the other tills when the open transaction
    // commits; nothing on a file.
    virtual void announce(const QByteArray &) {}

    // For the benchmarks and the file backup, which work on the engine
    // itself; null on a server.
    virtual sqlite3 *handle() const { return nullptr; }

    // The embedded engine's version text.
    static QString engineVersion();

protected:
    explicit Database(QString path);
    // Prepares statement text the cache does not hold.
    virtual std::unique_ptr<Cursor> compile(const QString &sql) = 0;
    // Drops every kept statement (a server connection that was made anew
    // no longer knows them).
    void forgetStatements();
    // The transaction's own statements.
    virtual void beginWrite() = 0;
    virtual void commitWrite() = 0;
    virtual void rollbackWrite() = 0;

private:
    friend class Statement;
    friend class Transaction;

    QString m_path;
    std::shared_ptr<StatementCache> m_cache;
    // Set when a transaction that joined an open one ended without commit:
    // the open one must not commit half a command.
    bool m_partAbandoned = false;
};

// Begins a transaction that rolls back unless commit() is called. On a file
// the transaction takes the write lock at once, so two copies of the program
// cannot interleave a read-then-write; on a server the rows a command changes
// are locked as it reads them (Database::lockRows). It first checks that the
// file is still the one at the path (Database::checkStillAtPath).
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

// Runs a write command, and runs it again (kConflictAttempts in all) while
// another till's transaction stands in its way; nothing of a failed attempt
// was written. Inside a larger command only that one can run again.
template <class Command>
auto retryingConflicts(Database &db, Command &&command) -> decltype(command())
{
    for (int attempt = 1;; ++attempt) {
        try {
            return command();
        } catch (const DbError &e) {
            if (!e.isConflict() || attempt >= kConflictAttempts || db.inTransaction())
                throw;
        }
    }
}

} // namespace quollin
