#include "goods/StockAlarm.h"

#include <cmath>

namespace quollin::StockAlarm {

std::optional<qint64> parseLevel(const QString &text)
{
    if (text.isEmpty() || text.size() > 15)
        return std::nullopt;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    }
    return text.toLongLong();
}

bool isRed(qint64 level, std::optional<double> stockQuantity)
{
    // Take the stock to 15 significant digits first, as every number text of
    // the program does, so that 4.5 reached through binary noise still counts
    // as a half.
    const double stock = QString::number(stockQuantity.value_or(0.0), 'g', 15).toDouble();
    double whole = std::round(stock); // halves away from zero
    if (std::fabs(stock - std::trunc(stock)) == 0.5)
        whole = 2.0 * std::round(stock / 2.0); // the even neighbour instead
    return double(level) >= whole;
}

bool isRed(const std::optional<qint64> &level, std::optional<double> stockQuantity)
{
    return level && isRed(*level, stockQuantity);
}

} // namespace quollin::StockAlarm
