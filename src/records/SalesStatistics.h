#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace quollin {

class ShopContext;

// One bar of a statistics chart: the month (1–12) or day (1–31) and the
// total of its sale lines, returns lowering it.
struct StatBar {
    int slot = 0;
    double total = 0;
};

enum class StatValue { Profit, SalesAmount };

// The totals behind the two charts of the records window. Each is one range
// read over the day1 index: a year or a month of lines, never the whole
// table. Only operators who may see the charts may ask.
class SalesStatistics {
public:
    explicit SalesStatistics(ShopContext &shop) : m_shop(shop) {}

    // One bar per month of the year that has lines, in month order. A year
    // outside 1–9999 has none.
    std::vector<StatBar> byMonth(StatValue value, int year);
    // One bar per day of the month that has lines, in day order. A month
    // outside 1–12 (such as 13) has none.
    std::vector<StatBar> byDay(StatValue value, int year, int month);

    // A year or month box as a whole number (blanks around it allowed);
    // empty for anything else.
    static std::optional<int> wholeNumber(const QString &text);

private:
    std::vector<StatBar> totals(StatValue value, const QString &from, const QString &to, bool byMonth);
    ShopContext &m_shop;
};

} // namespace quollin
