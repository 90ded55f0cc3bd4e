#include "core/OperatorRestrictions.h"

#include "core/ShopDatabase.h"

namespace quollin {

OperatorRestrictions::OperatorRestrictions(const QString &operatorName)
    : m_name(operatorName), m_signedIn(true), m_super(operatorName == ShopDatabase::kSuperAdministrator)
{
}

bool OperatorRestrictions::mayRun(Command) const
{
    // Every guarded command is the super administrator's alone.
    return m_super;
}

bool OperatorRestrictions::maySee(Column) const { return m_super; }

QString OperatorRestrictions::refusalText() { return QStringLiteral("当前操作员无权使用此功能！"); }

} // namespace quollin
