#include "core/NumberLimits.h"

#include <cmath>

namespace quollin::NumberLimits {

bool inRange(double value) { return std::isfinite(value) && std::fabs(value) < kBound; }

bool inRangeNotNegative(double value) { return inRange(value) && value >= 0; }

} // namespace quollin::NumberLimits
