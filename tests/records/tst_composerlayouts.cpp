#include "records/ComposerRows.h"
#include "records/ComposerTicketLayout.h"
#include "records/SixLineSlipLayout.h"

#include <QtTest>

using namespace quollin;

namespace {

ComposerRow line(const QString &name, double quantity, double price, const QString &code = QStringLiteral("690123"))
{
    return ComposerRow::fromLine(code, name, QStringLiteral("500ml"), quantity, price, quantity * price);
}

ComposerPrint sample()
{
    ComposerPrint p;
    p.rows.add(line(QStringLiteral("矿泉水"), 2, 3));
    p.rows.add(line(QStringLiteral("面包"), 3, 15));
    p.customer = QStringLiteral("王五");
    p.remark = QStringLiteral("送货上门");
    p.total = p.rows.total();
    p.cash = QStringLiteral("100");
    p.change = QStringLiteral("49");
    p.operatorName = QStringLiteral("张三");
    p.company = QStringLiteral("王记商店");
    p.address = QStringLiteral("东街1号 电话555");
    p.at = QDateTime(QDate(2024, 3, 5), QTime(9, 15, 2));
    return p;
}

// Every text and rule of a layout inside this rectangle of page 0.
bool inside(const PrintLayout &layout, const QRect &area)
{
    for (const PlacedText &t : layout.texts)
        if (t.page != 0 || !area.contains(t.box))
            return false;
    for (const PlacedRule &r : layout.rules)
        if (r.page != 0 || !area.contains(r.line.p1()) || !area.contains(r.line.p2()))
            return false;
    return true;
}

} // namespace

class ComposerLayoutsTest : public QObject {
    Q_OBJECT
private slots:
    void rowsFillTheFirstEmptyRowAndTotalInTwoDecimals()
    {
        ComposerRows rows;
        QCOMPARE(rows.total(), QStringLiteral("0.00"));
        const ComposerRow sold = ComposerRow::fromLine(QStringLiteral("P01"), QStringLiteral("钢笔"),
                                                       QStringLiteral("黑色"), 2, 8.5, 17);
        QCOMPARE(sold.quantity, QStringLiteral("2"));
        QCOMPARE(sold.price, QStringLiteral("8.5"));
        QCOMPARE(sold.amount, QStringLiteral("17.00"));
        for (int i = 0; i < ComposerRows::kRows; ++i)
            QCOMPARE(rows.add(sold), i);
        // A seventh line is not carried.
        QCOMPARE(rows.add(line(QStringLiteral("第七"), 1, 1)), -1);
        QCOMPARE(rows.filledCount(), 6);
        QCOMPARE(rows.total(), QStringLiteral("102.00"));

        // A deleted row is the next one filled.
        rows.clearRow(2);
        QVERIFY(rows.row(2).isEmpty());
        QCOMPARE(rows.total(), QStringLiteral("85.00"));
        QCOMPARE(rows.add(line(QStringLiteral("糖"), 1, 0.1)), 2);
        rows.clearRow(6); // out of range: nothing
        rows.clearRow(-1);
        QCOMPARE(rows.filledCount(), 6);

        // Tenths add up as shown, a return counts with its sign, an empty
        // amount counts as 0.
        rows.clear();
        QCOMPARE(rows.filledCount(), 0);
        rows.add(line(QStringLiteral("糖"), 1, 0.1));
        rows.add(line(QStringLiteral("盐"), 1, 0.2));
        QCOMPARE(rows.total(), QStringLiteral("0.30"));
        rows.add(line(QStringLiteral("退货"), -1, 8));
        ComposerRow noAmount = line(QStringLiteral("赠品"), 1, 0);
        noAmount.amount.clear();
        rows.add(noAmount);
        QCOMPARE(rows.total(), QStringLiteral("-7.70"));
        // A row without a name is empty even with an amount.
        ComposerRow nameless = line(QString(), 1, 5);
        QVERIFY(nameless.isEmpty());
    }

    void ticketLinesAndPositions()
    {
        ComposerPrint p = sample();
        p.rows.add(line(QStringLiteral("牛奶"), 1, 4.5));
        p.rows.clearRow(1); // the middle row deleted: skipped, no gap
        p.total = p.rows.total();
        const PrintLayout t = ComposerTicketLayout::build(p);
        QCOMPARE(t.dotsPerInch, 203);
        const QStringList expected{
            QStringLiteral("      POS小票销售凭证"),
            QString(31, QLatin1Char('-')),
            QStringLiteral("条码\\名称        数量     金额 "),
            QString(31, QLatin1Char('-')),
            QStringLiteral("矿泉水      2     6.00"),
            QStringLiteral("牛奶      1     4.50"),
            QString(31, QLatin1Char('-')),
            QStringLiteral("现金:100元    应收金额:10.50元"),
            QStringLiteral("找零:49元    收款员:张三"),
            QString(31, QLatin1Char('-')),
            QStringLiteral("交易时间:2024-03-05 09:15:02"),
            QStringLiteral("Quollin进销存软件提供打印技术支持"),
            QString(31, QLatin1Char('-')),
            QStringLiteral("         欢迎下次惠顾        "),
            QString(31, QLatin1Char('-')),
            QStringLiteral("王记商店"),
            QStringLiteral("东街1号 电话555"),
        };
        QCOMPARE(t.textsOn(0), expected);
        const QList<int> ys{0, 40, 60, 82, 105, 135, 165, 195, 225, 255, 285, 315, 345, 375, 405, 435, 465};
        for (int i = 0; i < int(t.texts.size()); ++i) {
            QCOMPARE(t.texts[size_t(i)].box.top(), ys[i]);
            QCOMPARE(t.texts[size_t(i)].box.left(), 0);
        }
        QVERIFY(t.texts[0].font.bold);
        QCOMPARE(t.texts[0].font.points, 10.0);
        QCOMPARE(t.texts[1].font.points, 8.0);
        QCOMPARE(t.texts[0].font.family, QStringLiteral("Noto Sans Mono CJK SC"));

        // Six rows: the shop's address 300 below the last row's end.
        ComposerPrint full = sample();
        for (int i = 0; i < 4; ++i)
            full.rows.add(line(QStringLiteral("饼干"), 1, 2));
        const PrintLayout six = ComposerTicketLayout::build(full);
        QCOMPARE(six.find(full.address)->box.top(), 105 + 6 * 30 + 300);
        // No rows at all: the foot follows the headings directly.
        ComposerPrint none = sample();
        none.rows.clear();
        QCOMPARE(ComposerTicketLayout::build(none).find(QString(31, QLatin1Char('-')))->box.top(), 40);
        QCOMPARE(ComposerTicketLayout::build(none).findStarting(QStringLiteral("现金:"))->box.top(), 105 + 30);
    }

    void sixLineSlipBlock()
    {
        const ComposerPrint p = sample();
        const SixLineSlip s = SixLineSlipLayout::build(p);
        const PrintLayout &l = s.layout;
        QCOMPARE(l.pageCount, 1);
        QCOMPARE(l.pageMillimetres, QSizeF(210, 297));
        // One block of 190 × 90 mm at the top.
        QVERIFY(inside(l, QRect(QPoint(100, 100), QPoint(2000, 1000))));

        QCOMPARE(l.find(QStringLiteral("王记商店销售单"))->align & Qt::AlignHCenter, Qt::AlignHCenter);
        QVERIFY(l.find(QStringLiteral("东街1号 电话555")));
        // Number (none) and date at the right of the customer, below the address.
        const PlacedText *number = l.find(QStringLiteral("单号："));
        const PlacedText *customer = l.find(QStringLiteral("客户名称：王五"));
        const PlacedText *date = l.find(QStringLiteral("日 期：2024-03-05"));
        QVERIFY(number && customer && date);
        QCOMPARE(number->box.top(), customer->box.top());
        QCOMPARE(date->box.top(), customer->box.top());
        QVERIFY(customer->box.right() < number->box.left());
        QVERIFY(number->box.right() < date->box.left());
        QVERIFY(l.find(QStringLiteral("东街1号 电话555"))->box.bottom() < customer->box.top());
        QVERIFY(l.find(QStringLiteral("日 期：2024-03-05")));
        QVERIFY(l.find(QStringLiteral("客户名称：王五")));
        // Headings in order, on one line.
        const PlacedText *code = l.find(QStringLiteral("商品编码"));
        QVERIFY(code);
        int x = -1;
        for (const char *title : {"商品编码", "商品名称", "规格型号", "数 量", "单 价", "金 额", "备 注"}) {
            const PlacedText *t = l.find(QString::fromUtf8(title));
            QVERIFY2(t, title);
            QCOMPARE(t->box.top(), code->box.top());
            QVERIFY(t->box.left() > x);
            x = t->box.left();
        }
        // Row 2 under the headings; numbers right, texts left.
        const PlacedText *bread = l.find(QStringLiteral("面包"));
        QCOMPARE(bread->box.top(), SixLineSlipLayout::kHeadingY + 2 * SixLineSlipLayout::kRowHeight);
        QVERIFY(bread->align & Qt::AlignLeft);
        const PlacedText *amount = l.find(QStringLiteral("45.00"));
        QCOMPARE(amount->box.top(), bread->box.top());
        QVERIFY(amount->align & Qt::AlignRight);
        QVERIFY(l.find(QStringLiteral("15"))->align & Qt::AlignRight);
        // The remark beside the first row, in the last column.
        const PlacedText *remark = l.find(QStringLiteral("送货上门"));
        QCOMPARE(remark->box.top(), SixLineSlipLayout::kHeadingY + SixLineSlipLayout::kRowHeight);
        QVERIFY(remark->box.left() > l.find(QStringLiteral("45.00"))->box.right());

        QCOMPARE(s.capitals, QStringLiteral("伍拾壹元整"));
        QVERIFY(s.notice.isEmpty());
        QVERIFY(l.find(QStringLiteral("(大写)伍拾壹元整")));
        QVERIFY(l.find(QStringLiteral("￥51.00")));
        QVERIFY(l.find(QStringLiteral("合 计")));
        QVERIFY(l.find(QStringLiteral("人民币")));
        // Blank lines for the signatures; only the operator is named.
        for (const QString &sign : {QStringLiteral("市场管理："), QStringLiteral("出货人："),
                                    QStringLiteral("仓库管理："), QStringLiteral("财 务："),
                                    QStringLiteral("制单人：张三"), QStringLiteral("客户签收：")})
            QVERIFY2(l.find(sign), qPrintable(sign));
        QVERIFY(l.find(QStringLiteral("客户签收："))->box.top() > l.find(QStringLiteral("￥51.00"))->box.bottom());

        // A returns-only composer: no capitals, one notice.
        ComposerPrint back = sample();
        back.rows.clear();
        back.rows.add(line(QStringLiteral("退货"), -1, 8));
        back.total = back.rows.total();
        const SixLineSlip r = SixLineSlipLayout::build(back);
        QVERIFY(r.capitals.isEmpty());
        QVERIFY(r.notice.contains(QStringLiteral("大写")));
        QVERIFY(r.layout.find(QStringLiteral("(大写)")));
        QVERIFY(r.layout.find(QStringLiteral("￥-8.00")));
        // A total of nothing has no capitals and needs no notice.
        ComposerPrint empty = sample();
        empty.rows.clear();
        empty.total = empty.rows.total();
        QVERIFY(SixLineSlipLayout::build(empty).notice.isEmpty());
    }

    void remarkWrapsAtCharacterBoundaries()
    {
        QCOMPARE(SixLineSlipLayout::remarkLines(QString()), QStringList());
        // 16 bytes a line: eight Chinese characters, or "a" and seven.
        QCOMPARE(SixLineSlipLayout::remarkLines(QStringLiteral("一二三四五六七八九")),
                 (QStringList{QStringLiteral("一二三四五六七八"), QStringLiteral("九")}));
        QCOMPARE(SixLineSlipLayout::remarkLines(QStringLiteral("a一二三四五六七八")),
                 (QStringList{QStringLiteral("a一二三四五六七"), QStringLiteral("八")}));
        // Line breaks typed in the box count as blanks.
        QCOMPARE(SixLineSlipLayout::remarkLines(QStringLiteral("上午\n送到")), QStringList{QStringLiteral("上午 送到")});
        // More than six lines: the sixth ends in the mark, still 16 bytes.
        const QStringList cut = SixLineSlipLayout::remarkLines(QString(60, QChar(0x4E00)));
        QCOMPARE(cut.size(), 6);
        QCOMPARE(cut[4], QString(8, QChar(0x4E00)));
        QCOMPARE(cut[5], QString(7, QChar(0x4E00)) + QStringLiteral("…"));
        // Exactly six full lines: nothing dropped, no mark.
        const QStringList exact = SixLineSlipLayout::remarkLines(QString(48, QChar(0x4E00)));
        QCOMPARE(exact.size(), 6);
        QCOMPARE(exact[5], QString(8, QChar(0x4E00)));
    }
};

QTEST_MAIN(ComposerLayoutsTest)
#include "tst_composerlayouts.moc"
