#include "core/Database.h"
#include "session/Shop.h"
#include "records/ComposerPrint.h"
#include "records/SixLineSlipLayout.h"
#include "records/SlipComposer.h"
#include "records/Txstj.h"
#include "sales/EscPosTicket.h"
#include "sales/LayoutPrinter.h"
#include "sales/PdfFallback.h"
#include "sales/SaleTransaction.h"
#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/GridOutput.h"

#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quollin;
using quollin::test::ShopFixture;

namespace {

QString thisMonth(int day) { return QDate::currentDate().toString(QStringLiteral("yyyy-MM-")) + QString::asprintf("%.2d", day); }

// The extracted text names some glyphs by their radicals; NFKC folds them.
QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .replace(QChar(0x6236), QChar(0x6237))
        .replace(QChar(0x2EA0), QChar(0x6C11))
        .replace(QChar(0x2ED4), QChar(0x95E8))
        .remove(QRegularExpression(QStringLiteral("\\s")));
}
bool shows(const QString &pdf, QString text)
{
    return pdf.contains(text.normalized(QString::NormalizationForm_KC).remove(QRegularExpression(QStringLiteral("\\s"))));
}

// Runs `action` while a print preview opens; the preview's pages are also
// painted into a PDF at `pdf` (when given), then the preview is closed.
// Whether a preview opened, and its title.
struct PreviewWatch {
    bool opened = false;
    QString title;
};
PreviewWatch watchPreview(QObject *context, const QString &pdf, const std::function<void()> &action,
                          const std::function<void(QPrintPreviewDialog *)> &inside = {})
{
    PreviewWatch watch;
    // A timer of this call only: when no preview opens, it never fires.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, context, [&] {
        if (!QTest::qWaitFor([] { return qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget()); }))
            return;
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
        watch.opened = true;
        watch.title = dialog->windowTitle();
        if (!pdf.isEmpty()) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QPageSize::A4));
            emit dialog->paintRequested(&printer);
        }
        if (inside)
            inside(dialog);
        dialog->reject();
    });
    timer.start(0);
    action();
    return watch;
}

// To look at the pages: QUOLLIN_KEEP_PDF=<folder>.
void keep(const QString &pdf, const QString &name)
{
    if (!qEnvironmentVariableIsSet("QUOLLIN_KEEP_PDF"))
        return;
    const QString kept = qEnvironmentVariable("QUOLLIN_KEEP_PDF") + QLatin1Char('/') + name;
    QFile::remove(kept);
    QFile::copy(pdf, kept);
}

struct Records : ShopFixture {
    Records() : ShopFixture(Start::SignedInAsSuper) {}
    std::unique_ptr<Txstj> window;
    QTemporaryDir dir;

    qint64 seed(const QString &name, const QString &slip, double quantity, double price, const QString &customer = QStringLiteral("王五"))
    {
        Statement s = db().prepare(QStringLiteral(
            "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2) "
            "VALUES (:a,'500ml','690123','饮料','KQS','500ML',:g,'东街1号','555','熟客',:z,1,:p,:q,:m,1,0,:day1,'2016-03-01')"));
        s.bind(":a", name).bind(":g", customer).bind(":z", slip).bind(":p", price).bind(":q", quantity);
        s.bind(":m", quantity * price).bind(":day1", thisMonth(1)).exec();
        return db().lastInsertId();
    }
    void open()
    {
        if (!window)
            window = std::make_unique<Txstj>(shop(), prompter);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    QAction *menuEntry(const QString &caption) const
    {
        for (QAction *a : window->contextMenu()->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    }
    int rowOf(const QString &name) const
    {
        for (int r = 0; r < window->rowCount(); ++r)
            if (window->model()->value(r, QStringLiteral("a")).toString() == name)
                return r;
        return -1;
    }
    void select(const QString &name)
    {
        const int row = rowOf(name);
        window->grid()->setCurrentRow(row);
        emit window->grid()->rowClicked(row);
    }
    SlipComposer *composer() const { return window->composer(); }
    QString cell(int row, SlipComposer::Column column) const { return composer()->box(row, column)->text(); }
    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

} // namespace

class RecordsPrintingTest : public QObject {
    Q_OBJECT

    QStringList opened;

private slots:
    void initTestCase()
    {
        QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
        GridOutput::setFileOpener([this](const QString &path) { opened << path; });
    }

    void gridExportsAndPrintsFromItsMenuAndKeys()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("20240305001"), 2, 3);
        r.seed(QStringLiteral("面包"), QStringLiteral("20240305001"), 3, 15);
        r.open();
        QAction *exportEntry = r.menuEntry(QStringLiteral("导出Excel"));
        QAction *printEntry = r.menuEntry(QStringLiteral("打 印"));
        QVERIFY(exportEntry && exportEntry->isVisible());
        QVERIFY(printEntry && printEntry->isVisible());
        QCOMPARE(exportEntry->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
        QCOMPARE(printEntry->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));

        // Ctrl+E on the grid writes the workbook of the rows shown.
        const QString path = r.file("销售.xlsx");
        r.prompter.queueFileName(path);
        opened.clear();
        QTest::keyClick(r.window->grid()->view(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(opened, QStringList{path});
        QVERIFY(QFile::exists(path));
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(QUOLLIN_SOURCE_DIR "/tests/widgets/read_xlsx.py"), path});
        if (python.waitForFinished(30000) && python.exitCode() == 0) {
            const QJsonObject cells = QJsonDocument::fromJson(python.readAllStandardOutput()).object()[QStringLiteral("cells")].toObject();
            QStringList values;
            for (const QJsonValue &c : cells)
                values << c.toObject()[QStringLiteral("value")].toVariant().toString();
            QVERIFY(values.contains(QStringLiteral("销 售 报 表")));
            QVERIFY(values.contains(QStringLiteral("矿泉水")));
            QVERIFY(values.contains(QStringLiteral("面包")));
            QVERIFY(values.contains(QStringLiteral("销 售 信 息")));
        } else {
            QWARN("the workbook could not be read back (python3-openpyxl)");
        }

        // Ctrl+D opens the print preview of the grid.
        const PreviewWatch preview = watchPreview(this, QString(), [&] {
            QTest::keyClick(r.window->grid()->view(), Qt::Key_D, Qt::ControlModifier);
        });
        QVERIFY(preview.opened);
        QCOMPARE(preview.title, QStringLiteral("销 售 统 计 报 表"));
        // The save dialog's title, and no message.
        QCOMPARE(r.prompter.texts(), QStringList{QStringLiteral("导出Excel")});
    }

    void slipPreviewOfExactlyThatNumber()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3);
        r.seed(QStringLiteral("面包"), QStringLiteral("100"), 3, 15);
        r.seed(QStringLiteral("别的单"), QStringLiteral("1000"), 1, 7);
        r.open();
        auto *slip = r.window->findChild<QLineEdit *>(QStringLiteral("recordsSlip"));
        auto *preview = r.window->findChild<QPushButton *>(QStringLiteral("slipPreviewButton"));
        slip->clear();
        const PreviewWatch none = watchPreview(this, QString(), [&] { preview->click(); });
        QVERIFY(!none.opened);
        QCOMPARE(r.prompter.lastText(), QStringLiteral("点选要打印的某行记录"));

        r.select(QStringLiteral("面包"));
        QCOMPARE(slip->text(), QStringLiteral("100"));
        r.prompter.clear();
        const QString pdf = r.file("slip.pdf");
        const PreviewWatch shown = watchPreview(this, pdf, [&] { preview->click(); });
        QVERIFY2(shown.opened, qPrintable(r.prompter.texts().join(QLatin1Char('|'))));
        QCOMPARE(r.prompter.texts(), QStringList());
        const QString text = pdfText(pdf);
        QVERIFY2(shows(text, QStringLiteral("单 号：100")), qPrintable(text));
        QVERIFY(shows(text, QStringLiteral("客户名称：王五")));
        QVERIFY(shows(text, QStringLiteral("矿泉水")));
        QVERIFY(shows(text, QStringLiteral("面包")));
        QVERIFY(shows(text, QStringLiteral("￥51")));
        QVERIFY(!text.contains(QStringLiteral("别的单")));

        // A number no line carries: told, no preview.
        slip->setText(QStringLiteral("999"));
        const PreviewWatch missing = watchPreview(this, QString(), [&] { preview->click(); });
        QVERIFY(!missing.opened);
        QVERIFY(r.prompter.lastText().contains(QStringLiteral("999")));
    }

    void confirmedSalesFillTheComposer()
    {
        Records r;
        GoodsRecord g;
        g.name = QStringLiteral("钢笔");
        g.specification = QStringLiteral("黑色");
        g.code = QStringLiteral("P01");
        g.purchasePrice = 3.5;
        g.soldQuantity = 0;
        g.salesAmount = 0;
        g.stockQuantity = 50;
        g.stockValue = 175;
        g.day1 = QStringLiteral("2016-03-01");
        const qint64 goods = r.seedGoods(g);
        r.open();
        r.window->reject(); // the composer fills while the window is closed
        SaleInput in;
        in.goodsId = goods;
        in.price = QStringLiteral("8.5");
        in.quantity = QStringLiteral("2");
        in.arrears = QStringLiteral("0");
        in.saleDate = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        in.slipNumber = QStringLiteral("20990101008");
        in.customer = QStringLiteral("李四");
        QVERIFY(r.shop().sales().confirm(in).ok);
        QCOMPARE(r.cell(0, SlipComposer::Code), QStringLiteral("P01"));
        QCOMPARE(r.cell(0, SlipComposer::Name), QStringLiteral("钢笔"));
        QCOMPARE(r.cell(0, SlipComposer::Specification), QStringLiteral("黑色"));
        QCOMPARE(r.cell(0, SlipComposer::Quantity), QStringLiteral("2"));
        QCOMPARE(r.cell(0, SlipComposer::Price), QStringLiteral("8.5"));
        QCOMPARE(r.cell(0, SlipComposer::Amount), QStringLiteral("17.00"));
        QCOMPARE(r.composer()->customerBox()->text(), QStringLiteral("李四"));
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("17.00"));

        // Six lines fill it; the seventh is saved but not carried.
        in.customer = QStringLiteral("赵六");
        for (int i = 0; i < 6; ++i)
            QVERIFY(r.shop().sales().confirm(in).ok);
        QCOMPARE(r.composer()->rows().filledCount(), 6);
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("102.00"));
        QCOMPARE(r.composer()->customerBox()->text(), QStringLiteral("赵六"));
        QCOMPARE(r.count(QStringLiteral("data1")), 7);

        // "删" empties its row and the total follows; the next sale takes it.
        r.composer()->deleteButton(3)->click();
        QCOMPARE(r.cell(3, SlipComposer::Name), QString());
        QCOMPARE(r.cell(3, SlipComposer::Amount), QString());
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("85.00"));
        in.quantity = QStringLiteral("1");
        QVERIFY(r.shop().sales().confirm(in).ok);
        QCOMPARE(r.cell(3, SlipComposer::Amount), QStringLiteral("8.50"));

        // The close mark empties every row and hides the panel; it survived
        // the closing of the window with its rows until now.
        r.open();
        r.composer()->show();
        r.composer()->closeButton()->click();
        QVERIFY(!r.composer()->isVisible());
        QCOMPARE(r.composer()->rows().filledCount(), 0);
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("0.00"));
    }

    void menuEntryCarriesTheCurrentRecord()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3, QStringLiteral("王五"));
        r.seed(QStringLiteral("面包"), QStringLiteral("101"), 3, 15, QStringLiteral("李四"));
        r.open();
        QAction *entry = r.menuEntry(QStringLiteral("POS小票打印"));
        QVERIFY(entry);
        QVERIFY(entry->isVisible());
        QVERIFY(!r.composer()->isVisible());
        r.select(QStringLiteral("面包"));
        entry->trigger();
        QVERIFY(r.composer()->isVisible());
        QCOMPARE(r.cell(0, SlipComposer::Name), QStringLiteral("面包"));
        QCOMPARE(r.cell(0, SlipComposer::Code), QStringLiteral("690123"));
        QCOMPARE(r.cell(0, SlipComposer::Quantity), QStringLiteral("3"));
        QCOMPARE(r.cell(0, SlipComposer::Price), QStringLiteral("15"));
        QCOMPARE(r.cell(0, SlipComposer::Amount), QStringLiteral("45.00"));
        QCOMPARE(r.composer()->customerBox()->text(), QStringLiteral("李四"));
        // Into the second row: the customer stays the first row's.
        r.select(QStringLiteral("矿泉水"));
        entry->trigger();
        QCOMPARE(r.cell(1, SlipComposer::Name), QStringLiteral("矿泉水"));
        QCOMPARE(r.composer()->customerBox()->text(), QStringLiteral("李四"));
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("51.00"));
        QCOMPARE(r.prompter.texts(), QStringList());

        // A full composer takes no seventh line, and says so.
        for (int i = 0; i < 4; ++i)
            entry->trigger();
        QCOMPARE(r.composer()->rows().filledCount(), 6);
        entry->trigger();
        QCOMPARE(r.prompter.texts().size(), 1);
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("75.00"));

        const QString shots = qEnvironmentVariable("QUOLLIN_SCREENSHOTS");
        if (!shots.isEmpty())
            QVERIFY(r.window->grab().save(QDir(shots).filePath(QStringLiteral("records-composer.png"))));
    }

    void composerTenderAndTicket()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3);
        r.seed(QStringLiteral("面包"), QStringLiteral("100"), 3, 15);
        r.settings.write(QStringLiteral("company"), QStringLiteral("王记商店"));
        r.settings.write(QStringLiteral("address"), QStringLiteral("东街1号"));
        r.open();
        QCOMPARE(r.window->companyBox()->text(), QStringLiteral("王记商店"));
        for (const char *name : {"矿泉水", "面包"}) {
            r.select(QString::fromUtf8(name));
            r.menuEntry(QStringLiteral("POS小票打印"))->trigger();
        }
        r.composer()->remarkBox()->setPlainText(QStringLiteral("送货上门"));

        // Digits and the point only; leaving the box shows the change; Enter
        // goes on to the ticket.
        QLineEdit *cash = r.composer()->cashBox();
        cash->setFocus();
        QTest::keyClicks(cash, QStringLiteral("1a0-0 e"));
        QCOMPARE(cash->text(), QStringLiteral("100"));
        QCOMPARE(r.composer()->changeBox()->text(), QString());
        QTest::keyClick(cash, Qt::Key_Return);
        QVERIFY(r.composer()->ticketButton()->hasFocus());
        QCOMPARE(r.composer()->changeBox()->text(), QStringLiteral("49"));

        // A ticket that fails keeps everything for another try.
        r.composer()->ticketPrinter().setPdfFile(r.file("no/such/dir/t.pdf"));
        r.composer()->ticketButton()->click();
        QCOMPARE(r.prompter.texts().size(), 1);
        QCOMPARE(r.composer()->rows().filledCount(), 2);

        const QString pdf = r.file("composer-ticket.pdf");
        r.composer()->ticketPrinter().setPdfFile(pdf);
        r.prompter.clear();
        r.composer()->ticketButton()->click();
        QCOMPARE(r.prompter.texts(), QStringList());
        keep(pdf, QStringLiteral("composer-ticket.pdf"));
        const QString text = pdfText(pdf);
        for (const QString &expected : {QStringLiteral("POS小票销售凭证"), QStringLiteral("矿泉水 2 6.00"),
                                        QStringLiteral("面包 3 45.00"), QStringLiteral("现金:100元 应收金额:51.00元"),
                                        QStringLiteral("找零:49元 收款员:超级管理员"), QStringLiteral("王记商店"),
                                        QStringLiteral("东街1号")})
            QVERIFY2(shows(text, expected), qPrintable(expected + QStringLiteral("\n") + text));
        // Cleared: rows, customer, cash and change; the remark stays.
        QCOMPARE(r.composer()->rows().filledCount(), 0);
        QCOMPARE(r.cell(0, SlipComposer::Name), QString());
        QCOMPARE(r.composer()->customerBox()->text(), QString());
        QCOMPARE(cash->text(), QString());
        QCOMPARE(r.composer()->changeBox()->text(), QString());
        QCOMPARE(r.composer()->totalBox()->text(), QStringLiteral("0.00"));
        QCOMPARE(r.composer()->remarkBox()->toPlainText(), QStringLiteral("送货上门"));

        // A lone point is told when the box is left; the change keeps its text.
        r.composer()->changeBox()->setText(QStringLiteral("9"));
        cash->setFocus();
        QTest::keyClicks(cash, QStringLiteral("."));
        r.composer()->ticketButton()->setFocus();
        QCOMPARE(r.prompter.texts().size(), 1);
        QCOMPARE(r.composer()->changeBox()->text(), QStringLiteral("9"));
    }

    // With a receipt printer chosen in the print settings, the composer's
    // ticket goes there as the slip panel's does.
    void composerTicketGoesToTheReceiptPrinter()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3);
        const QString device = r.file("lp0");
        QFile plugged(device);
        QVERIFY(plugged.open(QIODevice::WriteOnly));
        plugged.close();
        r.settings.write(QStringLiteral("posprinter"), device);
        r.settings.write(QStringLiteral("drawer"), QStringLiteral("yes"));
        r.open();
        r.select(QStringLiteral("矿泉水"));
        r.menuEntry(QStringLiteral("POS小票打印"))->trigger();
        r.composer()->ticketButton()->click();
        QCOMPARE(r.prompter.texts(), QStringList());
        QVERIFY(plugged.open(QIODevice::ReadOnly));
        const QByteArray bytes = plugged.readAll();
        QVERIFY(bytes.startsWith(EscPosTicket::initialise()));
        QVERIFY(bytes.contains(EscPosTicket::gbk(QStringLiteral("矿泉水      2     6.00"))));
        QVERIFY(bytes.endsWith(EscPosTicket::feedAndCut() + EscPosTicket::drawerPulse()));
        QCOMPARE(r.composer()->rows().filledCount(), 0);
    }

    void sixLineSlipPreviewThenCleared()
    {
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3, QStringLiteral("王五"));
        r.seed(QStringLiteral("面包"), QStringLiteral("100"), 3, 15, QStringLiteral("王五"));
        r.open();
        r.window->companyBox()->setText(QStringLiteral("王记商店"));
        for (const char *name : {"矿泉水", "面包"}) {
            r.select(QString::fromUtf8(name));
            r.menuEntry(QStringLiteral("POS小票打印"))->trigger();
        }
        r.composer()->remarkBox()->setPlainText(QStringLiteral("送货上门，下午三点前"));
        const QString pdf = r.file("six-line.pdf");
        const PreviewWatch shown = watchPreview(this, pdf, [&] { r.composer()->slipButton()->click(); });
        QVERIFY(shown.opened);
        const QString text = pdfText(pdf);
        for (const QString &expected :
             {QStringLiteral("王记商店销售单"), QStringLiteral("客户名称：王五"), QStringLiteral("商品编码"),
              QStringLiteral("矿泉水"), QStringLiteral("45.00"), QStringLiteral("送货上门"),
              QStringLiteral("(大写)伍拾壹元整"), QStringLiteral("￥51.00"), QStringLiteral("制单人：超级管理员"),
              QStringLiteral("客户签收：")})
            QVERIFY2(shows(text, expected), qPrintable(expected + QStringLiteral("\n") + text));
        QCOMPARE(r.composer()->rows().filledCount(), 0);
        QCOMPARE(r.composer()->customerBox()->text(), QString());
        QCOMPARE(r.composer()->remarkBox()->toPlainText(), QString());
        keep(pdf, QStringLiteral("six-line.pdf"));
    }

    // Without a printer, ticket and slips can be kept as PDF files.
    void keptAsPdfWhereNoPrinterIsInstalled()
    {
        if (PrinterInstalled())
            QSKIP("a printer is installed here");
        Records r;
        r.seed(QStringLiteral("矿泉水"), QStringLiteral("100"), 2, 3);
        r.open();
        r.select(QStringLiteral("矿泉水"));
        r.menuEntry(QStringLiteral("POS小票打印"))->trigger();

        // Declined: nothing written, the rows stay.
        r.composer()->ticketButton()->click();
        QVERIFY(r.prompter.lastText().contains(QStringLiteral("没有安装打印机")));
        QCOMPARE(r.prompter.texts().size(), 1);
        QCOMPARE(r.composer()->rows().filledCount(), 1);
        // A save dialog cancelled: the same.
        r.prompter.queueAnswer(true);
        r.composer()->ticketButton()->click();
        QCOMPARE(r.prompter.lastText(), QStringLiteral("另存为PDF"));
        QCOMPARE(r.composer()->rows().filledCount(), 1);

        // Accepted: the file the operator names, ".pdf" added.
        r.prompter.clear();
        r.prompter.queueAnswer(true);
        r.prompter.queueFileName(r.file("小票 一"));
        r.composer()->ticketButton()->click();
        QCOMPARE(r.prompter.texts().size(), 2);
        QVERIFY(shows(pdfText(r.file("小票 一.pdf")), QStringLiteral("矿泉水 2 6.00")));
        QCOMPARE(r.composer()->rows().filledCount(), 0);

        // The slip preview offers "另存为PDF" on its tool bar.
        auto *slip = r.window->findChild<QLineEdit *>(QStringLiteral("recordsSlip"));
        slip->setText(QStringLiteral("100"));
        r.prompter.clear();
        r.prompter.queueFileName(r.file("slip.pdf"));
        bool offered = false;
        const PreviewWatch shown = watchPreview(this, QString(), [&] {
            r.window->findChild<QPushButton *>(QStringLiteral("slipPreviewButton"))->click();
        }, [&](QPrintPreviewDialog *dialog) {
            auto *save = dialog->findChild<QAction *>(QStringLiteral("keepAsPdf"));
            offered = save && save->text() == QStringLiteral("另存为PDF");
            if (save)
                save->trigger();
        });
        QVERIFY(shown.opened);
        QVERIFY(offered);
        QCOMPARE(r.prompter.texts(), QStringList{QStringLiteral("另存为PDF")});
        QVERIFY(shows(pdfText(r.file("slip.pdf")), QStringLiteral("单 号：100")));
    }
};

QTEST_MAIN(RecordsPrintingTest)
#include "tst_recordsprinting.moc"
