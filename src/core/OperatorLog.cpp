#include "core/OperatorLog.h"

#include "core/ShopContext.h"
#include "core/DateText.h"

namespace quollin {

qint64 OperatorLog::recordSignIn(const QString &operatorName, const QDateTime &when)
{
    m_shop.db().checkStillAtPath();
    Statement insert = m_shop.db().prepare(QStringLiteral("INSERT INTO rz (username, btime) VALUES (:name, :time)"));
    insert.bind(":name", operatorName).bind(":time", DateText::dateTime(when)).exec();
    return m_shop.db().lastInsertId();
}

void OperatorLog::recordClose(qint64 id, const QDateTime &when)
{
    m_shop.db().checkStillAtPath();
    Statement update = m_shop.db().prepare(QStringLiteral("UPDATE rz SET jtime = :time WHERE id = :id"));
    update.bind(":time", DateText::dateTime(when)).bind(":id", id).exec();
}

} // namespace quollin
