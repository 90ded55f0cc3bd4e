#pragma once

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

// What a confirmed sale changed, for every window that shows it.
struct RecordedSale {
    enum class Origin { Panel, Keyboard };
    qint64 goodsId = 0;
    qint64 lineId = 0;
    QString slipNumber;
    QString customer;
    Origin origin = Origin::Panel;
};

// What every rule object works with: the one connection to the shop's file,
// the signed-in operator's rights, and the announcements of committed
// changes. Windows subscribe to the signals; the rules emit them only after a
// commit, so a listener never sees a change that was rolled back.
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

signals:
    void signedIn(const QString &operatorName);
    // One goods row was added, changed (a stock-in change or a sale's
    // deduction) or removed.
    void goodsRowAdded(qint64 goodsId);
    void goodsRowChanged(qint64 goodsId);
    void goodsRowRemoved(qint64 goodsId);
    // Many goods rows may have changed: read everything again.
    void goodsReloaded();
    void saleRecorded(const quollin::RecordedSale &sale);
    // Sale lines were corrected or deleted.
    void saleLinesChanged();
    void accountsChanged();
    void databaseClosing();
    void databaseReopened();

protected:
    void setOperator(const QString &name) { m_rights = OperatorRestrictions(name); }

private:
    std::unique_ptr<Database> m_db;
    QString m_path;
    OperatorRestrictions m_rights;
};

} // namespace quollin
