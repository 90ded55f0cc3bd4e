#include "sales/TicketLayout.h"

#include "core/GbkCodec.h"
#include "core/Money.h"
#include "core/NumberText.h"
#include "core/PrintableText.h"

#include <cmath>

namespace quollin {

namespace {

constexpr int kNameBytes = 18;
const QString kDashes = QString(31, QLatin1Char('-'));

int paperWidthDots() { return int(std::lround(TicketLayout::kPaperWidthMm / 25.4 * TicketLayout::kDotsPerInch)); }

} // namespace

QString TicketLayout::nameColumn(const QString &name)
{
    QString kept;
    int bytes = 0;
    bool reached = false;
    for (const char32_t c : PrintableText(name).toUcs4()) {
        // A character GBK lacks goes to a receipt printer as one "?": the
        // system printer gets the same, so the columns agree on both.
        const std::optional<QByteArray> gbk = GbkBytes(c);
        const int width = gbk ? int(gbk->size()) : 1;
        if (bytes + width > kNameBytes) {
            reached = true;
            break;
        }
        kept += gbk ? QString::fromUcs4(&c, 1) : QStringLiteral("?");
        bytes += width;
    }
    reached = reached || bytes == kNameBytes;
    // A cut before a two-byte character leaves one byte free: a blank keeps
    // the column where an 18-byte name puts it.
    kept += QString(kNameBytes - bytes, QLatin1Char(' '));
    if (reached)
        kept += QLatin1Char(' ');
    return kept;
}

QString TicketLayout::lineText(const SlipLine &line)
{
    return nameColumn(line.name) + QLatin1Char(' ') + NumberText::general(line.quantity) + QString(6, QLatin1Char(' '))
         + Money::fromValue(line.amount).general();
}

PrintFont TicketLayout::font(double points, bool bold)
{
    return PrintFont{.family = QStringLiteral("Noto Sans Mono CJK SC"), .points = points, .bold = bold};
}

int TicketLayout::lastLineY(int lineCount) { return 450 + kLinePitch * lineCount; }

PrintLayout TicketLayout::build(const TicketInput &in)
{
    PrintLayout layout;
    layout.dotsPerInch = kDotsPerInch;
    const int width = paperWidthDots();
    const PrintFont regular = font(8);
    const auto put = [&](int y, const QString &text, const PrintFont &font = TicketLayout::font(8)) {
        layout.texts.push_back(PlacedText{.box = QRect(0, y, width, font.points > 8 ? 40 : kLinePitch),
                                          .text = text, .font = font});
    };

    put(0, QStringLiteral("   ") + in.title, font(10, true));
    put(40, kDashes, regular);
    put(60, QStringLiteral("销售单号：") + in.slipNumber);
    put(90, QStringLiteral("收银员：") + in.cashier);
    put(120, QStringLiteral("打印时间：") + in.date + QLatin1Char(' ') + in.time + QLatin1Char(' '));
    put(150, kDashes);
    put(180, QStringLiteral("商品名称         数量     金额 "));
    int y = 210;
    for (const SlipLine &line : in.lines) {
        put(y, lineText(line));
        y += kLinePitch;
    }
    const int b = y;
    put(b, kDashes);
    put(b + 30, QStringLiteral("合计:") + in.total + QStringLiteral("元  "));
    put(b + 60, QStringLiteral("现金:") + in.cash + QStringLiteral("元  找零:") + in.change + QStringLiteral("元"));
    put(b + 90, kDashes);
    put(b + 120, in.slogan1);
    put(b + 150, in.slogan2);
    put(b + 180, kDashes);
    put(b + 210, QString(6, QLatin1Char(' ')) + in.closing);
    put(b + 240, kDashes);

    // Room below the last line for its own height, then the paper's length
    // or more.
    const double neededMm = (b + 240 + 2 * kLinePitch) * 25.4 / kDotsPerInch;
    layout.pageMillimetres = QSizeF(kPaperWidthMm, std::max(kPaperLengthMm, neededMm));
    return layout;
}

} // namespace quollin
