#pragma once

#include <QString>

#include <optional>

namespace quollin::StockAlarm {

// The alarm level box holds digits only; anything else (a pasted letter)
// gives no level, and then no row is painted red.
std::optional<qint64> parseLevel(const QString &text);

// A row is red when the level is at or above its stock rounded to a whole
// number, halves to the even neighbour (4.5 → 4, 5.5 → 6). A row without a
// stock value counts as 0.
bool isRed(qint64 level, std::optional<double> stockQuantity);
bool isRed(const std::optional<qint64> &level, std::optional<double> stockQuantity);

} // namespace quollin::StockAlarm
