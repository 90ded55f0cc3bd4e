#include "core/FileDatabase.h"

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

// One prepared statement of the embedded engine.
class FileCursor final : public Cursor {
public:
    FileCursor(const FileDatabase *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt) {}
    ~FileCursor() override { sqlite3_finalize(m_stmt); }

    int parameterIndex(const char *name) const override { return sqlite3_bind_parameter_index(m_stmt, name); }
    void bindText(int index, const QByteArray &utf8) override
    {
        check(sqlite3_bind_text(m_stmt, index, utf8.constData() ? utf8.constData() : "", int(utf8.size()),
                                SQLITE_TRANSIENT));
    }
    void bindReal(int index, double value) override { check(sqlite3_bind_double(m_stmt, index, value)); }
    void bindInteger(int index, qint64 value) override { check(sqlite3_bind_int64(m_stmt, index, value)); }
    void bindNull(int index) override { check(sqlite3_bind_null(m_stmt, index)); }

    bool step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3_reset(m_stmt);
        m_db->fail(rc);
    }
    void reset() override { sqlite3_reset(m_stmt); }
    void clearBindings() override { sqlite3_clear_bindings(m_stmt); }

    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    QString columnName(int index) const override { return QString::fromUtf8(sqlite3_column_name(m_stmt, index)); }
    bool isNull(int index) const override { return sqlite3_column_type(m_stmt, index) == SQLITE_NULL; }
    bool isNumber(int index) const override
    {
        const int type = sqlite3_column_type(m_stmt, index);
        return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    }
    QByteArrayView utf8(int index) const override
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
        return data ? QByteArrayView(data, sqlite3_column_bytes(m_stmt, index)) : QByteArrayView();
    }
    double real(int index) const override { return sqlite3_column_double(m_stmt, index); }
    qint64 integer(int index) const override { return sqlite3_column_int64(m_stmt, index); }
    QVariant value(int index) const override
    {
        switch (sqlite3_column_type(m_stmt, index)) {
        case SQLITE_INTEGER:
            return QVariant(integer(index));
        case SQLITE_FLOAT:
            return QVariant(real(index));
        case SQLITE_NULL:
            return QVariant();
        default: {
            const QByteArrayView data = utf8(index);
            return QVariant(QString::fromUtf8(data));
        }
        }
    }

private:
    void check(int rc) const
    {
        if (rc != SQLITE_OK)
            m_db->fail(rc);
    }

    const FileDatabase *m_db;
    sqlite3_stmt *m_stmt;
};

// ----------------------------------------------------------------- Database

FileDatabase::FileDatabase(sqlite3 *db, QString path) : Database(std::move(path)), m_db(db) {}

FileDatabase::~FileDatabase()
{
    // Kept statements go before the connection they belong to.
    forgetStatements();
    sqlite3_close_v2(m_db);
}

// The extended code when the connection's last error is the one at hand (it
// is not while extended codes are still off, at open).
static int extendedCode(sqlite3 *db, int rc)
{
    const int extended = sqlite3_extended_errcode(db);
    return (extended & 0xff) == (rc & 0xff) ? extended : rc;
}

void FileDatabase::fail(int rc) const
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

std::unique_ptr<Database> FileDatabase::open(const QString &path, const QByteArray &key, OpenMode mode)
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
    std::unique_ptr<FileDatabase> db(new FileDatabase(raw, path));
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

    return std::unique_ptr<Database>(db.release());
}

void FileDatabase::useDurableJournal()
{
    Statement journal = prepare(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!journal.next() || journal.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        throw DbError(QStringLiteral("无法打开数据库的预写日志（WAL）"), SQLITE_ERROR);
    journal = prepare(QStringLiteral("PRAGMA synchronous=FULL"));
    journal.exec();
}

std::unique_ptr<Cursor> FileDatabase::compile(const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    return std::make_unique<FileCursor>(this, stmt);
}

void FileDatabase::execScript(const QString &sql)
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

void FileDatabase::checkStillAtPath() const
{
#ifdef Q_OS_UNIX
    if (m_inode == 0)
        return;
    quint64 device = 0;
    quint64 inode = 0;
    if (!fileIdentity(path(), device, inode) || device != m_device || inode != m_inode)
        throw DbError(QStringLiteral("数据库文件已被删除、改名或换成了另一个文件（%1），数据没有保存。"
                                     "请关闭本程序，找回数据库文件后再打开。")
                          .arg(path()),
                      SQLITE_CANTOPEN);
#endif
}

qint64 FileDatabase::lastInsertId() { return sqlite3_last_insert_rowid(m_db); }

int FileDatabase::changes() const { return sqlite3_changes(m_db); }

qint64 FileDatabase::dataVersion()
{
    Statement s = prepare(QStringLiteral("PRAGMA data_version"));
    s.next();
    return s.integer(0);
}

bool FileDatabase::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

QString FileDatabase::lastErrorMessage() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

void FileDatabase::beginWrite() { prepare(QStringLiteral("BEGIN IMMEDIATE")).exec(); }

void FileDatabase::commitWrite() { prepare(QStringLiteral("COMMIT")).exec(); }

void FileDatabase::rollbackWrite() { prepare(QStringLiteral("ROLLBACK")).exec(); }

} // namespace quollin
