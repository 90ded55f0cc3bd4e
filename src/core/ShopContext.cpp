#include "core/ShopContext.h"

namespace quollin {

NotPermitted::NotPermitted() : DbError(OperatorRestrictions::refusalText()) {}

ShopContext::ShopContext(std::unique_ptr<Database> db, QObject *parent)
    : QObject(parent), m_db(std::move(db)), m_path(m_db ? m_db->path() : QString())
{
}

ShopContext::~ShopContext() = default;

Database &ShopContext::db()
{
    if (!m_db)
        throw DbError(QStringLiteral("数据库已关闭，请稍后再试。"));
    return *m_db;
}

void ShopContext::demand(OperatorRestrictions::Command command) const
{
    if (!m_rights.mayRun(command))
        throw NotPermitted();
}

void ShopContext::closeDatabase()
{
    if (!m_db)
        return;
    emit databaseClosing();
    m_db.reset();
}

void ShopContext::reopenDatabase(std::unique_ptr<Database> db)
{
    m_db = std::move(db);
    if (m_db)
        m_path = m_db->path();
    emit databaseReopened();
}

ShopTransaction::ShopTransaction(ShopContext &shop) : ShopTransaction(shop, shop.db()) {}

ShopTransaction::ShopTransaction(ShopContext &shop, Database &db) : m_shop(shop), m_db(db)
{
    if (shop.m_open && &shop.m_open->m_db == &db) {
        m_outer = shop.m_open;
        return;
    }
    m_transaction = std::make_unique<Transaction>(db);
    if (!shop.m_open)
        shop.m_open = this;
}

ShopTransaction::~ShopTransaction()
{
    if (m_outer) {
        if (!m_done)
            m_outer->m_innerAbandoned = true;
        return;
    }
    if (m_shop.m_open == this)
        m_shop.m_open = nullptr;
    // m_transaction rolls back by itself unless committed.
}

void ShopTransaction::commit()
{
    if (m_done)
        return;
    if (m_outer) {
        m_outer->m_changes.merge(m_changes);
        m_done = true;
        return;
    }
    if (m_innerAbandoned)
        throw DbError(QStringLiteral("操作的一部分没有完成，已全部撤销。"));
    m_transaction->commit();
    m_done = true;
    if (m_shop.m_open == this)
        m_shop.m_open = nullptr;
    if (!m_changes.isEmpty())
        emit m_shop.changed(m_changes);
}

} // namespace quollin
