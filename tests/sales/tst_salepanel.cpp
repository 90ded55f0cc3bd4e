#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "goods/StockInPanel.h"
#include "operators/OperatorAccounts.h"
#include "operators/Tloginfm.h"
#include "sales/SalePanel.h"
#include "sales/SlipPanel.h"
#include "session/CurrentSlip.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/PasswordBox.h"
#include "widgets/SuccessNotice.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

namespace {

QString today() { return DateText::today(); }
QString todaySlip(int serial) { return QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QString::asprintf("%.3d", serial); }

// One start of the program over a test's own files, signed in.
struct Till : quollin::test::ShopFixture {
    Till() = default;
    Till(const QString &databasePath, const QString &settingsPath) : ShopFixture(databasePath, settingsPath) {}

    std::unique_ptr<TMainForm> form;
    GoodsStore &store = goods();

    void start(const QString &name = QStringLiteral("超级管理员"))
    {
        form = std::make_unique<TMainForm>(shop(), prompter);
        form->show();
        form->requestSignIn();
        Tloginfm *login = form->signInWindow();
        QVERIFY(QTest::qWaitFor([&] { return login->isVisible(); }));
        login->nameBox()->setEditText(name);
        login->passwordBox()->clear();
        QTest::keyClicks(login->passwordBox(), QStringLiteral("582"));
        login->signInButton()->click();
        QVERIFY(QTest::qWaitFor([&] { return form->signInLogId() != 0; }));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    qint64 addGoods(const QString &name, double purchase, double price, double sold, double salesAmount, double stock,
                    double stockValue)
    {
        GoodsRecord r;
        r.name = name;
        r.specification = QStringLiteral("500ml");
        r.code = QStringLiteral("690") + name;
        r.category = QStringLiteral("饮料");
        r.purchasePrice = purchase;
        r.quantity = sold + stock;
        r.purchaseAmount = purchase * (sold + stock);
        r.salePrice = price;
        r.soldQuantity = sold;
        r.salesAmount = salesAmount;
        r.stockQuantity = stock;
        r.stockValue = stockValue;
        r.remarks = QStringLiteral("货架A");
        r.day1 = QStringLiteral("2024-03-01");
        return seedGoods(r);
    }

    SalePanel *sale() const { return form->salePanel(); }
    SlipPanel *slip() const { return form->slipPanel(); }

    void open(qint64 id)
    {
        form->goodsList()->refreshAll();
        form->goodsList()->grid()->setCurrentRow(form->goodsList()->rowOf(id));
        form->openSale(id);
        QVERIFY(sale()->isVisible());
    }

    // Confirms on the open panel.
    void confirm(const QString &customer)
    {
        sale()->customerBox()->setEditText(customer);
        sale()->confirmButton()->click();
        QVERIFY(!sale()->isVisible());
    }

    void sell(qint64 id, const QString &customer)
    {
        open(id);
        confirm(customer);
    }

    void typeInto(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

    QStringList lines(const QString &columns = QStringLiteral("z,\"2\",\"3\",\"4\",a5,g,day1"))
    {
        Statement s = db().prepare(QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM data1 ORDER BY \"ID\""));
        QStringList out;
        while (s.next()) {
            QStringList fields;
            for (int i = 0; i < s.columnCount(); ++i)
                fields << s.text(i);
            out << fields.join(QLatin1Char('|'));
        }
        return out;
    }

    void addLine(const QString &slip, double amount, const QString &customer = QString(),
                 const QString &address = QString(), const QString &phone = QString(), const QString &remark = QString())
    {
        Statement s = db().prepare(QStringLiteral(
            "INSERT INTO data1 (a,b,z,\"3\",\"2\",\"4\",g,h,i,j,day1) VALUES ('旧货','',:z,1,:n,:n,:g,:h,:i,:j,'2024-03-05')"));
        s.bind(":z", slip).bind(":n", amount).bind(":g", customer).bind(":h", address).bind(":i", phone).bind(":j", remark);
        s.exec();
    }
};

} // namespace

class SalePanelTest : public QObject {
    Q_OBJECT

private slots:
    // The worked example: goods bought at 3.5, sold at 8, 10 sold and 5 in
    // stock; 2 more sold.
    void saleDeductsTheRowAndAppendsTheLine()
    {
        Till shop;
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("6"));
        shop.settings.write(QStringLiteral("riqi"), today());
        const qint64 id = shop.addGoods(QStringLiteral("可乐"), 3.5, 8, 10, 80, 5, 17.5);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QCOMPARE(p->nameLabel()->text(), QStringLiteral("可乐"));
        QCOMPARE(p->suggestedPriceLabel()->text(), QStringLiteral("8"));
        QCOMPARE(p->priceBox()->text(), QStringLiteral("8"));
        QCOMPARE(p->stockBox()->text(), QStringLiteral("5"));
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("1"));
        QCOMPARE(p->amountBox()->text(), QStringLiteral("8"));
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(7));
        QVERIFY(shop.form->stockInPanel()->changeEnabled()); // the opened row may be changed
        QCOMPARE(shop.form->stockInPanel()->remarksBox()->text(), QStringLiteral("货架A"));

        // Enter walks the boxes in the panel's order.
        QVERIFY(p->priceBox()->hasFocus());
        for (QWidget *next : {(QWidget *)p->discountBox(), (QWidget *)p->quantityBox(), (QWidget *)p->arrearsBox(),
                              (QWidget *)p->dateBox(), (QWidget *)p->slipNumberBox(), (QWidget *)p->customerBox()}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(next->hasFocus());
        }
        shop.typeInto(p->quantityBox(), QStringLiteral("2"));
        QCOMPARE(p->amountBox()->text(), QStringLiteral("16"));
        p->customerBox()->setEditText(QStringLiteral("张三"));
        p->addressBox()->setText(QStringLiteral("北京路1号"));
        p->confirmButton()->click();

        QCOMPARE(shop.lines(), QStringList{todaySlip(7) + QStringLiteral("|8.0|2.0|16.0|9.0|张三|") + today()});
        const GoodsRecord row = *shop.store.find(id);
        QCOMPARE(*row.soldQuantity, 12.0);
        QCOMPARE(*row.salesAmount, 96.0);
        QCOMPARE(*row.stockQuantity, 3.0);
        QCOMPARE(*row.stockValue, 10.5);
        QVERIFY(!p->isVisible());
        QCOMPARE(shop.form->successNotice()->text(), QStringLiteral("销售数据保存成功..."));
        // The list shows the sold row's new stock in place.
        GoodsList *goods = shop.form->goodsList();
        const int listed = goods->rowOf(id);
        QCOMPARE(goods->grid()->model()->value(listed, QStringLiteral("7")).toDouble(), 3.0);
        QCOMPARE(goods->grid()->model()->sum(goods->grid()->model()->columnOf(QStringLiteral("5"))), 12.0);
        // Cleared for the next sale; the customer stays for the slip's next line.
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("1"));
        QCOMPARE(p->arrearsBox()->text(), QStringLiteral("0"));
        QCOMPARE(p->priceBox()->text(), QString());
        QCOMPARE(p->customerBox()->currentText(), QStringLiteral("张三"));
        QVERIFY(p->customerBox()->findText(QStringLiteral("张三")) >= 0);
        QCOMPARE(shop.settings.read(QStringLiteral("danhao")), QStringLiteral("7"));
        QCOMPARE(shop.slip()->model()->rowCount(), 1);
        QCOMPARE(shop.slip()->totalBox()->text(), QStringLiteral("16"));
    }

    // A screen reader finds each of the row's values by its caption and
    // reads the value, as it does for the stock box.
    void rowValuesReadAsCaptionAndValue()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("可乐"), 3.5, 8, 10, 80, 5, 17.5);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        const std::pair<QWidget *, const char *> shown[] = {
            {p->nameLabel(), "商品名称：|可乐"}, {p->specificationLabel(), "规格型号：|500ml"},
            {p->codeLabel(), "商品编码：|690可乐"}, {p->categoryLabel(), "类 别：|饮料"},
            {p->suggestedPriceLabel(), "建议销售价：|8"}, {p->stockBox(), "库存数量：|5"}};
        for (auto [widget, expected] : shown) {
            QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(a11y);
            QCOMPARE(a11y->text(QAccessible::Name) + QLatin1Char('|') + a11y->text(QAccessible::Value),
                     QString::fromUtf8(expected));
            QVERIFY(!a11y->state().focusable || widget == p->stockBox());
        }
    }

    // A paste, a drop or an automation client's text meets the rule the keys
    // meet: digits and the point, and a leading minus in the quantity box
    // (the "退" button puts it there).
    void pastedTextMeetsTheKeyRule()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("可乐"), 3.5, 8, 10, 80, 5, 17.5);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        for (QLineEdit *box : {p->priceBox(), p->discountBox(), p->quantityBox(), p->arrearsBox()}) {
            const QString before = box->text();
            QGuiApplication::clipboard()->setText(QStringLiteral("12abc"));
            box->end(false);
            box->paste();
            QCOMPARE(box->text(), before);
            box->insert(QStringLiteral("1e5")); // what a drop inserts
            QCOMPARE(box->text(), before);
            // An automation client setting the value.
            QAccessible::queryAccessibleInterface(box)->setText(QAccessible::Value, QStringLiteral("9 9"));
            QCOMPARE(box->text(), before);
            QGuiApplication::clipboard()->setText(QStringLiteral("5.5"));
            box->selectAll();
            box->paste();
            QCOMPARE(box->text(), QStringLiteral("5.5"));
        }
        shop.typeInto(p->quantityBox(), QStringLiteral("2"));
        p->returnButton()->click();
        QTest::keyClicks(p->quantityBox(), QStringLiteral("5"));
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("-25"));
        const QString price = p->priceBox()->text();
        QGuiApplication::clipboard()->setText(QStringLiteral("-1"));
        p->priceBox()->selectAll();
        p->priceBox()->paste();
        QCOMPARE(p->priceBox()->text(), price);
    }

    void discountReturnAndRounding()
    {
        Till shop;
        const qint64 cola = shop.addGoods(QStringLiteral("橙汁"), 12, 20, 0, 0, 10, 120);
        const qint64 tea = shop.addGoods(QStringLiteral("绿茶"), 3.5, 8, 0, 0, 10, 35);
        shop.start();
        shop.open(cola);
        SalePanel *p = shop.sale();
        QTest::keyClick(p->discountBox(), Qt::Key_Down); // the spin steps the discount by 5
        QCOMPARE(p->discountBox()->text(), QStringLiteral("95"));
        QCOMPARE(p->priceBox()->text(), QStringLiteral("19"));
        shop.typeInto(p->discountBox(), QStringLiteral("85"));
        QCOMPARE(p->priceBox()->text(), QStringLiteral("17"));
        shop.typeInto(p->quantityBox(), QStringLiteral("3"));
        QCOMPARE(p->amountBox()->text(), QStringLiteral("51"));
        shop.typeInto(p->quantityBox(), QStringLiteral("3.333"));
        p->confirmButton()->click();
        const GoodsRecord sold = *shop.store.find(cola);
        QCOMPARE(*sold.stockQuantity, 6.67);              // two decimals
        QCOMPARE(*sold.stockValue, 6.667 * 12);           // from the exact difference
        QCOMPARE(p->discountBox()->text(), QStringLiteral("85")); // kept for the next sale

        // A return of 2: "退" makes the quantity negative, a second click undoes it.
        shop.typeInto(p->discountBox(), QStringLiteral("100"));
        shop.open(tea);
        shop.typeInto(p->quantityBox(), QStringLiteral("2"));
        p->returnButton()->click();
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("-2"));
        p->returnButton()->click();
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("2"));
        p->returnButton()->click();
        QCOMPARE(p->amountBox()->text(), QStringLiteral("-16"));
        p->confirmButton()->click();
        const GoodsRecord back = *shop.store.find(tea);
        QCOMPARE(*back.stockQuantity, 12.0);
        QCOMPARE(*back.soldQuantity, -2.0);
        QCOMPARE(*back.salesAmount, -16.0);
        QCOMPARE(shop.lines(QStringLiteral("\"3\",\"4\",a5")).last(), QStringLiteral("-2.0|-16.0|-9.0"));
    }

    // Zero and short stock: nothing written, the closing steps run, and the
    // customer typed for this sale stays in its box.
    void refusalsWriteNothingAndKeepTheCustomer()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("雪碧"), 2, 3, 0, 0, 4, 8);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        p->customerBox()->setEditText(QStringLiteral("李四"));

        shop.typeInto(p->quantityBox(), QStringLiteral("0"));
        p->confirmButton()->click();
        QCOMPARE(shop.prompter.lastText(), QStringLiteral("销售数量不能为0"));
        QCOMPARE(p->customerBox()->currentText(), QStringLiteral("李四"));
        QCOMPARE(shop.settings.read(QStringLiteral("danhao")), QStringLiteral("1"));

        shop.typeInto(p->quantityBox(), QStringLiteral("5"));
        p->confirmButton()->click();
        QCOMPARE(shop.prompter.lastText(), QStringLiteral("库存不足"));
        QCOMPARE(p->quantityBox()->text(), QStringLiteral("4"));
        QCOMPARE(p->customerBox()->currentText(), QStringLiteral("李四"));

        // Texts the key filter lets through but that are no numbers, and
        // empty boxes: refused by name, focus on the box, panel open.
        const struct {
            QLineEdit *box;
            QString text;
            QString message;
        } cases[] = {
            {p->priceBox(), QString(), QStringLiteral("实际销售价必须输入！")},
            {p->priceBox(), QStringLiteral("."), QStringLiteral("实际销售价“.”不是有效的数字")},
            {p->arrearsBox(), QStringLiteral("1.2.3"), QStringLiteral("欠款金额“1.2.3”不是有效的数字")},
            {p->arrearsBox(), QString(), QStringLiteral("欠款金额必须输入！")},
            {p->quantityBox(), QString(), QStringLiteral("销售数量必须输入！")},
        };
        for (const auto &c : cases) {
            p->priceBox()->setText(QStringLiteral("3"));
            p->quantityBox()->setText(QStringLiteral("1"));
            p->arrearsBox()->setText(QStringLiteral("0"));
            c.box->setText(c.text);
            p->confirmButton()->click();
            QCOMPARE(shop.prompter.lastText(), c.message);
            QCOMPARE(shop.prompter.shown.last().kind, ScriptedPrompter::Kind::Warning);
            QVERIFY(p->isVisible());
            QVERIFY(c.box->hasFocus());
        }
        QVERIFY(shop.lines().isEmpty());
        QCOMPARE(*shop.store.find(id)->stockQuantity, 4.0);
        // Letters never reach a number box from the keyboard.
        shop.typeInto(p->priceBox(), QStringLiteral("1a-2.5"));
        QCOMPARE(p->priceBox()->text(), QStringLiteral("12.5"));
    }

    void slipNumbersFollowTheSerial()
    {
        Till shop;
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("998"));
        shop.settings.write(QStringLiteral("riqi"), today());
        const qint64 id = shop.addGoods(QStringLiteral("面包"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(999));
        p->nextSlip();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(1000));
        QCOMPARE(p->slipNumberBox()->text().size(), 12);
        shop.shop().currentSlip().serial() = SlipSerial::fromStored(QStringLiteral("0"), today());
        p->previousSlip();
        p->previousSlip();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(0));
    }

    // The serial restarts at 1 for the first opening of a new day only; a
    // damaged stored serial counts as absent.
    void serialRestartsOncePerDay()
    {
        Till shop;
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("41"));
        shop.settings.write(QStringLiteral("riqi"), DateText::date(QDate::currentDate().addDays(-1)));
        const qint64 id = shop.addGoods(QStringLiteral("牛奶"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(1));
        p->nextSlip();
        p->closePanel();
        shop.open(id);
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(2));

        QCOMPARE(SlipSerial::fromStored(QStringLiteral("abc"), QString()).serial(), 1);
        QCOMPARE(SlipSerial::fromStored(QStringLiteral("2.5"), QString()).serial(), 1);
        QCOMPARE(SlipSerial::fromStored(QString(), QString()).serial(), 1);
    }

    // The serial's day is the day it counted for, never the sale date box:
    // a back-dated sale must not make the next start restart the count onto
    // a slip that already holds lines.
    void backdatedSaleKeepsTodaysSlipNumber()
    {
        const QString yesterday = DateText::date(QDate::currentDate().addDays(-1));
        Till shop;
        shop.settings.write(QStringLiteral("riqi"), today());
        const qint64 id = shop.addGoods(QStringLiteral("蛋糕"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QVERIFY(!p->dateBox()->isReadOnly());
        p->dateBox()->setText(yesterday);
        p->confirmButton()->click();
        QCOMPARE(shop.lines(QStringLiteral("z,day1")), QStringList{todaySlip(1) + QLatin1Char('|') + yesterday});
        shop.form->close();
        QCOMPARE(shop.settings.read(QStringLiteral("riqi")), today());

        // The next start the same day goes on counting.
        SlipSerial next = SlipSerial::fromStored(shop.settings.read(QStringLiteral("danhao")),
                                                 shop.settings.read(QStringLiteral("riqi")));
        QVERIFY(!next.restartForDay(QDate::currentDate()));
        QCOMPARE(next.number(QDate::currentDate()), todaySlip(2));
    }

    // Two copies of the program on one file: a new number is never a slip
    // that holds lines, not even one the other till filled after this one
    // was offered it; each slip holds the lines of one customer only.
    void twoTillsNeverShareASlip()
    {
        Till a;
        const qint64 id = a.addGoods(QStringLiteral("面包"), 2, 3, 0, 0, 500, 1000);
        a.start();
        Till b(a.env.databasePath(), a.env.path(QStringLiteral("till-b.ini")));
        b.start();
        a.open(id);
        b.open(id);
        QCOMPARE(b.sale()->slipNumberBox()->text(), todaySlip(1)); // nothing sold yet
        a.confirm(QStringLiteral("甲"));
        b.confirm(QStringLiteral("乙"));
        QCOMPARE(b.sale()->slipNumberBox()->text(), todaySlip(2));
        QCOMPARE(b.slip()->slipNumber(), todaySlip(2));
        QCOMPARE(b.slip()->model()->rowCount(), 1);
        a.sale()->nextSlip();
        QCOMPARE(a.sale()->slipNumberBox()->text(), todaySlip(3));
        QCOMPARE(a.slip()->model()->rowCount(), 0);

        // Both step on and open before either sells.
        for (int round = 0; round < 5; ++round) {
            a.sale()->nextSlip();
            b.slip()->findChild<QPushButton *>(QStringLiteral("slipNext"))->click();
            a.open(id);
            b.open(id);
            a.confirm(QStringLiteral("甲%1").arg(round));
            b.confirm(QStringLiteral("乙%1").arg(round));
            a.sell(id, QStringLiteral("甲%1").arg(round));
        }
        Statement mixed = a.db().prepare(QStringLiteral("SELECT z FROM data1 GROUP BY z HAVING count(DISTINCT g) > 1"));
        QVERIFY2(!mixed.next(), qPrintable(mixed.text(0)));
        Statement slips = a.db().prepare(QStringLiteral("SELECT count(DISTINCT z) FROM data1"));
        QVERIFY(slips.next());
        QCOMPARE(slips.integer(0), 12);
    }

    // A same-day restart offers a slip without lines, although the last sale
    // went onto an earlier slip reached with "-".
    void restartOffersASlipWithoutLines()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("饼干"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.sell(id, QStringLiteral("赵六"));
        shop.sale()->nextSlip();
        shop.sell(id, QStringLiteral("孙七"));
        shop.sale()->previousSlip();
        shop.sell(id, QStringLiteral("赵六"));
        QCOMPARE(shop.lines(QStringLiteral("z")), (QStringList{todaySlip(1), todaySlip(2), todaySlip(1)}));
        shop.form->close();

        Till again(shop.env.databasePath(), shop.env.settingsPath());
        again.start();
        again.open(id);
        QCOMPARE(again.sale()->slipNumberBox()->text(), todaySlip(3));
        QCOMPARE(again.slip()->model()->rowCount(), 0);
    }

    // A stored serial no shop reaches counts as none; "+" never overflows
    // into a negative serial.
    void absurdStoredSerialCountsAsNone()
    {
        Till shop;
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("2147483646"));
        shop.settings.write(QStringLiteral("riqi"), today());
        const qint64 id = shop.addGoods(QStringLiteral("糖果"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(1));
        p->nextSlip();
        QCOMPARE(p->slipNumberBox()->text(), todaySlip(2));
        for (const QString &stored : {QStringLiteral("2147483647"), QStringLiteral("99999999999"), QStringLiteral("-5")})
            QCOMPARE(SlipSerial::fromStored(stored, QString()).serial(), 1);
    }

    // A new day's count continues after the slips the file already holds for
    // today (another start left open past midnight, a lost setting).
    void newDayContinuesAfterTodaysSlips()
    {
        Till shop;
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("7"));
        shop.settings.write(QStringLiteral("riqi"), DateText::date(QDate::currentDate().addDays(-1)));
        shop.addLine(todaySlip(1), 5, QStringLiteral("赵六"));
        shop.addLine(todaySlip(3), 5, QStringLiteral("孙七"));
        shop.addLine(todaySlip(12), 5);
        shop.addLine(QDate::currentDate().addDays(1).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("050"), 5);
        const qint64 id = shop.addGoods(QStringLiteral("面包"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        QCOMPARE(shop.sale()->slipNumberBox()->text(), todaySlip(13));
        QCOMPARE(shop.settings.read(QStringLiteral("riqi")), today());
        QCOMPARE(shop.sale()->customerBox()->currentText(), QString());
    }

    // Refilling the customer list is no choice of a customer: after "下一单"
    // a walk-in sale carries no stranger's address or phone.
    void walkInAfterNextSlipCarriesNoAddress()
    {
        Till shop;
        shop.addLine(QStringLiteral("20240305001"), 5, QStringLiteral("艾伦"), QStringLiteral("人民路8号"), QStringLiteral("135"));
        const qint64 id = shop.addGoods(QStringLiteral("可乐"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        p->nextSlip();
        QCOMPARE(p->customerBox()->currentText(), QString());
        QCOMPARE(p->addressBox()->text(), QString());
        QCOMPARE(p->phoneBox()->text(), QString());
        p->confirmButton()->click();
        QCOMPARE(shop.lines(QStringLiteral("g,h,i")).last(), QStringLiteral("||"));
    }

    // A sale made by the rules alone (no panel) reaches the goods list and
    // the slip panel through the shop: no window hands it on.
    void windowsFollowTheShopsSales()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("雪碧"), 2, 3, 0, 0, 10, 20);
        shop.start();
        GoodsList *list = shop.form->goodsList();
        list->refreshAll();
        SlipPanel *slip = shop.form->slipPanel();
        shop.shop().currentSlip().show(todaySlip(5), QString());
        QCOMPARE(slip->model()->rowCount(), 0);

        SaleInput in;
        in.goodsId = id;
        in.price = QStringLiteral("3");
        in.quantity = QStringLiteral("4");
        in.arrears = QStringLiteral("0");
        in.saleDate = today();
        in.slipNumber = todaySlip(5);
        in.customer = QStringLiteral("钱九");
        QVERIFY(shop.shop().sales().confirm(in).ok);

        const int row = list->rowOf(id);
        QVERIFY(row >= 0);
        const int stock = list->grid()->model()->columnOf(QStringLiteral("7"));
        QCOMPARE(list->grid()->model()->number(row, stock), 6.0);
        QCOMPARE(slip->model()->rowCount(), 1);
        QCOMPARE(slip->totalBox()->text(), QStringLiteral("12"));
        QCOMPARE(slip->customerCaption()->text(), QStringLiteral("客户名称：钱九"));
    }

    // The two panels share the slip through the session alone: made without
    // the main window, the slip panel lists what the sale panel sells onto,
    // its number commands step the sale panel's number, and a sale on a slip
    // is there again when the slip is chosen again.
    void panelsShareTheSessionsSlipWithoutTheMainWindow()
    {
        Till shop;
        QVERIFY(shop.signIn());
        shop.settings.write(QStringLiteral("danhao"), QStringLiteral("4"));
        shop.settings.write(QStringLiteral("riqi"), today());
        shop.addLine(todaySlip(4), 5, QStringLiteral("艾伦"));
        const qint64 id = shop.addGoods(QStringLiteral("雪碧"), 2, 3, 0, 0, 10, 20);
        QWidget main;
        SalePanel sale(shop.shop(), shop.prompter, &main);
        SlipPanel slip(shop.shop(), shop.prompter, &main);
        CurrentSlip &current = shop.shop().currentSlip();
        current.restore();
        current.serial().restartForDay(QDate::currentDate(), 4);

        sale.open(*shop.goods().find(id));
        QCOMPARE(sale.slipNumberBox()->text(), todaySlip(5));
        QCOMPARE(slip.model()->rowCount(), 0);
        sale.quantityBox()->setText(QStringLiteral("2"));
        sale.customerBox()->setEditText(QStringLiteral("钱九"));
        sale.confirmButton()->click();
        QCOMPARE(slip.model()->rowCount(), 1);
        QCOMPARE(slip.totalBox()->text(), QStringLiteral("6"));
        QCOMPARE(slip.customerCaption()->text(), QStringLiteral("客户名称：钱九"));

        shop.typeInto(slip.cashBox(), QStringLiteral("10"));
        QCOMPARE(current.cash(), QStringLiteral("10"));
        QCOMPARE(slip.changeBox()->text(), QStringLiteral("4"));
        slip.findChild<QPushButton *>(QStringLiteral("slipPrevious"))->click();
        QCOMPARE(sale.slipNumberBox()->text(), todaySlip(4));
        QCOMPARE(slip.totalBox()->text(), QStringLiteral("5"));
        QCOMPARE(slip.customerCaption()->text(), QStringLiteral("客户名称：艾伦"));
        QCOMPARE(slip.cashBox()->text(), QStringLiteral("0"));

        shop.typeInto(sale.slipNumberBox(), todaySlip(5));
        QCOMPARE(slip.slipNumber(), todaySlip(5));
        QCOMPARE(slip.totalBox()->text(), QStringLiteral("6"));
        QCOMPARE(slip.customerCaption()->text(), QStringLiteral("客户名称：钱九"));
        // The next number skips the slips that hold lines.
        slip.findChild<QPushButton *>(QStringLiteral("slipNext"))->click();
        QCOMPARE(sale.slipNumberBox()->text(), todaySlip(6));
        QCOMPARE(slip.model()->rowCount(), 0);
    }

    // What an ordinary operator may not see is not in the list's model at
    // all, whatever columns are shown.
    void ordinaryOperatorsListHoldsNoPurchaseValues()
    {
        Till shop;
        shop.addOperator(QStringLiteral("王五"));
        const qint64 id = shop.addGoods(QStringLiteral("饼干"), 2, 3, 0, 0, 50, 100);
        shop.start(QStringLiteral("王五"));
        GoodsList *list = shop.form->goodsList();
        const int row = list->rowOf(id);
        QVERIFY(row >= 0);
        const GridModel *model = list->grid()->model();
        for (const char *field : {"1", "3", "8"})
            QVERIFY2(model->isNull(row, model->columnOf(QLatin1String(field))), field);
        QCOMPARE(model->number(row, model->columnOf(QStringLiteral("7"))), 50.0);
        QVERIFY(!shop.form->stockInPanel()->changeButton()->isEnabled());
        shop.form->stockInPanel()->changeButton()->click(); // reached over the accessibility bus
        QCOMPARE(shop.store.findStored(id)->stockQuantity, 50.0);
    }

    void ordinaryOperatorCannotChangeTheSaleDate()
    {
        Till shop;
        shop.addOperator(QStringLiteral("王五"));
        const qint64 id = shop.addGoods(QStringLiteral("饼干"), 2, 3, 0, 0, 50, 100);
        shop.start(QStringLiteral("王五"));
        shop.open(id);
        QVERIFY(shop.sale()->dateBox()->isReadOnly());
        // A read-only box is no protection: the rule dates the sale today.
        shop.sale()->dateBox()->setText(QStringLiteral("2019-05-05"));
        shop.sale()->confirmButton()->click();
        QCOMPARE(shop.lines(QStringLiteral("day1")), QStringList{today()});
    }

    // A known slip number fills the customer boxes from its lines and lists
    // exactly that slip; the total counts returns with their sign.
    void knownSlipAndCustomers()
    {
        Till shop;
        const QString slip100 = QStringLiteral("20240305100");
        shop.addLine(slip100, 16, QStringLiteral("赵六"), QStringLiteral("南京路2号"), QStringLiteral("139"), QStringLiteral("老客户"));
        shop.addLine(slip100, -8, QStringLiteral("赵六"), QStringLiteral("南京路2号"), QStringLiteral("139"), QStringLiteral("老客户"));
        shop.addLine(QStringLiteral("202403051000"), 99, QStringLiteral("孙七"));
        shop.addLine(QStringLiteral("202403051009"), 99, QStringLiteral("孙七"));
        // One customer with two addresses: the first of the distinct pairs.
        shop.addLine(QStringLiteral("20240306001"), 1, QStringLiteral("周八"), QStringLiteral("西路9号"), QStringLiteral("222"));
        shop.addLine(QStringLiteral("20240306002"), 1, QStringLiteral("周八"), QStringLiteral("东路1号"), QStringLiteral("111"));
        const qint64 id = shop.addGoods(QStringLiteral("酸奶"), 2, 3, 0, 0, 50, 100);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        QCOMPARE(p->customerBox()->count(), 3);

        shop.typeInto(p->slipNumberBox(), slip100);
        QCOMPARE(p->customerBox()->currentText(), QStringLiteral("赵六"));
        QCOMPARE(p->addressBox()->text(), QStringLiteral("南京路2号"));
        QCOMPARE(p->phoneBox()->text(), QStringLiteral("139"));
        QCOMPARE(p->remarkBox()->text(), QStringLiteral("老客户"));
        QCOMPARE(shop.slip()->model()->rowCount(), 2); // not the lines of serials 1000-1009
        QCOMPARE(shop.slip()->totalBox()->text(), QStringLiteral("8"));
        QCOMPARE(shop.slip()->customerCaption()->text(), QStringLiteral("客户名称：赵六"));
        QCOMPARE(shop.slip()->grid()->footer()->text(1), slip100);
        QCOMPARE(shop.slip()->grid()->footer()->text(0), QStringLiteral("销售单号："));

        shop.typeInto(p->slipNumberBox(), QStringLiteral("20991231001"));
        QCOMPARE(p->customerBox()->currentText(), QString());
        QCOMPARE(p->addressBox()->text(), QString());
        QCOMPARE(p->remarkBox()->text(), QString());
        QCOMPARE(shop.slip()->model()->rowCount(), 0);
        QCOMPARE(shop.slip()->totalBox()->text(), QStringLiteral("0"));

        p->customerBox()->setEditText(QStringLiteral("周八"));
        QCOMPARE(p->addressBox()->text(), QStringLiteral("东路1号"));
        QCOMPARE(p->phoneBox()->text(), QStringLiteral("111"));
        // Leaving the customer box empty empties address and phone.
        p->customerBox()->setFocus();
        p->customerBox()->setEditText(QString());
        QCOMPARE(p->addressBox()->text(), QStringLiteral("东路1号")); // emptying alone looks nothing up
        p->remarkBox()->setFocus();
        QCOMPARE(p->addressBox()->text(), QString());
        QCOMPARE(p->phoneBox()->text(), QString());
        p->addressBox()->setText(QStringLiteral("旧地址"));
        p->customerBox()->setEditText(QStringLiteral("新客户"));
        QCOMPARE(p->addressBox()->text(), QString());

        // After "+" the customer box is empty even for a known number.
        shop.shop().currentSlip().serial() = SlipSerial::fromStored(QStringLiteral("1"), QString());
        shop.typeInto(p->slipNumberBox(), todaySlip(1));
        p->nextSlip();
        QCOMPARE(p->customerBox()->currentText(), QString());
    }

    // Whatever moves or re-reads the list closes the sale panel, so it never
    // sells a row other than the current one.
    void panelClosesWhenTheListMoves()
    {
        Till shop;
        const qint64 a = shop.addGoods(QStringLiteral("苹果"), 2, 3, 0, 0, 50, 100);
        const qint64 b = shop.addGoods(QStringLiteral("香蕉"), 2, 3, 0, 0, 50, 100);
        shop.start();
        GoodsList *goods = shop.form->goodsList();
        shop.open(a);
        goods->grid()->setCurrentRow(goods->rowOf(b));
        QVERIFY(!shop.sale()->isVisible());
        shop.open(a);
        QTest::keyClicks(goods->nameBox(), QStringLiteral("x"));
        QVERIFY(!shop.sale()->isVisible());
        goods->nameBox()->clear();
        shop.open(a);
        shop.form->newStockIn();
        QVERIFY(!shop.sale()->isVisible());
    }

    // Only the sold row is read again: with zero stock hidden, a row sold out
    // leaves the list; the others and the cursor stay.
    void soldOutRowLeavesAListThatHidesZeroStock()
    {
        Till shop;
        shop.settings.write(QStringLiteral("n0"), QStringLiteral("no"));
        const qint64 a = shop.addGoods(QStringLiteral("甲"), 1, 2, 0, 0, 3, 3);
        const qint64 b = shop.addGoods(QStringLiteral("乙"), 1, 2, 0, 0, 3, 3);
        const qint64 c = shop.addGoods(QStringLiteral("丙"), 1, 2, 0, 0, 3, 3);
        shop.start();
        GoodsList *goods = shop.form->goodsList();
        QCOMPARE(goods->rowCount(), 3);
        shop.open(b);
        shop.typeInto(shop.sale()->quantityBox(), QStringLiteral("3"));
        shop.sale()->confirmButton()->click();
        QCOMPARE(goods->rowCount(), 2);
        QCOMPARE(goods->rowOf(b), -1);
        QVERIFY(goods->rowOf(a) >= 0 && goods->rowOf(c) >= 0);
        QCOMPARE(goods->grid()->model()->sum(goods->grid()->model()->columnOf(QStringLiteral("7"))), 6.0);
    }

    void keyboardConfirmationRereadsTheWholeList()
    {
        Till shop;
        const qint64 id = shop.addGoods(QStringLiteral("咖啡"), 5, 9, 0, 0, 6, 30);
        shop.start();
        shop.open(id);
        SalePanel *p = shop.sale();
        shop.typeInto(p->quantityBox(), QStringLiteral("2"));
        p->keyboardConfirmButton()->setFocus();
        QTest::keyClick(p->keyboardConfirmButton(), Qt::Key_Return);
        QCOMPARE(shop.prompter.lastText(), QStringLiteral("销售数据成功！"));
        QCOMPARE(*shop.store.find(id)->stockQuantity, 4.0);
        QVERIFY(!p->isVisible());
        // The refresh is "全部记录": the cursor stands on the last row.
        QCOMPARE(shop.form->goodsList()->grid()->currentRow(), shop.form->goodsList()->rowCount() - 1);
        QCOMPARE(shop.settings.read(QStringLiteral("danhao")), QString()); // not stored by this path
    }
};

QTEST_MAIN(SalePanelTest)
#include "tst_salepanel.moc"
