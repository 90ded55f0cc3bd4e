#include "sales/SlipLines.h"

#include "sales/SlipBook.h"

namespace quollin {

std::vector<SlipLine> ReadSlipLines(SlipBook &slips, const QString &slipNumber) { return slips.lines(slipNumber); }

} // namespace quollin
