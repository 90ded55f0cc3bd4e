#include "core/Database.h"
#include "core/GbkCodec.h"
#include "sales/PrintTexts.h"
#include "sales/SlipLayout.h"
#include "sales/SlipLines.h"
#include "sales/Tender.h"
#include "sales/TicketLayout.h"
#include "support/ShopFixture.h"

#include <QtTest>

using namespace quollin;

namespace {

int gbkLength(const QString &text)
{
    int bytes = 0;
    for (const char32_t c : text.toUcs4())
        bytes += GbkBytes(c).value_or(QByteArray(2, '?')).size();
    return bytes;
}

SlipLine line(const QString &name, double quantity, double amount, double price = 0)
{
    SlipLine l;
    l.name = name;
    l.quantity = quantity;
    l.amount = amount;
    l.price = price;
    return l;
}

TicketInput ticket(int lines)
{
    TicketInput in;
    in.title = QStringLiteral("POS小票销售单");
    in.slogan1 = QStringLiteral("宣传一");
    in.slogan2 = QStringLiteral("宣传二");
    in.closing = QStringLiteral("欢迎下次惠顾！");
    in.slipNumber = QStringLiteral("20240305003");
    in.cashier = QStringLiteral("超级管理员");
    in.date = QStringLiteral("2024-03-05");
    in.time = QStringLiteral("09:15:02");
    in.total = QStringLiteral("51");
    in.cash = Tender::cashOnTicket(QStringLiteral("100"));
    in.change = Tender::changeOnTicket(QStringLiteral("100"), QStringLiteral("51"));
    for (int i = 0; i < lines; ++i)
        in.lines.push_back(line(QStringLiteral("可乐"), 1, 3));
    return in;
}

SlipInput slip(int lines, const QString &slogan1 = QStringLiteral("货物当面点清"))
{
    SlipInput in;
    in.header = QStringLiteral("某某商店销售单");
    in.contact = QStringLiteral("地址：某路1号 电话：123");
    in.slogan1 = slogan1;
    in.slogan2 = QStringLiteral("谢谢惠顾");
    in.slipNumber = QStringLiteral("20240305003");
    in.operatorName = QStringLiteral("张三");
    for (int i = 0; i < lines; ++i) {
        SlipLine l = line(QStringLiteral("商品%1").arg(i + 1), 2, 16, 8);
        l.customer = QStringLiteral("王五");
        l.address = QStringLiteral("东街");
        l.phone = QStringLiteral("555");
        l.day = QStringLiteral("2024-03-05");
        in.lines.push_back(l);
    }
    return in;
}

} // namespace

class PrintLayoutsTest : public QObject {
    Q_OBJECT

private slots:
    void tenderChangeAndVerdicts()
    {
        QCOMPARE(Tender::change(QStringLiteral("100"), QStringLiteral("51")), QStringLiteral("49"));
        QCOMPARE(Tender::check(QStringLiteral("51"), QStringLiteral("100")), Tender::Verdict::Print);
        QCOMPARE(Tender::check(QStringLiteral("51"), QStringLiteral("50")), Tender::Verdict::ShortCash);
        QCOMPARE(Tender::message(Tender::Verdict::ShortCash), QStringLiteral("现金不足"));
        // 0.1 + 0.2 shows as 0.3; the cash 1 gives 0.7, and 0.3 exactly covers it.
        QCOMPARE(Tender::change(QStringLiteral("1"), QStringLiteral("0.3")), QStringLiteral("0.7"));
        QCOMPARE(Tender::check(QStringLiteral("0.3"), QStringLiteral("0.3")), Tender::Verdict::Print);
        // Returns only: cash 0 passes and the change is what is handed back.
        QCOMPARE(Tender::check(QStringLiteral("-8"), QStringLiteral("0")), Tender::Verdict::Print);
        QCOMPARE(Tender::change(QStringLiteral("0"), QStringLiteral("-8")), QStringLiteral("8"));
        QCOMPARE(Tender::check(QStringLiteral("0"), QStringLiteral("100")), Tender::Verdict::NoSale);
        QCOMPARE(Tender::message(Tender::Verdict::NoSale), QStringLiteral("先进行销售"));
        QCOMPARE(Tender::check(QStringLiteral("51"), QString()), Tender::Verdict::NoCash);
        QCOMPARE(Tender::message(Tender::Verdict::NoCash), QStringLiteral("输入现金额"));
        // Empty or no number: the change box keeps its text.
        QVERIFY(!Tender::change(QString(), QStringLiteral("51")));
        QVERIFY(!Tender::change(QStringLiteral("."), QStringLiteral("51")));
        QCOMPARE(Tender::check(QStringLiteral("51"), QStringLiteral(".")), Tender::Verdict::NotANumber);
        QVERIFY(!Tender::message(Tender::Verdict::NotANumber).isEmpty());
        QCOMPARE(Tender::cashOnTicket(QStringLiteral("100")), QStringLiteral("100.00"));
        QCOMPARE(Tender::changeOnTicket(QStringLiteral("1"), QStringLiteral("0.3")), QStringLiteral("0.70"));
    }

    void nameColumnCutsAtCharacterBoundaries()
    {
        // Three characters, six bytes: twelve blanks make the column.
        QCOMPARE(TicketLayout::nameColumn(QStringLiteral("矿泉水")), QStringLiteral("矿泉水") + QString(12, ' '));
        QCOMPARE(TicketLayout::lineText(line(QStringLiteral("矿泉水"), 2, 6)),
                 QStringLiteral("矿泉水") + QString(12, ' ') + QStringLiteral(" 2      6"));
        // Exactly 18 bytes: two blanks before the quantity.
        const QString nine = QStringLiteral("一二三四五六七八九");
        QCOMPARE(TicketLayout::lineText(line(nine, 1, 5)), nine + QStringLiteral("  1      5"));
        // 20 bytes: cut to 18.
        QCOMPARE(TicketLayout::nameColumn(nine + QStringLiteral("十")), nine + QStringLiteral(" "));
        // A cut that would fall inside a character keeps the character whole
        // and the column in place.
        const QString odd = QStringLiteral("a一二三四五六七八九");
        const QString column = TicketLayout::nameColumn(odd);
        QCOMPARE(column, QStringLiteral("a一二三四五六七八") + QStringLiteral("  "));
        QCOMPARE(gbkLength(column), 19);
        QCOMPARE(gbkLength(TicketLayout::nameColumn(QStringLiteral("ab"))), 18);
        QCOMPARE(gbkLength(TicketLayout::nameColumn(QString())), 18);
        // Amounts in the general format.
        QCOMPARE(TicketLayout::lineText(line(QStringLiteral("x"), 0.1 * 3, -16)),
                 QStringLiteral("x") + QString(17, ' ') + QStringLiteral(" 0.3      -16"));
    }

    void ticketPlacesItsLines()
    {
        const PrintLayout layout = TicketLayout::build(ticket(2));
        QCOMPARE(layout.dotsPerInch, 203);
        const QStringList texts = layout.textsOn(0);
        const QString dashes(31, '-');
        const QStringList expected{
            QStringLiteral("   POS小票销售单"), dashes, QStringLiteral("销售单号：20240305003"),
            QStringLiteral("收银员：超级管理员"), QStringLiteral("打印时间：2024-03-05 09:15:02 "), dashes,
            QStringLiteral("商品名称         数量     金额 "),
            TicketLayout::lineText(line(QStringLiteral("可乐"), 1, 3)),
            TicketLayout::lineText(line(QStringLiteral("可乐"), 1, 3)), dashes, QStringLiteral("合计:51元  "),
            QStringLiteral("现金:100.00元  找零:49.00元"), dashes, QStringLiteral("宣传一"), QStringLiteral("宣传二"),
            dashes, QStringLiteral("      欢迎下次惠顾！"), dashes};
        QCOMPARE(texts, expected);
        const std::vector<int> ys{0, 40, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330, 360, 390, 420, 450, 480, 510};
        for (size_t i = 0; i < ys.size(); ++i) {
            QCOMPARE(layout.texts[i].box.top(), ys[i]);
            QCOMPARE(layout.texts[i].box.left(), 0);
        }
        QCOMPARE(layout.texts[0].font.points, 10.0);
        QVERIFY(layout.texts[0].font.bold);
        QCOMPARE(layout.texts[1].font.points, 8.0);
        QVERIFY(!layout.texts[1].font.bold);
        QCOMPARE(layout.texts[0].font.family, QStringLiteral("Noto Sans Mono CJK SC"));
    }

    void ticketEndsAfterItsLinesAndIsNeverCut()
    {
        for (int n : {0, 1, 7, 51, 120}) {
            const PrintLayout layout = TicketLayout::build(ticket(n));
            QCOMPARE(layout.texts.back().box.top(), 450 + 30 * n);
            QCOMPARE(TicketLayout::lastLineY(n), 450 + 30 * n);
            QCOMPARE(layout.pageCount, 1);
            // The page reaches past the last line's own height: 250 mm or more.
            const double bottomDots = layout.pageMillimetres.height() / 25.4 * 203;
            QVERIFY2(bottomDots >= layout.texts.back().box.bottom(), qPrintable(QString::number(n)));
            QVERIFY(layout.pageMillimetres.height() >= 250);
        }
        QCOMPARE(TicketLayout::build(ticket(3)).pageMillimetres.height(), 250.0);
        QVERIFY(TicketLayout::build(ticket(120)).pageMillimetres.height() > 250.0);
    }

    void slipBandsInOrder()
    {
        const SlipDocument doc = SlipLayout::build(slip(2));
        QCOMPARE(doc.total, QStringLiteral("32"));
        QCOMPARE(doc.capitals, QStringLiteral("叁拾贰元整"));
        QVERIFY(doc.notice.isEmpty());
        QCOMPARE(doc.layout.pageCount, 1);
        QCOMPARE(doc.layout.textsOn(0),
                 (QStringList{QStringLiteral("某某商店销售单"), QStringLiteral("地址：某路1号 电话：123"),
                              QStringLiteral("客户名称：王五"), QStringLiteral("单 号：20240305003"),
                              QStringLiteral("客户地址：东街"), QStringLiteral("联系电话：555"),
                              QStringLiteral("日 期：2024-03-05"), QStringLiteral("商品名称"), QStringLiteral("规格型号"),
                              QStringLiteral("编 码"), QStringLiteral("数量"), QStringLiteral("单 价"),
                              QStringLiteral("金 额"), QStringLiteral("备 注"), QStringLiteral("商品1"), QString(),
                              QString(), QStringLiteral("2"), QStringLiteral("8"), QStringLiteral("16"), QString(),
                              QStringLiteral("商品2"), QString(), QString(), QStringLiteral("2"), QStringLiteral("8"),
                              QStringLiteral("16"), QString(), QStringLiteral("合 计"), QStringLiteral("人民币"),
                              QStringLiteral("（大写） 叁拾贰元整"), QStringLiteral("￥32"),
                              QStringLiteral("货物当面点清"), QStringLiteral("谢谢惠顾"), QStringLiteral("收货人："),
                              QStringLiteral("送货人："), QStringLiteral("制单人：张三")}));
        // Numbers right-aligned, the title centred, everything on the page.
        QVERIFY(doc.layout.find(QStringLiteral("￥32"))->align & Qt::AlignRight);
        QVERIFY(doc.layout.find(QStringLiteral("某某商店销售单"))->align & Qt::AlignHCenter);
        for (const PlacedText &t : doc.layout.texts) {
            QVERIFY(t.box.left() >= SlipLayout::kLeft && t.box.right() <= SlipLayout::kRight);
            QVERIFY(t.box.bottom() <= SlipLayout::kBottom);
        }
    }

    void slipWithoutSloganOneEndsWithSignatures()
    {
        const SlipDocument doc = SlipLayout::build(slip(1, QString()));
        const QStringList texts = doc.layout.textsOn(0);
        QVERIFY(!texts.contains(QStringLiteral("谢谢惠顾")));
        const int summary = doc.layout.find(QStringLiteral("合 计"))->box.bottom();
        // The signatures follow the summary directly.
        QVERIFY(doc.layout.find(QStringLiteral("收货人："))->box.top() - summary < 40);
        // Decided for each slip: the next one with a slogan prints it.
        QVERIFY(SlipLayout::build(slip(1)).layout.find(QStringLiteral("货物当面点清")));
    }

    void slipCapitalsOfReturnsAndEmptySlips()
    {
        SlipInput returns = slip(1);
        returns.lines[0].amount = -8;
        const SlipDocument doc = SlipLayout::build(returns);
        QCOMPARE(doc.total, QStringLiteral("-8"));
        QVERIFY(doc.capitals.isEmpty());
        QVERIFY(!doc.notice.isEmpty());
        QVERIFY(doc.layout.find(QStringLiteral("（大写） ")));
        QVERIFY(doc.layout.find(QStringLiteral("￥-8")));

        // A sale and its return cancel out; no lines at all: no capitals, no message.
        SlipInput cancelled = slip(2);
        cancelled.lines[1].amount = -16;
        QCOMPARE(SlipLayout::build(cancelled).total, QStringLiteral("0"));
        QVERIFY(SlipLayout::build(cancelled).notice.isEmpty());
        const SlipDocument none = SlipLayout::build(slip(0));
        QVERIFY(none.notice.isEmpty());
        QVERIFY(none.layout.find(QStringLiteral("客户名称：")));
        QVERIFY(none.layout.find(QStringLiteral("￥0")));

        // 0.1 + 0.2 sums as the grid shows it.
        SlipInput tenths = slip(2);
        tenths.lines[0].amount = 0.1;
        tenths.lines[1].amount = 0.2;
        QCOMPARE(SlipLayout::build(tenths).total, QStringLiteral("0.3"));
        QCOMPARE(SlipLayout::build(tenths).capitals, QStringLiteral("叁角"));

        // 1.1 + 2.2 − 3.3 prints as nothing, with no capitals and no residue.
        SlipInput residue = slip(3);
        residue.lines[0].amount = 1.1;
        residue.lines[1].amount = 2.2;
        residue.lines[2].amount = -3.3;
        const SlipDocument zero = SlipLayout::build(residue);
        QCOMPARE(zero.total, QStringLiteral("0"));
        QCOMPARE(zero.capitals, QString());
        QVERIFY(zero.notice.isEmpty());
        QVERIFY(zero.layout.find(QStringLiteral("￥0")));
        // Each line as its cell shows it, to the fen: three lines of 0.125
        // print 0.13 each, and the total and capitals say 0.39, not 0.375
        // read as 叁角柒分.
        SlipInput eighths = slip(3);
        for (SlipLine &l : eighths.lines)
            l.amount = 0.125;
        const SlipDocument third = SlipLayout::build(eighths);
        QCOMPARE(third.total, QStringLiteral("0.39"));
        QCOMPARE(third.capitals, QStringLiteral("叁角玖分"));
        QVERIFY(third.layout.find(QStringLiteral("0.13")));
    }

    void longSlipContinuesUnderRepeatedHeadings()
    {
        const SlipDocument doc = SlipLayout::build(slip(60));
        QCOMPARE(doc.layout.pageCount, 2);
        for (int page = 0; page < 2; ++page) {
            const QStringList texts = doc.layout.textsOn(page);
            QCOMPARE(texts.count(QStringLiteral("商品名称")), 1);
            QCOMPARE(texts.count(QStringLiteral("备 注")), 1);
        }
        // Every line once, in order, across the pages; nothing below the margin.
        QStringList names;
        for (int page = 0; page < 2; ++page)
            for (const QString &t : doc.layout.textsOn(page))
                if (t.startsWith(QStringLiteral("商品")) && t != QStringLiteral("商品名称"))
                    names << t;
        QCOMPARE(names.size(), 60);
        QCOMPARE(names.first(), QStringLiteral("商品1"));
        QCOMPARE(names.last(), QStringLiteral("商品60"));
        for (const PlacedText &t : doc.layout.texts)
            QVERIFY(t.box.bottom() <= SlipLayout::kBottom);
        for (const PlacedRule &r : doc.layout.rules)
            QVERIFY(r.line.y2() <= SlipLayout::kBottom);
        QCOMPARE(doc.layout.find(QStringLiteral("制单人：张三"))->page, 1);
        // Rows fill the first page before the break.
        int firstPageRows = 0;
        for (const QString &t : doc.layout.textsOn(0))
            firstPageRows += t.startsWith(QStringLiteral("商品")) && t != QStringLiteral("商品名称");
        QCOMPARE(firstPageRows, (SlipLayout::kBottom - 500) / SlipLayout::kRowHeight);

        // Rows that just fit leave the summary alone on the next page, under headings.
        const SlipDocument full = SlipLayout::build(slip(firstPageRows));
        QCOMPARE(full.layout.pageCount, 2);
        QCOMPARE(full.layout.find(QStringLiteral("合 计"))->page, 1);
        QCOMPARE(full.layout.textsOn(1).first(), QStringLiteral("商品名称"));
    }

    void printTextsDefaultsSaveAndReadBack()
    {
        quollin::test::ShopFixture fixture;
        ShopSettings &settings = fixture.shop().settings();
        const PrintTexts defaults = PrintTexts::load(settings);
        QCOMPARE(defaults.ticketTitle, QStringLiteral("POS小票销售单"));
        QCOMPARE(defaults.ticketSlogan1, QStringLiteral("Quollin进销存软件提供技术支持"));
        QCOMPARE(defaults.ticketClosing, QStringLiteral("欢迎下次惠顾！"));

        PrintTexts mine;
        mine.ticketTitle = QStringLiteral("小店");
        mine.ticketSlogan2 = QString();
        mine.slipSlogan1 = QString();
        mine.company = QStringLiteral("王记");
        QVERIFY(mine.save(settings));
        const PrintTexts back = PrintTexts::load(settings);
        QCOMPARE(back.ticketTitle, QStringLiteral("小店"));
        // Emptied texts come back empty, not as the defaults.
        QCOMPARE(back.ticketSlogan2, QString());
        QCOMPARE(back.slipSlogan1, QString());
        QCOMPARE(back.company, QStringLiteral("王记"));
        QCOMPARE(back.slipHeader, mine.slipHeader);
        QCOMPARE(settings.pos(1), QStringLiteral("小店"));
        QCOMPARE(settings.company(), QStringLiteral("王记"));
    }

    void slipLinesAreThoseOfExactlyThatNumber()
    {
        quollin::test::ShopFixture fixture;
        const auto add = [&](const QString &z, const QString &name) {
            Statement s = fixture.db().prepare(QStringLiteral(
                "INSERT INTO data1 (a,b,c,z,\"3\",\"2\",\"4\",g,h,i,j,day1) "
                "VALUES (:a,'500ml','690',:z,2,8,16,'王五','东街','555','备','2024-03-05')"));
            s.bind(":a", name).bind(":z", z).exec();
        };
        add(QStringLiteral("20240305100"), QStringLiteral("甲"));
        add(QStringLiteral("202403051000"), QStringLiteral("乙"));
        add(QStringLiteral("202403051009"), QStringLiteral("丙"));
        add(QStringLiteral("20240305100"), QStringLiteral("丁"));
        const std::vector<SlipLine> lines = ReadSlipLines(fixture.shop().slips(), QStringLiteral(" 20240305100 "));
        QCOMPARE(lines.size(), size_t(2));
        QCOMPARE(lines[0].name, QStringLiteral("甲"));
        QCOMPARE(lines[1].name, QStringLiteral("丁"));
        QCOMPARE(lines[0].code, QStringLiteral("690"));
        QCOMPARE(lines[0].remark, QStringLiteral("备"));
        QCOMPARE(lines[0].day, QStringLiteral("2024-03-05"));
        QCOMPARE(lines[0].amount, 16.0);
    }
};

QTEST_GUILESS_MAIN(PrintLayoutsTest)
#include "tst_printlayouts.moc"
