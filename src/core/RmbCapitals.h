#pragma once

#include "core/Prompter.h"

#include <QString>

#include <optional>

namespace quollin {

// An amount of money in the Chinese financial capitals printed on sales slips
// (大写金额): "105" → "壹佰零伍元整", "0.53" → "伍角叁分". amountText is the
// amount as the program shows it: digits and a point. Decimals beyond the fen
// are dropped, not rounded.
//
// The result is empty for a zero amount and for a refused text. A byte other
// than a digit or "." is refused with two messages: that byte's code in
// decimal ("45" for a minus sign), then "读取错误，应为数字". A text with more
// than one point, or with more yuan digits than the units reach (28, leading
// zeros aside), is refused with the second message alone.
QString RmbCapitals(const QString &amountText, Prompter &prompter);

// The same without the routine's own messages, for printed documents, which
// tell the operator at most once themselves: the capitals, or no value for a
// refused text.
std::optional<QString> RmbCapitalsQuietly(const QString &amountText);

} // namespace quollin
