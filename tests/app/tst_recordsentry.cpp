#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "session/Shop.h"
#include "core/PinyinInitials.h"
#include "goods/GoodsList.h"
#include "operators/Tloginfm.h"
#include "records/SaleLineEditPanel.h"
#include "records/Txstj.h"
#include "sales/SalePanel.h"
#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/PasswordBox.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using namespace quollin;

namespace {

// The main window over a test's own shop, signed in as the super administrator.
struct Till : quollin::test::ShopFixture {
    std::unique_ptr<TMainForm> form;

    void start()
    {
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
    }

    qint64 addGoods(const QString &name)
    {
        GoodsRecord r;
        r.name = name;
        r.nameInitials = PinyinInitials(name);
        r.specification = QStringLiteral("黑色");
        r.code = QStringLiteral("P01");
        r.category = QStringLiteral("文具");
        r.purchasePrice = 3.5;
        r.quantity = 15;
        r.salePrice = 8;
        r.soldQuantity = 10;
        r.salesAmount = 80;
        r.stockQuantity = 5;
        r.stockValue = 17.5;
        r.day1 = QStringLiteral("2024-03-01");
        return seedGoods(r);
    }

    // Runs `inside` while the records window is shown modally, then closes it.
    void whileOpen(const std::function<void()> &open, const std::function<void(Txstj *)> &inside)
    {
        Txstj *records = form->salesRecordsWindow();
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(QTest::qWaitFor([&] { return records->isVisible(); }));
            ran = true;
            inside(records);
            records->reject();
        });
        open();
        QVERIFY(ran);
        QVERIFY(!records->isVisible());
    }
};

} // namespace

class TestRecordsEntry : public QObject {
    Q_OBJECT
private slots:
    void toolbarAndGoodsMenuOpenTheWindowModally();
    void saleAndDeletionReachBothWindows();
};

void TestRecordsEntry::toolbarAndGoodsMenuOpenTheWindowModally()
{
    Till t;
    t.addGoods(QStringLiteral("钢笔"));
    t.addGoods(QStringLiteral("铅笔"));
    t.start();
    GoodsList *list = t.form->goodsList();
    list->nameBox()->setText(QStringLiteral("gb"));
    QCOMPARE(list->rowCount(), 1);
    QToolButton *button = nullptr;
    for (QToolButton *b : t.form->findChildren<QToolButton *>())
        if (b->accessibleName() == QStringLiteral("销售明细"))
            button = b;
    QVERIFY(button);
    t.whileOpen([&] { button->click(); }, [](Txstj *records) { QVERIFY(records->isModal()); });
    // Closing ran the goods list's "全部记录".
    QCOMPARE(list->rowCount(), 2);

    auto *menu = t.form->findChild<QMenu *>(QStringLiteral("goodsMenu"));
    QVERIFY(menu);
    QAction *entry = nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == QStringLiteral("销售明细"))
            entry = a;
    QVERIFY(entry);
    list->nameBox()->setText(QStringLiteral("qb"));
    QCOMPARE(list->rowCount(), 1);
    t.whileOpen([&] { entry->trigger(); }, [](Txstj *) {});
    QCOMPARE(list->rowCount(), 2);
}

void TestRecordsEntry::saleAndDeletionReachBothWindows()
{
    Till t;
    const qint64 pen = t.addGoods(QStringLiteral("钢笔"));
    t.addGoods(QStringLiteral("钢笔芯"));
    SaleInput in;
    in.goodsId = pen;
    in.price = QStringLiteral("8");
    in.quantity = QStringLiteral("2");
    in.arrears = QStringLiteral("0");
    in.saleDate = DateText::today();
    in.slipNumber = QStringLiteral("20990101001");
    in.customer = QStringLiteral("新客户");
    const SaleResult first = t.shop().sales().confirm(in);
    QVERIFY(first.ok);
    t.start();
    auto *customer = t.form->salePanel()->findChild<QComboBox *>(QStringLiteral("saleCustomer"));
    QVERIFY(customer);
    QVERIFY(customer->findText(QStringLiteral("新客户")) >= 0);

    in.quantity = QStringLiteral("1");
    in.slipNumber = QStringLiteral("20990101002");
    in.customer.clear();
    const SaleResult second = t.shop().sales().confirm(in);
    QVERIFY(second.ok);
    auto *slip = t.form->salesRecordsWindow()->findChild<QLineEdit *>(QStringLiteral("recordsSlip"));
    QCOMPARE(slip->text(), QStringLiteral("20990101002"));

    t.whileOpen([&] { t.form->openSalesRecords(); },
                [&](Txstj *records) {
                    QCOMPARE(records->rowCount(), 2);
                    QCOMPARE(records->lineId(1), second.lineId);
                    QCOMPARE(records->grid()->currentRow(), 1);
                    records->grid()->setCurrentRow(0);
                    QTest::keyClick(records->grid()->view(), Qt::Key_Delete);
                    QVERIFY(records->editPanel()->isVisible());
                    records->editPanel()->deleteButton()->click();
                    QCOMPARE(t.prompter.lastText(), QStringLiteral("删除销售记录成功！"));
                    QCOMPARE(records->rowCount(), 1);
                });
    // The goods list shows every row, the pen with the first sale back.
    GoodsList *list = t.form->goodsList();
    QCOMPARE(list->rowCount(), 2);
    const GoodsRecord back = list->record(list->rowOf(pen));
    QCOMPARE(*back.stockQuantity, 4.0);
    QCOMPARE(*back.soldQuantity, 11.0);
    // The deleted line's customer has left the sale panel's list.
    QCOMPARE(customer->findText(QStringLiteral("新客户")), -1);
}

QTEST_MAIN(TestRecordsEntry)
#include "tst_recordsentry.moc"
