#include "core/ShopContext.h"

namespace quollin {

NotPermitted::NotPermitted() : DbError(OperatorRestrictions::refusalText()) {}

ShopContext::ShopContext(std::unique_ptr<Database> db, QObject *parent)
    : QObject(parent), m_db(std::move(db)), m_path(m_db ? m_db->path() : QString())
{
    // Other tills' commits reach a server's tills as announcements: heard at
    // once through the connection's socket, and looked for a few times a
    // second in case the socket changed (a reconnection makes a new one).
    m_listening.setInterval(250);
    connect(&m_listening, &QTimer::timeout, this, &ShopContext::hearOtherTills);
    listenToOtherTills();
}

void ShopContext::listenToOtherTills()
{
    m_notifier.reset();
    if (!m_db || !m_db->isServer()) {
        m_listening.stop();
        return;
    }
    m_heardVersion = m_db->dataVersion();
    m_listening.start();
    watchSocket();
}

void ShopContext::watchSocket()
{
    const int socket = m_db ? m_db->announcementSocket() : -1;
    // A lost connection's socket is closed, and the event loop disables a
    // notifier on a closed socket; the new connection may get the same
    // number back, so a disabled notifier is made anew.
    if (m_notifier && m_notifier->socket() == socket && m_notifier->isEnabled())
        return;
    m_notifier.reset();
    if (socket < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ShopContext::hearOtherTills);
}

void ShopContext::hearOtherTills()
{
    // Not while a command of ours is open: the socket is busy with it.
    if (!m_db || !m_db->isServer() || m_open || m_db->inTransaction())
        return;
    watchSocket();
    ChangeSet heard;
    const qint64 version = m_db->dataVersion();
    if (version != m_heardVersion) {
        // The connection was made anew: what was said meanwhile is lost.
        m_heardVersion = version;
        heard = ChangeSet::everything();
    }
    for (const QByteArray &announcement : m_db->takeAnnouncements())
        heard.merge(ChangeSet::fromAnnouncement(announcement));
    if (!heard.isEmpty())
        emit changed(heard);
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
    m_notifier.reset();
    m_db.reset();
    listenToOtherTills();
}

void ShopContext::reopenDatabase(std::unique_ptr<Database> db)
{
    m_db = std::move(db);
    if (m_db)
        m_path = m_db->path();
    listenToOtherTills();
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
    // The other tills hear of it when, and only if, it commits.
    if (!m_changes.isEmpty() && m_db.isServer())
        m_db.announce(m_changes.toAnnouncement());
    m_transaction->commit();
    m_done = true;
    if (m_shop.m_open == this)
        m_shop.m_open = nullptr;
    if (!m_changes.isEmpty())
        emit m_shop.changed(m_changes);
}

} // namespace quollin
