#include "sales/SlipBook.h"

#include "core/Database.h"
#include "core/DistinctValues.h"

namespace quollin {

std::optional<SlipCustomer> SlipBook::customerOfSlip(const QString &slipNumber)
{
    // Grouped as the lines were entered; ordered so that "the first" means
    // the same on every engine.
    Statement s = m_db.prepare(QStringLiteral(
        "SELECT g,h,i,j FROM data1 WHERE z=:z GROUP BY g,h,i,j ORDER BY g,h,i,j"));
    s.bind(":z", slipNumber.trimmed());
    if (!s.next())
        return std::nullopt;
    return SlipCustomer{s.text(0), s.text(1), s.text(2), s.text(3)};
}

std::optional<SlipCustomer> SlipBook::addressOf(const QString &customerName)
{
    Statement s = m_db.prepare(QStringLiteral("SELECT h,i FROM data1 WHERE g=:g GROUP BY h,i ORDER BY h,i"));
    s.bind(":g", customerName.trimmed());
    if (!s.next())
        return std::nullopt;
    return SlipCustomer{customerName.trimmed(), s.text(0), s.text(1), QString()};
}

QStringList SlipBook::customers() { return DistinctValues(m_db, QStringLiteral("g"), QStringLiteral("data1")); }

void SlipBook::scanLines(const QString &slipNumber, const std::function<void(const Statement &)> &line)
{
    // Exactly this number: a pattern would put serials 1000-1009 on slip 100.
    Statement s = m_db.prepare(QStringLiteral(
        "SELECT a,b,\"3\",\"2\",\"4\" FROM data1 WHERE z=:z ORDER BY \"ID\""));
    s.bind(":z", slipNumber.trimmed());
    while (s.next())
        line(s);
}

} // namespace quollin
