#include "records/ComposerTicketLayout.h"

#include "core/DateText.h"
#include "sales/TicketLayout.h"

#include <cmath>

namespace quollin {

QString ComposerTicketLayout::rowText(const ComposerRow &row)
{
    return row.name + QString(6, QLatin1Char(' ')) + row.quantity + QString(5, QLatin1Char(' ')) + row.amount;
}

PrintLayout ComposerTicketLayout::build(const ComposerPrint &in)
{
    PrintLayout layout;
    layout.dotsPerInch = TicketLayout::kDotsPerInch;
    const int width = int(std::lround(TicketLayout::kPaperWidthMm / 25.4 * TicketLayout::kDotsPerInch));
    const QString dashes(31, QLatin1Char('-'));
    const auto put = [&](int y, const QString &text, const PrintFont &font = TicketLayout::font(8)) {
        layout.texts.push_back(PlacedText{.box = QRect(0, y, width, font.points > 8 ? 40 : TicketLayout::kLinePitch),
                                          .text = text, .font = font});
    };

    put(0, QStringLiteral("      POS小票销售凭证"), TicketLayout::font(10, true));
    put(40, dashes);
    put(60, QStringLiteral("条码\\名称        数量     金额 "));
    put(82, dashes);
    int y = kFirstRowY;
    for (int i = 0; i < ComposerRows::kRows; ++i) {
        const ComposerRow &row = in.rows.row(i);
        if (row.isEmpty())
            continue;
        put(y, rowText(row));
        y += TicketLayout::kLinePitch;
    }
    const int b = y;
    put(b, dashes);
    put(b + 30, QStringLiteral("现金:") + in.cash + QStringLiteral("元    应收金额:") + in.total + QStringLiteral("元"));
    put(b + 60, QStringLiteral("找零:") + in.change + QStringLiteral("元    收款员:") + in.operatorName);
    put(b + 90, dashes);
    put(b + 120, QStringLiteral("交易时间:") + DateText::dateTime(in.at));
    put(b + 150, QStringLiteral("Quollin进销存软件提供打印技术支持"));
    put(b + 180, dashes);
    put(b + 210, QStringLiteral("         欢迎下次惠顾        "));
    put(b + 240, dashes);
    put(b + 270, in.company);
    put(b + 300, in.address);
    layout.pageMillimetres = QSizeF(TicketLayout::kPaperWidthMm, TicketLayout::kPaperLengthMm);
    return layout;
}

} // namespace quollin
