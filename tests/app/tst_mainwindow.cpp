#include "app/Skins.h"
#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/PasswordHash.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "goods/ColumnMemory.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "goods/GoodsSummaryWindow.h"
#include "goods/StockInPanel.h"
#include "sales/SalePanel.h"
#include "sales/SaleTransaction.h"
#include "widgets/DataGrid.h"
#include "widgets/GridOutput.h"
#include "operators/OperatorAccounts.h"
#include "operators/Tloginfm.h"
#include "operators/Tchangepassfm.h"
#include "operators/Tuserglfm.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnvironment.h"
#include "widgets/DateBoxKeeper.h"
#include "widgets/PasswordBox.h"
#include "widgets/SuccessNotice.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QRegularExpression>
#include <QToolButton>
#include <QTimer>
#include <QToolTip>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

namespace {

// One start of the program over a test's own files.
struct Run {
    SettingsStore settings;
    std::unique_ptr<Shop> shop;
    Database *db;
    ScriptedPrompter prompter;
    std::unique_ptr<TMainForm> form;

    explicit Run(const TestEnvironment &env)
        : settings(env.settingsPath()),
          shop(std::make_unique<Shop>(ShopDatabase::open(env.databasePath()), settings)),
          db(&shop->db())
    {
        form = std::make_unique<TMainForm>(*shop, prompter);
    }

    // An account as the file holds it, with the initial password.
    void addOperator(const QString &name)
    {
        Statement s = db->prepare(QStringLiteral("INSERT INTO userdb (username, passwd) VALUES (:n, :p)"));
        s.bind(":n", name).bind(":p", PasswordHash::hash(ShopDatabase::kInitialPassword)).exec();
    }

    Tloginfm *showAndWaitForSignIn()
    {
        form->show();
        form->requestSignIn();
        Tloginfm *login = form->signInWindow();
        if (!QTest::qWaitFor([&] { return login->isVisible(); }))
            return nullptr;
        return login;
    }

    void typeSignIn(const QString &name, const QString &password)
    {
        Tloginfm *login = form->signInWindow();
        login->nameBox()->setEditText(name);
        login->passwordBox()->clear();
        QTest::keyClicks(login->passwordBox(), password);
        login->signInButton()->click();
    }

    QStringList logRows()
    {
        Statement q = db->prepare(QStringLiteral("SELECT id, username, btime, jtime FROM rz ORDER BY id"));
        QStringList rows;
        while (q.next())
            rows << QStringLiteral("%1|%2|%3|%4").arg(q.text("id"), q.text("username"), q.text("btime"),
                                                     q.isNull("jtime") ? QStringLiteral("<null>") : q.text("jtime"));
        return rows;
    }

    QAction *settingsAction(const QString &caption)
    {
        auto *menu = form->findChild<QMenu *>(QStringLiteral("settingsMenu"));
        for (QAction *a : menu->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    }
};

const QRegularExpression kTimestamp(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$"));

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void superAdministratorSignsInAndIsLogged()
    {
        TestEnvironment env;
        Run run(env);
        int shortcutWrites = 0;
        run.form->setOnSignInShown([&] { ++shortcutWrites; });
        Tloginfm *login = run.showAndWaitForSignIn();
        QVERIFY(login);
        QCOMPARE(shortcutWrites, 1);
        QCOMPARE(login->windowTitle(), QStringLiteral("用户登录"));
        QCOMPARE(login->nameBox()->currentText(), QStringLiteral("超级管理员")); // first name chosen
        QCOMPARE(run.form->statusText(1), QStringLiteral("操作员："));

        run.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(!login->isVisible());
        QVERIFY(run.prompter.shown.isEmpty());
        QCOMPARE(run.form->statusText(1), QStringLiteral("操作员：超级管理员"));
        QVERIFY(run.form->statusText(2).startsWith(QStringLiteral("今天：")));

        const QStringList rows = run.logRows();
        QCOMPARE(rows.size(), 1);
        const QStringList fields = rows.first().split(QLatin1Char('|'));
        QCOMPARE(fields.at(0).toLongLong(), run.form->signInLogId());
        QCOMPARE(fields.at(1), QStringLiteral("超级管理员"));
        QVERIFY(kTimestamp.match(fields.at(2)).hasMatch());
        QCOMPARE(fields.at(3), QStringLiteral("<null>"));
        QVERIFY(run.settingsAction(QStringLiteral("用户管理"))->isVisible());
        QVERIFY(run.settingsAction(QStringLiteral("修改密码"))->isVisible());

        // The one open administration window is brought forward, not doubled.
        run.form->openUserAdministration();
        QPointer<Tuserglfm> first = run.form->userAdministrationWindow();
        QVERIFY(first);
        run.form->openUserAdministration();
        QCOMPARE(run.form->userAdministrationWindow().data(), first.data());
        int count = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            count += qobject_cast<Tuserglfm *>(w) ? 1 : 0;
        QCOMPARE(count, 1);
        first->close();
        QTRY_VERIFY(!first);

        // A clean close stamps the end of this sign-in only.
        run.form->close();
        const QStringList closed = run.logRows();
        QVERIFY(kTimestamp.match(closed.first().split(QLatin1Char('|')).at(3)).hasMatch());
    }

    void ordinaryOperatorCannotReachAccountCommands()
    {
        TestEnvironment env;
        Run run(env);
        run.addOperator(QStringLiteral("张三"));
        Tloginfm *login = run.showAndWaitForSignIn();
        QVERIFY(login);
        run.typeSignIn(QStringLiteral("张三"), QStringLiteral("582"));
        QTRY_VERIFY(!login->isVisible());
        QCOMPARE(run.form->statusText(1), QStringLiteral("操作员：张三"));
        QVERIFY(!run.settingsAction(QStringLiteral("用户管理"))->isVisible());
        QVERIFY(!run.settingsAction(QStringLiteral("修改密码"))->isVisible());
        DataGrid *goods = run.form->goodsList()->grid();
        for (const char *field : {"1", "3", "8"})
            QVERIFY2(!goods->isColumnVisible(QLatin1String(field)), field);
        QVERIFY(goods->isColumnVisible(QStringLiteral("2")));

        // Reached some other way, the commands still refuse.
        run.form->openUserAdministration();
        run.form->openPasswordChange();
        run.form->newStockIn();
        run.form->deleteGoods();
        QVERIFY(!run.form->userAdministrationWindow());
        QVERIFY(!run.form->passwordWindow());
        QVERIFY(!run.form->stockInPanel()->isVisible());
        QCOMPARE(run.prompter.texts(), QStringList(4, QStringLiteral("当前操作员无权使用此功能！")));
    }

    void stockInSaveAndDeleteThroughTheMainWindow()
    {
        TestEnvironment env;
        Run run(env);
        QVERIFY(run.showAndWaitForSignIn());
        run.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(run.form->signInLogId() != 0);
        GoodsList *goods = run.form->goodsList();
        run.form->deleteGoods(); // empty list
        QCOMPARE(run.prompter.lastText(), QStringLiteral("没有选中的商品记录！"));

        run.form->newStockIn();
        StockInPanel *panel = run.form->stockInPanel();
        QVERIFY(panel->isVisible());
        panel->nameBox()->setEditText(QStringLiteral("可乐"));
        panel->codeBox()->setEditText(QStringLiteral("6901"));
        panel->categoryBox()->setEditText(QStringLiteral("饮料"));
        panel->purchasePriceBox()->setText(QStringLiteral("2"));
        panel->quantityBox()->setText(QStringLiteral("6"));
        panel->salePriceBox()->setText(QStringLiteral("3"));
        panel->newButton()->click();
        QCOMPARE(goods->rowCount(), 1);
        QVERIFY(run.form->successNotice()->isVisible());
        QCOMPARE(run.form->successNotice()->text(), QStringLiteral("数据入库成功..."));
        QCOMPARE(panel->nameBox()->currentText(), QString()); // the refreshed lists empty the boxes
        QCOMPARE(panel->nameBox()->count(), 1);

        run.form->deleteGoods(); // declined
        QCOMPARE(run.prompter.lastText(), QStringLiteral("你真的要删除选中资料吗？"));
        QCOMPARE(goods->rowCount(), 1);
        run.prompter.queueAnswer(true);
        run.form->deleteGoods();
        QCOMPARE(goods->rowCount(), 0);
        QCOMPARE(run.form->successNotice()->text(), QStringLiteral("删除数据成功..."));
        QVERIFY(run.shop->goods().list(ZeroStock::Shown).empty());
        run.form->hide();
    }

    // A scanner types the code into the code box and sends Enter.
    void scannedCodeSellsListsOrSaysSo()
    {
        TestEnvironment env;
        Run run(env);
        run.db->execScript(QStringLiteral("INSERT INTO data (a,c,\"2\",\"4\",\"5\",\"7\",day1) "
                                          "VALUES ('旧茶','6930',4,3,4,0,'2026-11-01')")); // sold out
        QVERIFY(run.showAndWaitForSignIn());
        run.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(run.form->signInLogId() != 0);
        auto add = [&](const QString &name, const QString &code, const QString &quantity) {
            StockInBoxes b;
            b.name = name;
            b.code = code;
            b.category = QStringLiteral("饮料");
            b.date = QStringLiteral("2026-12-01");
            b.purchasePrice = QStringLiteral("2");
            b.quantity = quantity;
            b.salePrice = QStringLiteral("3");
            QVERIFY(run.shop->goods().addStockIn(b).ok());
        };
        add(QStringLiteral("可乐"), QStringLiteral("6901"), QStringLiteral("5"));
        add(QStringLiteral("可乐大瓶"), QStringLiteral("69012"), QStringLiteral("5"));
        add(QStringLiteral("雪碧"), QStringLiteral("6920"), QStringLiteral("3"));
        add(QStringLiteral("雪碧"), QStringLiteral("6920"), QStringLiteral("2"));
        GoodsList *goods = run.form->goodsList();
        SalePanel *sale = run.form->salePanel();
        QLineEdit *code = goods->codeBox();
        QCOMPARE(goods->rowCount(), 5);
        const qint64 cola = goods->goodsId(1); // by stock-in date: the sold-out row first
        // A half-entered sale left quantity 3 behind.
        run.form->openSale(cola);
        sale->quantityBox()->setText(QStringLiteral("3"));

        // The scanner types into whatever has the focus, then sends Enter.
        auto scan = [&](const QString &typed) {
            for (const QChar c : typed)
                QTest::keyClick(run.form->focusWidget(), c.toLatin1());
            QTest::keyClick(run.form->focusWidget(), Qt::Key_Return);
        };
        run.form->findChild<QPushButton *>(QStringLiteral("clearButton"))->click();

        // Whole code, not the part of 69012: the panel for that row, one
        // piece, and Enter sells it.
        scan(QStringLiteral("6901"));
        QVERIFY(sale->isVisible());
        QCOMPARE(sale->goodsId(), cola);
        QCOMPARE(goods->currentGoodsId(), cola);
        QCOMPARE(sale->quantityBox()->text(), QStringLiteral("1"));
        QTest::keyClick(run.form->focusWidget(), Qt::Key_Return);
        QVERIFY(!sale->isVisible());
        QVERIFY(run.prompter.shown.isEmpty());
        QCOMPARE(run.shop->goods().find(cola)->stockQuantity.value_or(-1), 4.0);
        QCOMPARE(run.shop->goods().find(cola)->soldQuantity.value_or(-1), 1.0);
        QCOMPARE(run.form->focusWidget(), code); // ready for the next scan
        QCOMPARE(code->selectedText(), QStringLiteral("6901"));

        // A scan while the panel waits replaces that sale: nothing sold.
        // Two rows under the new code: both listed, the code kept, no panel.
        scan(QStringLiteral("6901"));
        QVERIFY(sale->isVisible());
        scan(QStringLiteral("6920"));
        QVERIFY(!sale->isVisible());
        QCOMPARE(run.shop->goods().find(cola)->stockQuantity.value_or(-1), 4.0);
        QCOMPARE(code->text(), QStringLiteral("6920"));
        QCOMPARE(goods->rowCount(), 2);
        for (int row = 0; row < 2; ++row)
            QCOMPARE(goods->record(row).code, QStringLiteral("6920"));
        QVERIFY(run.form->statusBar()->currentMessage().contains(QStringLiteral("2 种商品")));

        // Unknown, and sold out: said in the status bar, no box, the code
        // box keeps the focus with the code selected for the next scan.
        for (const QString &unsold : {QStringLiteral("12345"), QStringLiteral("6930")}) {
            scan(unsold);
            QVERIFY(!sale->isVisible());
            QVERIFY(run.form->statusBar()->currentMessage().contains(unsold));
            QCOMPARE(run.form->focusWidget(), code);
            QCOMPARE(code->selectedText(), unsold);
        }
        QVERIFY(run.prompter.shown.isEmpty());
        run.form->hide();
    }

    void summaryAndReportCommandsOfTheMainWindow()
    {
        TestEnvironment env;
        Run run(env);
        QStringList opened;
        GridOutput::setFileOpener([&opened](const QString &path) { opened << path; });
        QVERIFY(run.showAndWaitForSignIn());
        run.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(run.form->signInLogId() != 0);
        StockInBoxes b;
        b.name = QStringLiteral("可乐");
        b.code = QStringLiteral("6901");
        b.category = QStringLiteral("饮料");
        b.date = QStringLiteral("2026-01-02");
        b.purchasePrice = QStringLiteral("2");
        b.quantity = QStringLiteral("6");
        b.salePrice = QStringLiteral("3");
        const StockInCheck added = run.shop->goods().addStockIn(b);
        QVERIFY(added.ok());
        QVERIFY(run.shop->goods().addStockIn(b).ok());

        // Ctrl+H: the summary beside the main window, which stays usable.
        run.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.form.get()));
        QTest::keyClick(run.form.get(), Qt::Key_H, Qt::ControlModifier);
        GoodsSummaryWindow *summary = run.form->summaryWindow();
        QVERIFY(summary);
        QVERIFY(summary->isVisible());
        QCOMPARE(summary->objectName(), QStringLiteral("TForm1"));
        QCOMPARE(summary->windowTitle(), QStringLiteral("汇总统计"));
        QVERIFY(!summary->isModal());
        QCOMPARE(summary->model()->rowCount(), 1);
        QCOMPARE(summary->grid()->footer()->text(4), QStringLiteral("12"));

        // A sale from the main window's side: the open summary is current.
        SaleInput sale;
        sale.goodsId = added.record->id;
        sale.price = QStringLiteral("3");
        sale.quantity = QStringLiteral("5");
        sale.arrears = QStringLiteral("0");
        sale.saleDate = QStringLiteral("2026-01-03");
        QVERIFY(run.shop->sales().confirm(sale).ok);
        QCOMPARE(summary->grid()->footer()->text(6), QStringLiteral("5"));
        QCOMPARE(summary->grid()->footer()->text(8), QStringLiteral("7"));
        summary->close();

        // The toolbar button waits until the summary is closed.
        bool wasModal = false;
        QTimer::singleShot(0, this, [&] {
            wasModal = summary->isVisible() && summary->isModal();
            summary->close();
        });
        run.form->findChild<QToolButton *>(QStringLiteral("汇总统计"))->click();
        QVERIFY(wasModal);

        // Ctrl+E: the goods list as a workbook, opened afterwards.
        const QString path = env.path(QStringLiteral("goods.xlsx"));
        run.prompter.queueFileName(path);
        // The offscreen platform leaves the closed summary active.
        QApplication::setActiveWindow(run.form.get());
        QTest::keyClick(run.form.get(), Qt::Key_E, Qt::ControlModifier);
        QVERIFY2(QFile::exists(path), qPrintable(run.prompter.texts().join(QLatin1Char('|'))));
        QCOMPARE(opened, QStringList{path});
        run.form->hide();
    }

    void columnSwitchesAtShowAndLayoutAtSignIn()
    {
        TestEnvironment env;
        {
            Run first(env);
            QVERIFY(first.showAndWaitForSignIn());
            first.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
            QTRY_VERIFY(first.form->signInLogId() != 0);
            DataGrid *grid = first.form->goodsList()->grid();
            grid->hideColumn(QStringLiteral("z"));
            QVERIFY(first.form->goodsColumns()->saveWidths());
            QVERIFY(QFile::exists(first.form->layoutIniPath()));
            QCOMPARE(QFileInfo(first.form->layoutIniPath()).fileName(), QStringLiteral("qljxc.ini"));
            first.form->close();
        }
        SettingsStore(env.settingsPath()).write(QStringLiteral("rukuyin3"), QStringLiteral("yes"));
        Run second(env);
        QVERIFY(second.showAndWaitForSignIn());
        DataGrid *grid = second.form->goodsList()->grid();
        QVERIFY(!grid->isColumnVisible(QStringLiteral("day1"))); // applied at show
        QVERIFY(grid->isColumnVisible(QStringLiteral("z")));
        second.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(second.form->signInLogId() != 0);
        QVERIFY(!grid->isColumnVisible(QStringLiteral("z"))); // the saved layout, read at sign-in
        second.form->hide();
    }

    void refusedSignIns()
    {
        TestEnvironment env;
        Run run(env);
        Tloginfm *login = run.showAndWaitForSignIn();
        QVERIFY(login);

        run.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("581"));
        QCOMPARE(run.prompter.lastText(), QStringLiteral("密码不正确！请重新输入！"));
        QCOMPARE(login->passwordBox()->text(), QString());
        QVERIFY(login->isVisible());

        // Case matters now that passwords are hashed; a typed unknown name fails alike.
        run.addOperator(QStringLiteral("李四"));
        run.typeSignIn(QStringLiteral("王五"), QStringLiteral("582"));
        QCOMPARE(run.prompter.lastText(), QStringLiteral("密码不正确！请重新输入！"));

        // A password of blanks counts as empty.
        login->nameBox()->setEditText(QStringLiteral("超级管理员"));
        login->passwordBox()->setText(QStringLiteral("   "));
        login->signInButton()->click();
        QCOMPARE(run.prompter.lastText(), QStringLiteral("必须输入密码！"));
        QCOMPARE(run.prompter.shown.last().kind, ScriptedPrompter::Kind::Warning);

        // The key filter drops punctuation and blanks and stops at ten characters.
        login->passwordBox()->clear();
        QTest::keyClicks(login->passwordBox(), QStringLiteral("a b;c'1234567890"));
        QCOMPARE(login->passwordBox()->text(), QStringLiteral("abc1234567"));
        QVERIFY(run.logRows().isEmpty());
        QCOMPARE(run.form->signInLogId(), 0);
    }

    void emptyUserTableAndAbandonedSignIn()
    {
        TestEnvironment env;
        Run run(env);
        run.db->execScript(QStringLiteral("DELETE FROM userdb"));
        Tloginfm *login = run.showAndWaitForSignIn();
        QVERIFY(login);
        QCOMPARE(login->nameBox()->count(), 0);
        QCOMPARE(login->nameBox()->currentText(), QString());
        login->passwordBox()->setText(QStringLiteral("582"));
        login->signInButton()->click();
        QCOMPARE(run.prompter.lastText(), QStringLiteral("必须选择用户！"));

        QSignalSpy abandoned(run.form.get(), &TMainForm::signInAbandoned);
        login->reject(); // the title bar's close button
        QTRY_COMPARE(abandoned.count(), 1);
        QTRY_VERIFY(!run.form->isVisible());
        QVERIFY(run.logRows().isEmpty());
    }

    void runWithoutCleanCloseLeavesEndEmpty()
    {
        TestEnvironment env;
        {
            Run first(env);
            QVERIFY(first.showAndWaitForSignIn());
            first.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
            QTRY_VERIFY(first.form->signInLogId() != 0);
            first.form->close();
        }
        Run second(env);
        QVERIFY(second.showAndWaitForSignIn());
        second.typeSignIn(QStringLiteral("超级管理员"), QStringLiteral("582"));
        QTRY_VERIFY(second.form->signInLogId() != 0);
        // The second run "crashes": no close. Its row keeps an empty end time,
        // and its id is the row it inserted.
        const QStringList rows = second.logRows();
        QCOMPARE(rows.size(), 2);
        QVERIFY(!rows.at(0).endsWith(QLatin1String("<null>")));
        QVERIFY(rows.at(1).endsWith(QLatin1String("<null>")));
        QCOMPARE(rows.at(1).split(QLatin1Char('|')).at(0).toLongLong(), second.form->signInLogId());
        second.form->hide();
    }

    void dateBoxKeeperRefillsAnEmptiedBox()
    {
        TestEnvironment env;
        Run run(env);
        auto *emptied = new QLineEdit(run.form.get());
        auto *typing = new QLineEdit(run.form.get());
        for (QLineEdit *box : {emptied, typing}) {
            box->setInputMask(DateBoxKeeper::dateMask());
            box->setText(QStringLiteral("2020-01-01"));
            run.form->dateBoxKeeper()->watch(box);
        }
        QCOMPARE(run.form->dateBoxKeeper()->interval(), 500);
        run.form->show();
        emptied->selectAll();
        QTest::keyClick(emptied, Qt::Key_Backspace);
        QCOMPARE(emptied->displayText(), QStringLiteral("    -  -  "));
        typing->clear();
        QTest::keyClicks(typing, QStringLiteral("2026"));
        QTRY_COMPARE_WITH_TIMEOUT(emptied->text(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), 2000);
        QTest::qWait(600);
        QCOMPARE(typing->text(), QStringLiteral("2026--")); // half typed, left alone
        run.form->hide();
    }

    void secondSuccessNoticeGoesWithTheFirstTimer()
    {
        TestEnvironment env;
        Run run(env);
        run.form->show();
        SuccessNotice *notice = run.form->successNotice();
        QVERIFY(!notice->isVisible());
        run.form->showSuccess(QStringLiteral("数据入库成功..."));
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->size(), QSize(257, 49));
        QTest::qWait(1400);
        run.form->showSuccess(QStringLiteral("修改数据成功..."));
        QCOMPARE(notice->text(), QStringLiteral("修改数据成功..."));
        QVERIFY(notice->isVisible());
        // Hidden at the running timer's tick, about 600 ms on, not two
        // seconds after the second notice.
        QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), 1300);
        QVERIFY(!notice->timerRunning());
        run.form->hide();
    }

    void skinIsRememberedAcrossARestart()
    {
        TestEnvironment env;
        {
            Run first(env);
            first.form->show();
            first.form->chooseSkin(2);
            QCOMPARE(first.settings.read(QStringLiteral("skin")), QStringLiteral("2"));
            first.form->chooseSkin(4);
            first.form->hide();
        }
        Skins::apply(*qApp, -1);
        Run second(env);
        second.form->show();
        QCOMPARE(Skins::current(), 4);
        second.form->hide();
        Skins::apply(*qApp, -1);
        QCOMPARE(Skins::current(), -1);
    }

    void mainWindowGeometry()
    {
        TestEnvironment env;
        Run run(env);
        run.form->show();
        QCOMPARE(run.form->size(), QSize(1031, 636));
        QVERIFY(run.form->windowTitle().startsWith(QStringLiteral("Quollin进销存 ")));
        auto *goods = run.form->findChild<QWidget *>(QStringLiteral("goodsGrid"));
        QVERIFY(goods);
        QCOMPARE(goods->height(), 636 - 196);
        for (const char *caption : {"设 置", "技术支持"}) {
            auto *button = run.form->findChild<QToolButton *>(QString::fromUtf8(caption));
            QVERIFY2(button && button->menu(), caption);
            QCOMPARE(button->accessibleName(), QString::fromUtf8(caption));
        }
        // A hint shows at once when the mouse enters, on the light orange ground.
        auto *settings = run.form->findChild<QToolButton *>(QStringLiteral("设 置"));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(settings, &enter);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), settings->toolTip());
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(255, 194, 134));
        QToolTip::hideText();
        run.form->hide();
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
