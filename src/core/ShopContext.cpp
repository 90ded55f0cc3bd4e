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

} // namespace quollin
