#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "goods/StockInPanel.h"
#include "operators/Tloginfm.h"
#include "records/SixLineSlipLayout.h"
#include "sales/EscPosTicket.h"
#include "sales/LayoutPrinter.h"
#include "sales/SalePanel.h"
#include "sales/SlipLayout.h"
#include "sales/SlipPanel.h"
#include "sales/TicketLayout.h"
#include "sales/Tpos.h"
#include "support/ShopFixture.h"
#include "widgets/PasswordBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quollin;

namespace {

QString todaySlip(int serial)
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QString::asprintf("%.3d", serial);
}

// The extracted text names some glyphs by their radicals (⼩ for 小). NFKC
// folds the Kangxi radicals back, but ⼾ becomes the traditional 戶 where the
// page shows 户, and the supplement's ⺠ and ⻆ have no folding at all.
QString nfkc(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC)
        .replace(QChar(0x6236), QChar(0x6237))
        .replace(QChar(0x2EA0), QChar(0x6C11))
        .replace(QChar(0x2EC6), QChar(0x89D2));
}

// The text of a PDF as pdftotext reads it, compatibility forms folded.
QString pdfText(const QString &path, int page = 0)
{
    QProcess p;
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    args << QStringLiteral("-layout") << path << QStringLiteral("-");
    p.start(QStringLiteral("pdftotext"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return nfkc(QString::fromUtf8(p.readAllStandardOutput()));
}

// Whether a laid-out text shows in the extracted text. Blanks are left out
// on both sides: pdftotext rebuilds them from positions, and a narrow blank
// between two characters ("编 码") comes back as none.
QString withoutBlanks(QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); }
bool shows(const QString &pdf, const QString &text)
{
    const QString wanted = withoutBlanks(nfkc(text));
    return wanted.isEmpty() || withoutBlanks(pdf).contains(wanted);
}

// One start of the program over a test's own files, signed in, with the
// serial at 5 today.
struct Till : quollin::test::ShopFixture {
    std::unique_ptr<TMainForm> form;

    void start()
    {
        settings.write(QStringLiteral("danhao"), QStringLiteral("4"));
        settings.write(QStringLiteral("riqi"), DateText::today());
        form = std::make_unique<TMainForm>(shop(), prompter);
        form->show();
        form->requestSignIn();
        Tloginfm *login = form->signInWindow();
        QVERIFY(QTest::qWaitFor([&] { return login->isVisible(); }));
        login->nameBox()->setEditText(QStringLiteral("超级管理员"));
        login->passwordBox()->clear();
        QTest::keyClicks(login->passwordBox(), QStringLiteral("582"));
        login->signInButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return form->signInLogId() != 0; }));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        sale()->buildSlipNumber();
        slip()->show();
    }

    SalePanel *sale() const { return form->salePanel(); }
    SlipPanel *slip() const { return form->slipPanel(); }
    QString number() const { return sale()->slipNumberBox()->text(); }

    void addLine(const QString &name, double quantity, double amount, const QString &slipNumber = QString())
    {
        Statement s = db().prepare(QStringLiteral(
            "INSERT INTO data1 (a,b,c,z,\"3\",\"2\",\"4\",g,h,i,j,day1) "
            "VALUES (:a,'500ml','690123',:z,:q,:p,:n,'王五','东街1号','555','','2024-03-05')"));
        s.bind(":a", name).bind(":z", slipNumber.isEmpty() ? number() : slipNumber).bind(":q", quantity);
        s.bind(":p", quantity != 0 ? amount / quantity : 0.0).bind(":n", amount).exec();
        sale()->refreshSlip();
    }

    void typeCash(const QString &keys)
    {
        QLineEdit *cash = slip()->cashBox();
        cash->setFocus();
        cash->selectAll();
        QTest::keyClick(cash, Qt::Key_Backspace);
        QTest::keyClicks(cash, keys);
    }
};

} // namespace

class SlipPrintingTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
        QVERIFY(m_dir.isValid());
    }

    void cashTenderedTicketPrintsAndMovesOn()
    {
        Till till;
        till.start();
        QCOMPARE(till.number(), todaySlip(5));
        till.addLine(QStringLiteral("矿泉水"), 2, 6);
        till.addLine(QStringLiteral("一二三四五六七八九十"), 3, 45);
        // A line of slip 50 of the same day must not join slip 5's ticket.
        till.addLine(QStringLiteral("别的单"), 1, 7, todaySlip(50));
        QCOMPARE(till.slip()->totalBox()->text(), QStringLiteral("51"));

        // Only digits and the point get in; Enter goes on to the ticket.
        till.typeCash(QStringLiteral("1a0-0 e"));
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("100"));
        QCOMPARE(till.slip()->changeBox()->text(), QStringLiteral("49"));
        QTest::keyClick(till.slip()->cashBox(), Qt::Key_Return);
        QVERIFY(till.slip()->ticketButton()->hasFocus());

        const QString pdf = m_dir.filePath(QStringLiteral("ticket.pdf"));
        till.slip()->ticketPrinter().setPdfFile(pdf);
        till.form->stockInPanel()->dateBox()->setText(QStringLiteral("2024-03-06"));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.texts(), QStringList());
        QCOMPARE(till.number(), todaySlip(6));
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("0"));

        const QString text = pdfText(pdf);
        for (const QString &expected :
             {QStringLiteral("POS小票销售单"), QStringLiteral("销售单号：") + todaySlip(5),
              QStringLiteral("收银员：超级管理员"), QStringLiteral("打印时间：2024-03-06"),
              QStringLiteral("矿泉水 2 6"), QStringLiteral("一二三四五六七八九 3 45"), QStringLiteral("合计:51元"),
              QStringLiteral("现金:100.00元 找零:49.00元"), QStringLiteral("欢迎下次惠顾！")})
            QVERIFY2(shows(text, expected), qPrintable(expected + QStringLiteral("\n---\n") + text));
        QVERIFY(!text.contains(QStringLiteral("别的单")));
        QVERIFY(!text.contains(QStringLiteral("十")));
    }

    void refusedTendersPrintNothing()
    {
        Till till;
        till.start();
        const QString pdf = m_dir.filePath(QStringLiteral("refused.pdf"));
        till.slip()->ticketPrinter().setPdfFile(pdf);

        // An empty slip.
        till.typeCash(QStringLiteral("100"));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("先进行销售"));

        till.addLine(QStringLiteral("面包"), 3, 51);
        till.typeCash(QStringLiteral("50"));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("现金不足"));

        till.slip()->cashBox()->clear();
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("输入现金额"));
        QVERIFY(till.slip()->cashBox()->hasFocus());
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(till.number(), todaySlip(5));

        // A lone point: told when the box is left, the change stays.
        till.typeCash(QStringLiteral("60"));
        QCOMPARE(till.slip()->changeBox()->text(), QStringLiteral("9"));
        till.prompter.clear();
        till.typeCash(QStringLiteral("."));
        QCOMPARE(till.prompter.texts(), QStringList());
        till.slip()->ticketButton()->setFocus();
        QCOMPARE(till.prompter.texts().size(), 1);
        QCOMPARE(till.slip()->changeBox()->text(), QStringLiteral("9"));
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("."));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.texts().size(), 2);
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(till.number(), todaySlip(5));

        // "-", "上一单", "+" and "下一单" all start a new tender.
        for (const char *name : {"slipPrevious", "slipNext"}) {
            till.typeCash(QStringLiteral("12"));
            till.slip()->findChild<QPushButton *>(QLatin1String(name))->click();
            QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("0"));
        }
        till.typeCash(QStringLiteral("12"));
        till.sale()->previousSlip();
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("0"));
    }

    void tenthsReturnsAndCancelledSlips()
    {
        Till till;
        till.start();
        till.addLine(QStringLiteral("糖"), 1, 0.1);
        till.addLine(QStringLiteral("盐"), 1, 0.2);
        QCOMPARE(till.slip()->totalBox()->text(), QStringLiteral("0.3"));
        till.typeCash(QStringLiteral("1"));
        QCOMPARE(till.slip()->changeBox()->text(), QStringLiteral("0.7"));

        // Returns only: nothing to pay, 8 handed back.
        till.sale()->nextSlip();
        till.addLine(QStringLiteral("退货"), -1, -8);
        QCOMPARE(till.slip()->totalBox()->text(), QStringLiteral("-8"));
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("0"));
        QCOMPARE(till.slip()->changeBox()->text(), QStringLiteral("8"));
        const QString pdf = m_dir.filePath(QStringLiteral("return.pdf"));
        till.slip()->ticketPrinter().setPdfFile(pdf);
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.texts(), QStringList());
        QVERIFY(shows(pdfText(pdf), QStringLiteral("现金:0.00元 找零:8.00元")));
        QCOMPARE(till.number(), todaySlip(7));

        // A sale and its return cancel out.
        till.addLine(QStringLiteral("面包"), 2, 16);
        till.addLine(QStringLiteral("面包"), -2, -16);
        QCOMPARE(till.slip()->totalBox()->text(), QStringLiteral("0"));
        till.typeCash(QStringLiteral("5"));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("先进行销售"));
        QCOMPARE(till.number(), todaySlip(7));

        // 1.1 + 2.2 − 3.3 is nothing to the fen, not a binary residue: no
        // total, no change, and no ticket for any cash.
        till.sale()->nextSlip();
        till.addLine(QStringLiteral("糖"), 1, 1.1);
        till.addLine(QStringLiteral("盐"), 2, 2.2);
        till.addLine(QStringLiteral("糖盐"), -3, -3.3);
        QCOMPARE(till.slip()->totalBox()->text(), QStringLiteral("0"));
        const QString nothing = m_dir.filePath(QStringLiteral("nothing.pdf"));
        till.slip()->ticketPrinter().setPdfFile(nothing);
        for (const QString &cash : {QStringLiteral("0"), QStringLiteral("1")}) {
            till.prompter.clear();
            till.typeCash(cash);
            QCOMPARE(till.slip()->changeBox()->text(), cash);
            till.slip()->ticketButton()->click();
            QCOMPARE(till.prompter.texts(), QStringList{QStringLiteral("先进行销售")});
        }
        QVERIFY(!QFile::exists(nothing));
        QCOMPARE(till.number(), todaySlip(8));
    }

    void failedTicketKeepsTheNumber()
    {
        Till till;
        till.start();
        till.addLine(QStringLiteral("面包"), 3, 51);
        till.typeCash(QStringLiteral("100"));
        till.slip()->ticketPrinter().setPdfFile(m_dir.filePath(QStringLiteral("no/such/dir/t.pdf")));
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.texts().size(), 1);
        QVERIFY(till.prompter.lastText().contains(QStringLiteral("没有保存")));
        QCOMPARE(till.number(), todaySlip(5));
        QCOMPARE(till.slip()->cashBox()->text(), QStringLiteral("100"));

        // The default printer, when the machine has none.
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here");
        till.slip()->ticketPrinter().setPdfFile(QString());
        till.slip()->ticketButton()->click();
        QVERIFY(till.prompter.lastText().contains(QStringLiteral("没有安装打印机")));
        QCOMPARE(till.number(), todaySlip(5));
        // Kept as a PDF instead: handed out, so the next number.
        till.prompter.queueAnswer(true);
        const QString kept = m_dir.filePath(QStringLiteral("kept-ticket.pdf"));
        till.prompter.queueFileName(kept);
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("另存为PDF"));
        QVERIFY(shows(pdfText(kept), QStringLiteral("面包 3 51")));
        QCOMPARE(till.number(), todaySlip(6));
    }

    // A receipt printer without a driver, chosen in the print settings, gets
    // the ticket as ESC/POS bytes; the number moves on only when it took them.
    void receiptPrinterGetsEscPos()
    {
        Till till;
        till.start();
        till.addLine(QStringLiteral("面包"), 3, 51);
        Tpos *settings = till.form->printSettingsWindow();
        const QString device = m_dir.filePath(QStringLiteral("lp0"));
        // A mistyped device: nothing printed, no file made, the same number.
        const QString mistyped = m_dir.filePath(QStringLiteral("lpO"));
        settings->ticketPrinterBox()->setEditText(mistyped);
        till.typeCash(QStringLiteral("100"));
        till.slip()->ticketButton()->click();
        QVERIFY2(till.prompter.lastText().startsWith(QStringLiteral("无法打开小票打印机")), qPrintable(till.prompter.lastText()));
        QVERIFY(!QFile::exists(mistyped));
        QCOMPARE(till.number(), todaySlip(5));

        QFile plugged(device);
        QVERIFY(plugged.open(QIODevice::WriteOnly));
        plugged.close();
        settings->ticketPrinterBox()->setEditText(device);
        settings->drawerTick()->setChecked(true);
        till.prompter.clear();
        till.slip()->ticketButton()->click();
        QCOMPARE(till.prompter.texts(), QStringList());
        QCOMPARE(till.number(), todaySlip(6));
        QFile written(device);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith(EscPosTicket::initialise()));
        QVERIFY(bytes.endsWith(EscPosTicket::drawerPulse()));
        QVERIFY(bytes.contains(EscPosTicket::gbk(QStringLiteral("现金:100.00元"))));

        // A look at the window, when asked for.
        if (const QString shots = qEnvironmentVariable("QUOLLIN_SCREENSHOTS"); !shots.isEmpty()) {
            settings->show();
            QVERIFY(QTest::qWaitForWindowExposed(settings));
            settings->grab().save(QDir(shots).filePath(QStringLiteral("print-settings.png")));
        }
        // Saved and read back with the other settings.
        settings->saveButton()->click();
        QCOMPARE(till.settings.read(QStringLiteral("posprinter")), device);
        QCOMPARE(till.settings.read(QStringLiteral("drawer")), QStringLiteral("yes"));
    }

    void slipPrintShowsThePreviewAndMovesOn()
    {
        Till till;
        till.start();
        // Nothing sold: refused, and still the next number.
        till.slip()->slipPrintButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("先进行销售"));
        QCOMPARE(till.number(), todaySlip(6));

        till.addLine(QStringLiteral("退货"), -1, -8);
        till.prompter.clear();
        bool previewed = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(QTest::qWaitFor([&] { return qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget()); }));
            previewed = true;
            QApplication::activeModalWidget()->close();
        });
        till.slip()->slipPrintButton()->click();
        QVERIFY(previewed);
        // A returns-only slip: one message about its capitals, not the
        // capitals routine's two.
        QCOMPARE(till.prompter.texts().size(), 1);
        QVERIFY(till.prompter.lastText().contains(QStringLiteral("大写")));
        QCOMPARE(till.number(), todaySlip(7));
    }

    void printSettingsWindow()
    {
        Till till;
        till.start();
        Tpos *window = till.form->printSettingsWindow();
        QVERIFY(!window->isVisible());
        QMenu *menu = till.form->findChild<QMenu *>(QStringLiteral("settingsMenu"));
        QAction *entry = nullptr;
        for (QAction *a : menu->actions())
            if (a->text() == QStringLiteral("打印设置"))
                entry = a;
        QVERIFY(entry);
        entry->trigger();
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("销售单小票设置"));
        QCOMPARE(window->ticketTitleBox()->text(), QStringLiteral("POS小票销售单"));
        QVERIFY(window->findChild<QLabel *>(QStringLiteral("slipNote")));

        // An edit counts at once, saved or not.
        window->ticketTitleBox()->setText(QStringLiteral("王记小店"));
        till.addLine(QStringLiteral("面包"), 3, 51);
        till.typeCash(QStringLiteral("51"));
        const QString pdf = m_dir.filePath(QStringLiteral("titled.pdf"));
        till.slip()->ticketPrinter().setPdfFile(pdf);
        till.slip()->ticketButton()->click();
        QVERIFY(shows(pdfText(pdf), QStringLiteral("王记小店")));

        window->box(6)->clear(); // slip slogan 1
        window->saveButton()->click();
        QCOMPARE(till.prompter.lastText(), QStringLiteral("已保存成功！"));
        QVERIFY(!window->isVisible());
        QCOMPARE(till.settings.read(QStringLiteral("pos1")), QStringLiteral("王记小店"));

        // The next start reads them back, the emptied slogan included.
        till.form.reset();
        till.form = std::make_unique<TMainForm>(till.shop(), till.prompter);
        QCOMPARE(till.form->printSettingsWindow()->ticketTitleBox()->text(), QStringLiteral("王记小店"));
        QCOMPARE(till.form->printSettingsWindow()->box(6)->text(), QString());
        QCOMPARE(till.form->printSettingsWindow()->box(7)->text(), PrintTexts().slipSlogan2);
    }

    // The quantity column starts at the same x whatever the name holds:
    // Chinese, narrow or wide Latin letters, or a mix; nor does a line run
    // off the paper.
    void ticketColumnsStayPutWhateverTheName()
    {
        QImage device(1, 1, QImage::Format_RGB32);
        device.setDotsPerMeterX(int(1200 / 0.0254));
        device.setDotsPerMeterY(int(1200 / 0.0254));
        TicketInput ticket;
        for (const char *name : {"一二三四五六七八九", "ABCDEFGHIJKLMNOPQR", "WWWWWWWWWWWWWWWWWW", "A4打印纸WMWMWMWMWM",
                                 "iiiiiiiiiiiiiiiiiiii", "一二三四五六七八九十"}) {
            SlipLine l;
            l.name = QString::fromUtf8(name);
            l.quantity = 12;
            l.amount = 125.5;
            ticket.lines.push_back(l);
        }
        const PrintLayout layout = TicketLayout::build(ticket);
        const double scale = 1200.0 / layout.dotsPerInch;
        QList<double> xs;
        for (const PlacedText &t : layout.texts) {
            const qsizetype at = t.text.indexOf(QStringLiteral(" 12      125.5"));
            if (at < 0)
                continue;
            QFont font(t.font.family);
            font.setPointSizeF(t.font.points);
            font.setBold(t.font.bold);
            const QFontMetricsF metrics(font, &device);
            xs << metrics.horizontalAdvance(t.text.left(at + 2));
            QVERIFY2(metrics.horizontalAdvance(t.text) <= t.box.width() * scale, qPrintable(t.text));
        }
        QCOMPARE(xs.size(), 6);
        const double cell = QFontMetricsF(QFont(layout.texts.back().font.family), &device).horizontalAdvance(QLatin1Char('0'));
        for (double x : xs)
            QVERIFY2(std::abs(x - xs.first()) < cell / 4, qPrintable(QStringLiteral("%1 against %2").arg(x).arg(xs.first())));
    }

    // The amount in capitals is always written whole, on both slips, up to
    // the largest amount a slip holds.
    void capitalsAreWrittenWhole()
    {
        LayoutPrinter printer;
        const QList<QPair<QString, QString>> amounts{
            {QStringLiteral("123456.78"), QStringLiteral("壹拾贰万叁仟肆佰伍拾陆元柒角捌分")},
            {QStringLiteral("99999999.99"), QStringLiteral("玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分")}};
        for (const auto &[amount, capitals] : amounts) {
            SlipInput slip;
            slip.slipNumber = QStringLiteral("20240305003");
            SlipLine l;
            l.name = QStringLiteral("钢琴");
            l.quantity = 1;
            l.price = amount.toDouble();
            l.amount = amount.toDouble();
            slip.lines.push_back(l);
            const QString slipPdf = m_dir.filePath(QStringLiteral("capitals-%1.pdf").arg(amount));
            printer.setPdfFile(slipPdf);
            QCOMPARE(printer.print(SlipLayout::build(slip).layout, QStringLiteral("销售单")), QString());
            const QString slipText = pdfText(slipPdf);
            QVERIFY2(shows(slipText, QStringLiteral("（大写） ") + capitals + QStringLiteral("￥") + amount),
                     qPrintable(slipText));
            QVERIFY(!slipText.contains(QStringLiteral("...")));

            ComposerPrint six;
            six.rows.add(ComposerRow::fromLine(QStringLiteral("P01"), QStringLiteral("钢琴"), QString(), 1,
                                               amount.toDouble(), amount.toDouble()));
            six.total = amount;
            const QString sixPdf = m_dir.filePath(QStringLiteral("six-capitals-%1.pdf").arg(amount));
            printer.setPdfFile(sixPdf);
            QCOMPARE(printer.print(SixLineSlipLayout::build(six).layout, QStringLiteral("销售单")), QString());
            const QString sixText = pdfText(sixPdf);
            QVERIFY2(shows(sixText, QStringLiteral("(大写)") + capitals + QStringLiteral("￥") + amount),
                     qPrintable(sixText));
            QVERIFY(!sixText.contains(QStringLiteral("...")));
        }
    }

    // The documents as painted: every laid-out text is on its page.
    void layoutsRenderToPdf()
    {
        TicketInput ticket;
        ticket.title = QStringLiteral("POS小票销售单");
        ticket.slogan1 = QStringLiteral("Quollin进销存软件提供技术支持");
        ticket.closing = QStringLiteral("欢迎下次惠顾！");
        ticket.slipNumber = QStringLiteral("20240305003");
        ticket.cashier = QStringLiteral("超级管理员");
        ticket.date = QStringLiteral("2024-03-05");
        ticket.time = QStringLiteral("09:15:02");
        ticket.total = QStringLiteral("51");
        ticket.cash = QStringLiteral("100.00");
        ticket.change = QStringLiteral("49.00");
        // A name that would turn its line around prints it as it is read.
        SlipLine turned;
        turned.name = QStringLiteral("\u202E钢笔");
        turned.quantity = 12;
        turned.amount = 125.5;
        ticket.lines.push_back(turned);
        for (int i = 0; i < 60; ++i) {
            SlipLine l;
            l.name = QStringLiteral("商品%1号").arg(i + 1);
            l.quantity = 1;
            l.amount = 0.85;
            ticket.lines.push_back(l);
        }
        LayoutPrinter printer;
        const QString ticketPdf = m_dir.filePath(QStringLiteral("long-ticket.pdf"));
        printer.setPdfFile(ticketPdf);
        const PrintLayout ticketLayout = TicketLayout::build(ticket);
        QCOMPARE(printer.print(ticketLayout, QStringLiteral("小票")), QString());
        const QString ticketText = pdfText(ticketPdf);
        for (const PlacedText &t : ticketLayout.texts)
            QVERIFY2(shows(ticketText, t.text), qPrintable(t.text));
        // The 60th line is below 250 mm and still there.
        QVERIFY(ticketText.contains(QStringLiteral("商品60号")));
        QVERIFY2(shows(ticketText, QStringLiteral("钢笔 12 125.5")), qPrintable(ticketText));

        SlipInput slip;
        slip.header = QStringLiteral("王记商店销售单");
        slip.contact = QStringLiteral("地址：东街1号 电话：555");
        slip.slogan1 = QStringLiteral("货物当面点清");
        slip.slogan2 = QStringLiteral("谢谢惠顾");
        slip.slipNumber = QStringLiteral("20240305003");
        slip.operatorName = QStringLiteral("张三");
        for (int i = 0; i < 45; ++i) {
            SlipLine l;
            l.name = QStringLiteral("商品%1号").arg(i + 1);
            l.specification = QStringLiteral("大号");
            l.code = QStringLiteral("6901234%1").arg(i);
            l.quantity = 2;
            l.price = 8.5;
            l.amount = 17;
            l.customer = QStringLiteral("李四");
            l.day = QStringLiteral("2024-03-05");
            slip.lines.push_back(l);
        }
        const SlipDocument doc = SlipLayout::build(slip);
        QCOMPARE(doc.layout.pageCount, 2);
        const QString slipPdf = m_dir.filePath(QStringLiteral("slip.pdf"));
        printer.setPdfFile(slipPdf);
        QCOMPARE(printer.print(doc.layout, QStringLiteral("销售单")), QString());
        // To look at the pages: QUOLLIN_KEEP_PDF=<folder>.
        if (qEnvironmentVariableIsSet("QUOLLIN_KEEP_PDF")) {
            QFile::remove(qEnvironmentVariable("QUOLLIN_KEEP_PDF") + QStringLiteral("/ticket.pdf"));
            QFile::remove(qEnvironmentVariable("QUOLLIN_KEEP_PDF") + QStringLiteral("/slip.pdf"));
            QFile::copy(ticketPdf, qEnvironmentVariable("QUOLLIN_KEEP_PDF") + QStringLiteral("/ticket.pdf"));
            QFile::copy(slipPdf, qEnvironmentVariable("QUOLLIN_KEEP_PDF") + QStringLiteral("/slip.pdf"));
        }
        for (int page = 0; page < 2; ++page) {
            const QString text = pdfText(slipPdf, page + 1);
            for (const QString &t : doc.layout.textsOn(page))
                QVERIFY2(shows(text, t), qPrintable(t + QStringLiteral("\n---\n") + text));
        }
        QVERIFY(shows(pdfText(slipPdf, 2), QStringLiteral("（大写） 柒佰陆拾伍元整 ￥765")));
    }
};

QTEST_MAIN(SlipPrintingTest)
#include "tst_slipprinting.moc"
