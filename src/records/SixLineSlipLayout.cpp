#include "records/SixLineSlipLayout.h"

#include "core/DateText.h"
#include "core/GbkCodec.h"
#include "core/PrintableText.h"
#include "core/Prompter.h"
#include "core/RmbCapitals.h"

#include <array>

namespace quollin {

namespace {

// "商品编码", "商品名称", "规格型号", "数 量", "单 价", "金 额", "备 注"; the
// widths add up to the block's width.
constexpr std::array<int, 7> kWidths{260, 430, 270, 170, 200, 230, 340};
constexpr int kPad = 12;
constexpr int kSummaryHeight = 70;

int columnLeft(int column)
{
    int x = SixLineSlipLayout::kLeft;
    for (int c = 0; c < column; ++c)
        x += kWidths[size_t(c)];
    return x;
}

int gbkWidth(char32_t c) { return int(GbkBytes(c).value_or(QByteArray(2, '?')).size()); }

} // namespace

QStringList SixLineSlipLayout::remarkLines(const QString &remark)
{
    QStringList lines;
    QString line;
    int bytes = 0;
    bool dropped = false;
    // Typed line breaks become blanks first; what else would not print is
    // not counted.
    for (const char32_t c : PrintableText(remark.simplified()).toUcs4()) {
        const int width = gbkWidth(c);
        if (bytes + width > kRemarkBytes) {
            if (lines.size() == 5) {
                dropped = true;
                break;
            }
            lines << line;
            line.clear();
            bytes = 0;
        }
        line += QString::fromUcs4(&c, 1);
        bytes += width;
    }
    if (!line.isEmpty())
        lines << line;
    if (dropped) {
        // Room for the mark: one character less when the line is full.
        QString &last = lines.last();
        while (!last.isEmpty()) {
            int used = 0;
            for (const char32_t c : last.toUcs4())
                used += gbkWidth(c);
            if (used + 2 <= kRemarkBytes)
                break;
            last.chop(last.back().isLowSurrogate() ? 2 : 1);
        }
        last += QStringLiteral("…");
    }
    return lines;
}

SixLineSlip SixLineSlipLayout::build(const ComposerPrint &in)
{
    SixLineSlip slip;
    PrintLayout &layout = slip.layout;
    layout.dotsPerInch = kDotsPerInch;
    layout.pageMillimetres = QSizeF(210, 297);
    const int width = kRight - kLeft;
    const PrintFont body{.points = 10};
    const PrintFont row{.points = 9};
    // Right-aligned texts are figures: set smaller rather than shortened.
    const auto text = [&layout](int x, int y, int w, int h, const QString &t, Qt::Alignment align, PrintFont font) {
        layout.texts.push_back(PlacedText{.box = QRect(x, y, w, h), .text = t, .font = font,
                                          .align = align | Qt::AlignVCenter,
                                          .shrinkToFit = bool(align & Qt::AlignRight)});
    };
    const auto rule = [&layout](int x1, int y1, int x2, int y2) {
        layout.rules.push_back(PlacedRule{0, QLine(x1, y1, x2, y2)});
    };
    const auto cell = [&](int y, int column, int h, const QString &t, Qt::Alignment align, PrintFont font) {
        const int x = columnLeft(column);
        const int w = kWidths[size_t(column)];
        if (align & Qt::AlignHCenter)
            text(x, y, w, h, t, align, font);
        else
            text(x + kPad, y, w - 2 * kPad, h, t, align, font);
    };

    if (in.total.startsWith(QLatin1Char('-'))) {
        slip.notice = QStringLiteral("合计金额为负数（退货），销售单的大写金额空着不填。");
    } else {
        const std::optional<QString> capitals = RmbCapitalsQuietly(in.total);
        slip.capitals = capitals.value_or(QString());
        if (!capitals)
            slip.notice = QStringLiteral("合计金额无法写成大写，销售单的大写金额空着不填。");
    }

    // Heading: the shop, its address, then the slip's own lines.
    text(kLeft, kTop + 10, width, 90, in.company + QStringLiteral("销售单"), Qt::AlignHCenter,
         PrintFont{.points = 18, .bold = true});
    text(kLeft, kTop + 105, width, 50, in.address, Qt::AlignHCenter, body);
    // The slip's own line: a long address above cannot run into it.
    text(kLeft, kTop + 160, 1000, 50, QStringLiteral("客户名称：") + in.customer, Qt::AlignLeft, body);
    text(1150, kTop + 160, 300, 50, QStringLiteral("单号："), Qt::AlignLeft, body);
    text(1450, kTop + 160, kRight - 1450, 50, QStringLiteral("日 期：") + DateText::date(in.at.date()),
         Qt::AlignLeft, body);

    // Headings and the six rows; the remark column is one cell beside them.
    static const std::array<QString, 7> titles{
        QStringLiteral("商品编码"), QStringLiteral("商品名称"), QStringLiteral("规格型号"), QStringLiteral("数 量"),
        QStringLiteral("单 价"),   QStringLiteral("金 额"),   QStringLiteral("备 注")};
    const int rowsTop = kHeadingY + kRowHeight;
    const int rowsBottom = rowsTop + ComposerRows::kRows * kRowHeight;
    rule(kLeft, kHeadingY, kRight, kHeadingY);
    for (int c = 0; c < 7; ++c)
        cell(kHeadingY, c, kRowHeight, titles[size_t(c)], Qt::AlignHCenter, PrintFont{.points = 10, .bold = true});
    for (int i = 0; i <= ComposerRows::kRows; ++i) {
        const int y = rowsTop + i * kRowHeight;
        rule(kLeft, y, i == 0 || i == ComposerRows::kRows ? kRight : columnLeft(6), y);
    }
    for (int c = 0; c <= 7; ++c) {
        const int x = c < 7 ? columnLeft(c) : kRight;
        rule(x, kHeadingY, x, rowsBottom);
    }
    for (int i = 0; i < ComposerRows::kRows; ++i) {
        const ComposerRow &r = in.rows.row(i);
        const int y = rowsTop + i * kRowHeight;
        cell(y, 0, kRowHeight, r.code, Qt::AlignLeft, row);
        cell(y, 1, kRowHeight, r.name, Qt::AlignLeft, row);
        cell(y, 2, kRowHeight, r.specification, Qt::AlignLeft, row);
        cell(y, 3, kRowHeight, r.quantity, Qt::AlignRight, row);
        cell(y, 4, kRowHeight, r.price, Qt::AlignRight, row);
        cell(y, 5, kRowHeight, r.amount, Qt::AlignRight, row);
    }
    const QStringList remark = remarkLines(in.remark);
    for (int i = 0; i < remark.size(); ++i)
        cell(rowsTop + i * kRowHeight, 6, kRowHeight, remark[i], Qt::AlignLeft, row);

    // The total row.
    const int sumY = rowsBottom;
    rule(kLeft, sumY + kSummaryHeight, kRight, sumY + kSummaryHeight);
    for (int x : {kLeft, columnLeft(1), columnLeft(2), columnLeft(5), kRight})
        rule(x, sumY, x, sumY + kSummaryHeight);
    cell(sumY, 0, kSummaryHeight, QStringLiteral("合 计"), Qt::AlignHCenter, body);
    cell(sumY, 1, kSummaryHeight, QStringLiteral("人民币"), Qt::AlignHCenter, body);
    text(columnLeft(2) + kPad, sumY, columnLeft(5) - columnLeft(2) - 2 * kPad, kSummaryHeight,
         QStringLiteral("(大写)") + slip.capitals, Qt::AlignLeft, body);
    layout.texts.back().shrinkToFit = true;
    text(columnLeft(5) + kPad, sumY, kRight - columnLeft(5) - 2 * kPad, kSummaryHeight,
         QStringLiteral("￥") + in.total, Qt::AlignRight, body);

    // Signatures, three to a line.
    const int signY = sumY + kSummaryHeight + 30;
    const int third = width / 3;
    const auto sign = [&](int line, int column, const QString &t) {
        text(kLeft + column * third, signY + line * 60, third, 50, t, Qt::AlignLeft, body);
    };
    sign(0, 0, QStringLiteral("市场管理："));
    sign(0, 1, QStringLiteral("仓库管理："));
    sign(0, 2, QStringLiteral("制单人：") + in.operatorName);
    sign(1, 0, QStringLiteral("出货人："));
    sign(1, 1, QStringLiteral("财 务："));
    sign(1, 2, QStringLiteral("客户签收："));
    return slip;
}

} // namespace quollin
