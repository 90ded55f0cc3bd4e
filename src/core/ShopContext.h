#pragma once

#include <QSocketNotifier>
#include <QTimer>

#include "core/ChangeSet.h"
#include "core/Database.h"
#include "core/OperatorRestrictions.h"

#include <QObject>
#include <QString>

#include <memory>

namespace quollin {

// A command the signed-in operator may not run. Raised by the rules before
// anything is written, whatever widget (hidden or not) asked for it.
class NotPermitted : public DbError {
public:
    NotPermitted();
};

class ShopTransaction;

// What every rule object works with: the one connection to the shop's file,
// the signed-in operator's rights, and the announcements of committed
// changes. Rules write inside a ShopTransaction and record there what they
// changed; the context announces it once, after the commit, so a listener
// never sees a change that was rolled back and hears of a sale only once.
class ShopContext : public QObject {
    Q_OBJECT
public:
    explicit ShopContext(std::unique_ptr<Database> db, QObject *parent = nullptr);
    ~ShopContext() override;

    // The open connection. While the file is closed (a backup in progress)
    // every command fails with a DbError instead of touching a dead handle.
    Database &db();
    bool isOpen() const { return m_db != nullptr; }
    QString databasePath() const { return m_path; }

    const OperatorRestrictions &rights() const { return m_rights; }
    // Throws NotPermitted when the signed-in operator may not run it.
    void demand(OperatorRestrictions::Command command) const;
    bool maySee(OperatorRestrictions::Column column) const { return m_rights.maySee(column); }

    // Closes the file (windows are told first) and opens it again; the
    // opener is ShopDatabase::open for the real program.
    void closeDatabase();
    void reopenDatabase(std::unique_ptr<Database> db);

    // Hands on what other tills on the same server committed since it was
    // last asked (changed(), without a sale of this till's); called by
    // itself while the event loop runs, and by the tests.
    void hearOtherTills();

signals:
    void signedIn(const QString &operatorName);
    // What one transaction committed, once, after its commit.
    void changed(const quollin::ChangeSet &changes);
    void databaseClosing();
    // The file was opened again (after a restore it may hold anything):
    // whoever holds rows reads them again.
    void databaseReopened();

protected:
    void setOperator(const QString &name) { m_rights = OperatorRestrictions(name); }

private:
    friend class ShopTransaction;
    void listenToOtherTills();
    void watchSocket();

    QTimer m_listening;
    std::unique_ptr<QSocketNotifier> m_notifier;
    qint64 m_heardVersion = 0;

    std::unique_ptr<Database> m_db;
    QString m_path;
    OperatorRestrictions m_rights;
    // The outermost transaction open now; nested ones join it.
    ShopTransaction *m_open = nullptr;
};

// One write command of the session: it takes the write lock, collects what
// the rules changed and, after its commit, has the context announce it once.
// A transaction begun while another is open joins it: only the outermost
// commits and announces, and an inner one left without commit makes the
// outer commit fail, so a half command is never saved. Destroyed without
// commit, it rolls back and announces nothing.
class ShopTransaction {
public:
    explicit ShopTransaction(ShopContext &shop);
    // For a command that writes through a connection of its own (an import
    // into the file by path): the same announcement after its commit.
    ShopTransaction(ShopContext &shop, Database &db);
    ~ShopTransaction();
    ShopTransaction(const ShopTransaction &) = delete;
    ShopTransaction &operator=(const ShopTransaction &) = delete;

    Database &db() { return m_db; }
    ChangeSet &changes() { return m_changes; }
    // Commits (or, nested, hands its changes to the outer one). Throws
    // DbError when the commit fails; nothing is announced then.
    void commit();

private:
    ShopContext &m_shop;
    Database &m_db;
    ShopTransaction *m_outer = nullptr;
    std::unique_ptr<Transaction> m_transaction; // the outermost's only
    ChangeSet m_changes;
    bool m_done = false;
    bool m_innerAbandoned = false;
};

} // namespace quollin
