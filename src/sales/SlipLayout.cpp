#include "sales/SlipLayout.h"

#include "core/Money.h"
#include "core/NumberText.h"
#include "core/Prompter.h"
#include "core/RmbCapitals.h"

#include <array>

namespace quollin {

namespace {

// Column widths of the framed rows; they add up to the printable width.
constexpr std::array<int, 7> kWidths{430, 300, 300, 160, 200, 230, 280};
constexpr int kPad = 12;
constexpr int kHeadingHeight = 60;
constexpr int kSummaryHeight = 70;
constexpr int kSloganHeight = 120;
constexpr int kSignatureHeight = 80;

int columnLeft(int column)
{
    int x = SlipLayout::kLeft;
    for (int c = 0; c < column; ++c)
        x += kWidths[c];
    return x;
}

class Builder {
public:
    explicit Builder(PrintLayout &layout) : m_layout(layout) {}

    // Right-aligned texts are figures: set smaller rather than shortened.
    void text(int y, int x, int width, int height, const QString &text, Qt::Alignment align, PrintFont font = {})
    {
        m_layout.texts.push_back(PlacedText{.page = m_page, .box = QRect(x, y, width, height), .text = text,
                                            .font = font, .align = align | Qt::AlignVCenter,
                                            .shrinkToFit = bool(align & Qt::AlignRight)});
    }
    void rule(int x1, int y1, int x2, int y2) { m_layout.rules.push_back(PlacedRule{m_page, QLine(x1, y1, x2, y2)}); }

    // A framed row over the columns; edges are the column boundaries drawn.
    void frame(int y, int height, std::initializer_list<int> edges)
    {
        rule(SlipLayout::kLeft, y, SlipLayout::kRight, y);
        rule(SlipLayout::kLeft, y + height, SlipLayout::kRight, y + height);
        for (int column : edges) {
            const int x = column < int(kWidths.size()) ? columnLeft(column) : SlipLayout::kRight;
            rule(x, y, x, y + height);
        }
    }

    void cell(int y, int column, int height, const QString &text, Qt::Alignment align, PrintFont font)
    {
        text_(y, columnLeft(column), kWidths[column], height, text, align, font);
    }

    void headings(int y)
    {
        static const std::array<QString, 7> titles{
            QStringLiteral("商品名称"), QStringLiteral("规格型号"), QStringLiteral("编 码"), QStringLiteral("数量"),
            QStringLiteral("单 价"), QStringLiteral("金 额"), QStringLiteral("备 注")};
        frame(y, kHeadingHeight, {0, 1, 2, 3, 4, 5, 6, 7});
        for (int c = 0; c < 7; ++c)
            cell(y, c, kHeadingHeight, titles[c], Qt::AlignHCenter, PrintFont{.points = 10, .bold = true});
    }

    // A new page that starts with the column headings; the y below them.
    int nextPage()
    {
        ++m_page;
        m_layout.pageCount = m_page + 1;
        headings(SlipLayout::kTop);
        return SlipLayout::kTop + kHeadingHeight;
    }

private:
    void text_(int y, int x, int width, int height, const QString &t, Qt::Alignment align, PrintFont font)
    {
        const bool right = align & Qt::AlignRight;
        const bool centre = align & Qt::AlignHCenter;
        const int inset = centre ? 0 : kPad;
        text(y, right ? x : x + inset, width - inset, height, t, align, font);
    }

    PrintLayout &m_layout;
    int m_page = 0;
};

} // namespace

SlipDocument SlipLayout::build(const SlipInput &in)
{
    SlipDocument doc;
    PrintLayout &layout = doc.layout;
    layout.dotsPerInch = kDotsPerInch;
    layout.pageMillimetres = QSizeF(kPageWidth / 10.0, kPageHeight / 10.0);
    Builder b(layout);
    const int width = kRight - kLeft;
    const PrintFont body{.points = 10};
    const PrintFont row{.points = 9};

    // The lines as they print, added in fen: the total is their sum to the
    // fen, and the capitals say the same amount.
    Money sum;
    for (const SlipLine &line : in.lines)
        sum += Money::fromValue(line.amount);
    doc.total = sum.general();
    if (sum.isNegative()) {
        doc.notice = QStringLiteral("合计金额为负数（退货），销售单的大写金额空着不填。");
    } else {
        const std::optional<QString> capitals = RmbCapitalsQuietly(doc.total);
        doc.capitals = capitals.value_or(QString());
        if (!capitals)
            doc.notice = QStringLiteral("合计金额无法写成大写，销售单的大写金额空着不填。");
    }

    // Title.
    b.text(120, kLeft, width, 100, in.header, Qt::AlignHCenter, PrintFont{.points = 20, .bold = true});
    b.text(230, kLeft, width, 50, in.contact, Qt::AlignHCenter, body);
    b.rule(kLeft, 295, kRight, 295);
    b.rule(kLeft, 305, kRight, 305);

    // Customer and slip lines, from the first line of the slip.
    const SlipLine first = in.lines.empty() ? SlipLine{} : in.lines.front();
    b.text(320, kLeft, 1200, 50, QStringLiteral("客户名称：") + first.customer, Qt::AlignLeft, body);
    b.text(320, 1400, kRight - 1400, 50, QStringLiteral("单 号：") + in.slipNumber, Qt::AlignRight, body);
    b.text(375, kLeft, 850, 50, QStringLiteral("客户地址：") + first.address, Qt::AlignLeft, body);
    b.text(375, 960, 560, 50, QStringLiteral("联系电话：") + first.phone, Qt::AlignLeft, body);
    b.text(375, 1520, kRight - 1520, 50, QStringLiteral("日 期：") + first.day.left(10), Qt::AlignRight, body);

    b.headings(440);
    int y = 440 + kHeadingHeight;
    for (const SlipLine &line : in.lines) {
        if (y + kRowHeight > kBottom)
            y = b.nextPage();
        b.frame(y, kRowHeight, {0, 1, 2, 3, 4, 5, 6, 7});
        b.cell(y, 0, kRowHeight, line.name, Qt::AlignLeft, row);
        b.cell(y, 1, kRowHeight, line.specification, Qt::AlignLeft, row);
        b.cell(y, 2, kRowHeight, line.code, Qt::AlignLeft, row);
        b.cell(y, 3, kRowHeight, NumberText::general(line.quantity), Qt::AlignRight, row);
        b.cell(y, 4, kRowHeight, NumberText::general(line.price), Qt::AlignRight, row);
        b.cell(y, 5, kRowHeight, Money::fromValue(line.amount).general(), Qt::AlignRight, row);
        b.cell(y, 6, kRowHeight, line.remark, Qt::AlignLeft, row);
        y += kRowHeight;
    }

    // Summary, slogans and signatures stay together.
    const bool slogans = !in.slogan1.isEmpty();
    const int tail = kSummaryHeight + (slogans ? kSloganHeight : 0) + kSignatureHeight;
    if (y + tail > kBottom)
        y = b.nextPage();
    b.frame(y, kSummaryHeight, {0, 1, 2, 5, 7});
    b.cell(y, 0, kSummaryHeight, QStringLiteral("合 计"), Qt::AlignHCenter, body);
    b.cell(y, 1, kSummaryHeight, QStringLiteral("人民币"), Qt::AlignHCenter, body);
    b.text(y, columnLeft(2) + kPad, columnLeft(5) - columnLeft(2) - kPad, kSummaryHeight,
           QStringLiteral("（大写） ") + doc.capitals, Qt::AlignLeft, body);
    layout.texts.back().shrinkToFit = true;
    b.text(y, columnLeft(5), kRight - columnLeft(5) - kPad, kSummaryHeight, QStringLiteral("￥") + doc.total,
           Qt::AlignRight, body);
    y += kSummaryHeight;

    if (slogans) {
        b.text(y + 10, kLeft, width, 50, in.slogan1, Qt::AlignLeft, body);
        b.text(y + 60, kLeft, width, 50, in.slogan2, Qt::AlignLeft, body);
        y += kSloganHeight;
    }

    b.text(y + 20, kLeft, 600, 50, QStringLiteral("收货人："), Qt::AlignLeft, body);
    b.text(y + 20, kLeft + 650, 600, 50, QStringLiteral("送货人："), Qt::AlignLeft, body);
    b.text(y + 20, kLeft + 1300, 600, 50, QStringLiteral("制单人：") + in.operatorName, Qt::AlignLeft, body);
    return doc;
}

SlipInput SlipInput::withTexts(const PrintTexts &texts, const QString &slipNumber, const QString &operatorName)
{
    SlipInput in;
    in.header = texts.slipHeader;
    in.contact = texts.slipContact;
    in.slogan1 = texts.slipSlogan1;
    in.slogan2 = texts.slipSlogan2;
    in.slipNumber = slipNumber;
    in.operatorName = operatorName;
    return in;
}

} // namespace quollin
