#pragma once

#include <QString>

#include <optional>

namespace quollin::NumberText {

// All number texts of the program come from here, so that boxes, grids,
// tickets and statements agree to the digit. Every conversion first takes the
// value to 15 significant decimal digits: that is what the operator typed, and
// it keeps binary noise (0.1 × 3 = 0.30000000000000004) out of what is shown
// and of where halves are rounded.

// The general format: the shortest text with at most 15 significant digits,
// no trailing zeros, no grouping, "." as point, never an exponent.
// 3 × 2.5 → "7.5", 0.1 × 3 → "0.3", 100 → "100".
QString general(double value);

// The pattern "0.00": exactly two decimals, halves away from zero.
// 2.675 → "2.68", -0.005 → "-0.01", 3 → "3.00".
QString fixed2(double value);

// The grid patterns "#0.##" (maxDecimals 2, amounts) and "#0.###"
// (maxDecimals 3, quantities): at most that many decimals, halves away from
// zero, no trailing zeros, at least one digit before the point.
QString grid(double value, int maxDecimals);
inline QString amount(double value) { return grid(value, 2); }
inline QString quantity(double value) { return grid(value, 3); }

// The value rounded to the given number of decimals, halves away from zero, as
// the text forms above round it.
double roundHalfAwayFromZero(double value, int decimals);

// The strict reader for every numeric box: an optional sign, digits and at
// most one point, with at least one digit. Blanks around the number are
// allowed; "", ".", "1.2.3", "1e5", "1 000", letters and any other character
// are refused (no value).
std::optional<double> parseDecimal(const QString &text);

} // namespace quollin::NumberText
