#pragma once

#include "core/Database.h"

namespace quollin {

// The books in one encrypted file of the embedded engine: one till's default.
class FileDatabase final : public Database {
public:
    static std::unique_ptr<Database> open(const QString &path, const QByteArray &key, OpenMode mode);
    ~FileDatabase() override;

    void useDurableJournal() override;
    void execScript(const QString &sql) override;
    void checkStillAtPath() const override;
    qint64 lastInsertId() override;
    qint64 dataVersion() override;
    int changes() const override;
    bool inTransaction() const override;
    QString lastErrorMessage() const override;
    QString engineDescription() const override { return engineVersion(); }
    sqlite3 *handle() const override { return m_db; }

    [[noreturn]] void fail(int rc) const;

protected:
    std::unique_ptr<Cursor> compile(const QString &sql) override;
    void beginWrite() override;
    void commitWrite() override;
    void rollbackWrite() override;

private:
    FileDatabase(sqlite3 *db, QString path);

    sqlite3 *m_db;
    // The file's identity when it was opened (device and inode); zero where
    // the system has none to give.
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

} // namespace quollin
