#pragma once

namespace quollin::NumberLimits {

// The bound every stored number keeps: finite and of magnitude below 10^12.
// Far beyond any shop's prices and stocks, and well inside the 15 significant
// digits the number texts carry, so a stored value always reads back as
// written and sums of many rows stay exact to the cent.
inline constexpr double kBound = 1e12;

// Finite and |value| < kBound. Quantities of a sale may be negative (a
// return); they use this.
bool inRange(double value);

// inRange and not negative (−0 counts as zero): prices, arrears and stock-in
// quantities.
bool inRangeNotNegative(double value);

} // namespace quollin::NumberLimits
