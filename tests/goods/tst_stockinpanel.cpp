#include "core/ShopDatabase.h"
#include "goods/GoodsStore.h"
#include "goods/StockInPanel.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include "widgets/SpinLineEdit.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

namespace {

struct Fixture : quollin::test::ShopFixture {
    Fixture() : ShopFixture(Start::SignedInAsSuper) {}
    GoodsStore &store = goods();
    QWidget window;
    StockInPanel panel{shop(), prompter, &window};

    void type(const QString &name, const QString &code, const QString &price, const QString &quantity)
    {
        panel.nameBox()->setEditText(name);
        panel.codeBox()->setEditText(code);
        panel.categoryBox()->setEditText(QStringLiteral("饮料"));
        panel.purchasePriceBox()->setText(price);
        panel.quantityBox()->clear();
        QTest::keyClicks(panel.quantityBox(), quantity);
        panel.salePriceBox()->setText(QStringLiteral("15"));
    }
    std::vector<GoodsRecord> rows() { return store.list(ZeroStock::Shown); }
};

} // namespace

class StockInPanelTest : public QObject {
    Q_OBJECT

private slots:
    void newStockInStoresDerivedValues()
    {
        Fixture f;
        f.panel.openForNew();
        QSignalSpy saved(&f.panel, &StockInPanel::saved);
        f.type(QStringLiteral("  可口可乐 "), QStringLiteral("690"), QStringLiteral("12.5"), QStringLiteral("4"));
        f.panel.newButton()->click();
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toString(), QStringLiteral("数据入库成功..."));
        const auto rows = f.rows();
        QCOMPARE(rows.size(), size_t(1));
        const GoodsRecord &r = rows.front();
        QCOMPARE(r.name, QStringLiteral("可口可乐"));
        QCOMPARE(r.nameInitials, QStringLiteral("kkkl"));
        QCOMPARE(*r.purchaseAmount, 50.0);
        QCOMPARE(*r.stockQuantity, 4.0);
        QCOMPARE(*r.stockValue, 50.0);
        QCOMPARE(*r.soldQuantity, 0.0);
        QCOMPARE(*r.salesAmount, 0.0);
        QVERIFY(f.panel.isVisible() || !f.window.isVisible()); // stays open for the next entry
        QCOMPARE(f.panel.quantityBox()->text(), QString());     // cleared
        QVERIFY(!f.panel.changeEnabled());
    }

    void badNumbersAndMissingValuesWriteNothing_data()
    {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("lone point") << "." << "690" << "进货单价";
        QTest::newRow("two points") << "1.2.3" << "690" << "进货单价";
        QTest::newRow("missing code") << "2" << "  " << "商品编码必须输入！";
    }
    void badNumbersAndMissingValuesWriteNothing()
    {
        QFETCH(QString, price);
        QFETCH(QString, code);
        QFETCH(QString, message);
        Fixture f;
        f.panel.openForNew();
        f.type(QStringLiteral("饼干"), code, price, QStringLiteral("3"));
        f.panel.newButton()->click();
        QVERIFY2(f.prompter.lastText().contains(message), qPrintable(f.prompter.lastText()));
        QCOMPARE(f.prompter.shown.last().kind, ScriptedPrompter::Kind::Warning);
        QVERIFY(f.rows().empty());
        // The key filter keeps letters out of the numeric boxes.
        f.panel.quantityBox()->clear();
        QTest::keyClicks(f.panel.quantityBox(), QStringLiteral("2a.5b"));
        QCOMPARE(f.panel.quantityBox()->text(), QStringLiteral("2.5"));
    }

    // A paste or a drop meets the rule the keys meet.
    void pastedLettersAndSignsStayOut()
    {
        Fixture f;
        f.panel.openForNew();
        for (QLineEdit *box : {f.panel.purchasePriceBox(), f.panel.quantityBox(), f.panel.salePriceBox()}) {
            box->setText(QStringLiteral("3"));
            for (const char *pasted : {"4x", "-4", "1e5", " 4"}) {
                QGuiApplication::clipboard()->setText(QString::fromLatin1(pasted));
                box->end(false);
                box->paste();
                QCOMPARE(box->text(), QStringLiteral("3"));
                box->insert(QString::fromLatin1(pasted));
                QCOMPARE(box->text(), QStringLiteral("3"));
            }
            QGuiApplication::clipboard()->setText(QStringLiteral(".5"));
            box->paste();
            QCOMPARE(box->text(), QStringLiteral("3.5"));
        }
    }

    void changeRecountsStockAndAsksFirst()
    {
        Fixture f;
        f.panel.openForNew();
        f.type(QStringLiteral("雪碧"), QStringLiteral("691"), QStringLiteral("2"), QStringLiteral("10"));
        f.panel.newButton()->click();
        GoodsRecord row = f.rows().front();
        row.soldQuantity = 3;
        row.stockQuantity = 99; // whatever it held before
        QVERIFY(f.store.update(row));

        f.panel.openForChange(*f.store.find(row.id));
        QCOMPARE(f.panel.mode(), StockInPanel::Mode::Change);
        QVERIFY(f.panel.changeEnabled());
        QCOMPARE(f.panel.changeTarget(), row.id);
        f.panel.changeButton()->click(); // declined: the scripted box answers Cancel
        QCOMPARE(f.prompter.lastText(), QStringLiteral("你确实要修改选中资料吗？"));
        QCOMPARE(*f.store.find(row.id)->stockQuantity, 99.0);

        f.prompter.queueAnswer(true);
        f.panel.changeButton()->click();
        const GoodsRecord changed = *f.store.find(row.id);
        QCOMPARE(*changed.stockQuantity, 7.0);
        QCOMPARE(*changed.stockValue, 14.0);
        QCOMPARE(*changed.soldQuantity, 3.0);
        QVERIFY(!f.panel.changeEnabled());
    }

    void prefillThenNewAppendsAnotherRow()
    {
        Fixture f;
        f.panel.openForNew();
        f.type(QStringLiteral("农夫山泉"), QStringLiteral("692"), QStringLiteral("0.9"), QStringLiteral("24"));
        f.panel.remarksBox()->setText(QStringLiteral("整箱"));
        f.panel.newButton()->click();
        const GoodsRecord first = f.rows().front();
        f.panel.prefill(first);
        QCOMPARE(f.panel.quantityBox()->text(), QStringLiteral("24"));
        f.panel.newButton()->click();
        const auto rows = f.rows();
        QCOMPARE(rows.size(), size_t(2));
        QCOMPARE(rows.at(1).remarks, QStringLiteral("整箱"));
        QCOMPARE(rows.at(1).code, QStringLiteral("692"));
        QCOMPARE(*f.store.find(first.id), first);
    }

    void numericBoxesSpinAndPurchasePriceCanBeHidden()
    {
        Fixture f;
        f.panel.openForNew();
        for (QLineEdit *box : {f.panel.purchasePriceBox(), f.panel.quantityBox(), f.panel.salePriceBox()}) {
            auto *spin = qobject_cast<SpinLineEdit *>(box);
            QVERIFY2(spin, qPrintable(box->accessibleName()));
            QCOMPARE(spin->spinMinimum(), 0);
            QCOMPARE(spin->spinMaximum(), 100);
            QCOMPARE(spin->spinStep(), 1);
        }
        f.panel.quantityBox()->setText(QStringLiteral("99"));
        QTest::keyClick(f.panel.quantityBox(), Qt::Key_Up);
        QTest::keyClick(f.panel.quantityBox(), Qt::Key_Up);
        QCOMPARE(f.panel.quantityBox()->text(), QStringLiteral("100"));

        QCheckBox *tick = f.panel.hidePurchaseTick();
        QCOMPARE(tick->accessibleName(), QStringLiteral("隐藏进货单价和利润"));
        QVERIFY(!tick->isChecked());
        QVERIFY(!f.panel.purchasePriceBox()->isHidden());
        tick->click();
        QVERIFY(f.panel.purchasePriceBox()->isHidden());
        QVERIFY(f.panel.purchasePriceLabel()->isHidden());
        QVERIFY(!f.panel.quantityBox()->isHidden());
        // Enter passes over the hidden price on its way to the quantity.
        f.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.panel.dateBox()->setFocus();
        QTest::keyClick(f.panel.dateBox(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.panel.quantityBox());
        tick->click();
        QVERIFY(!f.panel.purchasePriceBox()->isHidden());
        QVERIFY(!f.panel.purchasePriceLabel()->isHidden());

        // Not remembered: a new panel starts unticked.
        StockInPanel another(f.shop(), f.prompter, &f.window);
        QVERIFY(!another.hidePurchaseTick()->isChecked());
        QVERIFY(!another.purchasePriceBox()->isHidden());
    }
};

QTEST_MAIN(StockInPanelTest)
#include "tst_stockinpanel.moc"
