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
    // Added in whole fen (fen(), see Money): a month whose sales and returns
    // cancel out is 0, not a residue of binary fractions.
    const QString sum = value == StatValue::Profit ? QStringLiteral("SUM(fen(a5))/100.0")
                                                   : QStringLiteral("SUM(fen(\"4\"))/100.0");
    std::vector<StatBar> bars;
    if (byMonth) {
        // One range sum a month: each walks its part of the day index, where
        // grouping the year by the month's digits would sort every line of it.
        const QDate first = DateText::parseDate(from);
        Statement s = m_shop.db().prepare(
            QStringLiteral("SELECT %1 FROM data1 WHERE day1>=:from AND day1<:to").arg(sum));
        for (int month = 1; month <= 12; ++month) {
            const QDate start = first.addMonths(month - 1);
            // The year 9999 ends at "10000-01-01", which sorts before it as
            // text: its December has no upper bound but the year's own.
            const QString end = DateText::date(start.addMonths(1));
            s.bind(":from", DateText::date(start)).bind(":to", end.size() == 10 ? end : QStringLiteral("9999-12-32"));
            // A month whose lines hold no value at all has no bar.
            if (s.next() && !s.isNull(0))
                bars.push_back({month, s.real(0)});
            s.reset();
        }
        return bars;
    }
    // The days come grouped straight off the index.
    const QString upper = to.size() == 10 ? QStringLiteral(" AND day1<:to") : QString();
    Statement s = m_shop.db().prepare(
        QStringLiteral("SELECT day1,%1 FROM data1 WHERE day1>=:from%2 GROUP BY day1 ORDER BY day1").arg(sum, upper));
    s.bind(":from", from);
    if (!upper.isEmpty())
        s.bind(":to", to);
    while (s.next()) {
        // A day whose lines hold no value at all has no bar.
        if (s.isNull(1))
            continue;
        const int number = DateText::parseDate(s.text(0)).day();
        if (number <= 0)
            continue;
        bars.push_back({number, s.real(1)});
    }
    return bars;
}

} // namespace quollin
