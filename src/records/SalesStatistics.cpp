#include "records/SalesStatistics.h"

#include "core/Database.h"
#include "core/DateText.h"
#include "core/ShopContext.h"

#include <QRegularExpression>

namespace quollin {

std::optional<int> SalesStatistics::wholeNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const QString t = text.trimmed();
    if (!digits.match(t).hasMatch())
        return std::nullopt;
    return t.toInt();
}

std::vector<StatBar> SalesStatistics::byMonth(StatValue value, int year)
{
    m_shop.demand(OperatorRestrictions::Command::SalesCharts);
    if (year < 1 || year > 9999)
        return {};
    return totals(value, DateText::date(QDate(year, 1, 1)), DateText::date(QDate(year + 1, 1, 1)), true);
}

std::vector<StatBar> SalesStatistics::byDay(StatValue value, int year, int month)
{
    m_shop.demand(OperatorRestrictions::Command::SalesCharts);
    if (year < 1 || year > 9999 || month < 1 || month > 12)
        return {};
    const QDate first(year, month, 1);
    return totals(value, DateText::date(first), DateText::date(first.addMonths(1)), false);
}

std::vector<StatBar> SalesStatistics::totals(StatValue value, const QString &from, const QString &to, bool byMonth)
{
    // The year 9999 ends at "10000-01-01", which sorts before it as text.
    const QString upper = to.size() == 10 ? QStringLiteral(" AND day1<:to") : QString();
    const QString sum = value == StatValue::Profit ? QStringLiteral("SUM(a5)") : QStringLiteral("SUM(\"4\")");
    // The days come grouped straight off the index; the twelve months need
    // a small sort of their own.
    const QString slot = byMonth ? QStringLiteral("substr(day1,6,2)") : QStringLiteral("day1");
    Statement s = m_shop.db().prepare(QStringLiteral("SELECT %1,%2 FROM data1 WHERE day1>=:from%3 GROUP BY %1 ORDER BY %1")
                                          .arg(slot, sum, upper));
    s.bind(":from", from);
    if (!upper.isEmpty())
        s.bind(":to", to);
    std::vector<StatBar> bars;
    while (s.next()) {
        // A slot whose lines hold no value at all has no bar.
        if (s.isNull(1))
            continue;
        const QString key = s.text(0);
        const int number = byMonth ? key.toInt() : DateText::parseDate(key).day();
        if (number <= 0)
            continue;
        bars.push_back({number, s.real(1)});
    }
    return bars;
}

} // namespace quollin
