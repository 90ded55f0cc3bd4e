#include "sales/SlipLines.h"

#include "core/Database.h"
#include "sales/SlipBook.h"

namespace quollin {

std::vector<SlipLine> ReadSlipLines(SlipBook &slips, const QString &slipNumber)
{
    std::vector<SlipLine> lines;
    slips.scanLines(slipNumber, [&lines](const Statement &s) {
        const auto text = [&s](const char *field) {
            const int at = s.columnIndex(field);
            return s.isNull(at) ? QString() : s.text(at);
        };
        const auto number = [&s](const char *field) {
            const int at = s.columnIndex(field);
            return s.isNull(at) ? 0.0 : s.real(at);
        };
        SlipLine line;
        line.name = text("a");
        line.specification = text("b");
        line.code = text("c");
        line.quantity = number("3");
        line.price = number("2");
        line.amount = number("4");
        line.customer = text("g");
        line.address = text("h");
        line.phone = text("i");
        line.remark = text("j");
        line.day = text("day1");
        lines.push_back(std::move(line));
    });
    return lines;
}

} // namespace quollin
