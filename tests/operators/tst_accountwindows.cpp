#include "core/ShopDatabase.h"
#include "operators/OperatorAccounts.h"
#include "operators/Tchangepassfm.h"
#include "operators/Tuserglfm.h"
#include "support/ScriptedPrompter.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace quollin;
using quollin::test::ScriptedPrompter;
using quollin::test::TestEnvironment;

namespace {

const QString kAdmin = ShopDatabase::kSuperAdministrator;

template <class W> W *byCaption(QWidget *root, const QString &caption)
{
    const auto all = root->findChildren<W *>();
    for (W *w : all) {
        if (w->accessibleName() == caption)
            return w;
    }
    qFatal("no widget named %s", qPrintable(caption));
}

QStringList itemsOf(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void clickItem(QListWidget *list, const QString &text)
{
    QListWidgetItem *item = list->findItems(text, Qt::MatchExactly).value(0);
    QVERIFY(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void type(QLineEdit *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

} // namespace

class AccountWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<quollin::test::ShopFixture> shop;
    Database *db = nullptr;
    ScriptedPrompter *prompter = nullptr;

    template <class Window> Window *open()
    {
        auto *w = new Window(shop->shop(), *prompter);
        w->show();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window did not become active");
        return w;
    }

    Tuserglfm *openUnlocked()
    {
        auto *w = open<Tuserglfm>();
        type(byCaption<QLineEdit>(w, QStringLiteral("管理员密码：")), QStringLiteral("582"));
        byCaption<QPushButton>(w, QStringLiteral("登录"))->click();
        prompter->clear();
        return w;
    }

private slots:
    void init()
    {
        shop = std::make_unique<quollin::test::ShopFixture>(quollin::test::ShopFixture::Start::SignedInAsSuper);
        db = &shop->db();
        prompter = &shop->prompter;
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->parentWidget())
                delete w;
        }
        db = nullptr;
        prompter = nullptr;
        shop.reset();
    }

    void passwordBoxesTakeTenLettersOrDigitsAndEchoStars()
    {
        QList<QLineEdit *> boxes{byCaption<QLineEdit>(open<Tuserglfm>(), QStringLiteral("管理员密码："))};
        auto *change = open<Tchangepassfm>();
        for (const char *caption : {"输入旧密码", "输入新密码", "新密码重复"})
            boxes << byCaption<QLineEdit>(change, QString::fromUtf8(caption));
        for (QLineEdit *box : boxes) {
            QTest::keyClicks(box, QStringLiteral("a b,c.1;2 !3Z4567890"));
            QCOMPARE(box->text(), QStringLiteral("abc123Z456"));
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text(), QStringLiteral("abc123Z45"));
            QCOMPARE(box->displayText(), QString(9, QLatin1Char('*')));
        }
    }

    void administratorPasswordUnlocksListAndTabs()
    {
        QPointer<Tuserglfm> w = open<Tuserglfm>();
        auto *password = byCaption<QLineEdit>(w, QStringLiteral("管理员密码："));
        auto *signIn = byCaption<QPushButton>(w, QStringLiteral("登录"));
        auto *list = byCaption<QListWidget>(w, QStringLiteral("用户列表"));
        auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("tabs"));
        QTRY_VERIFY(password->hasFocus());
        QCOMPARE(itemsOf(list), QStringList{kAdmin});

        // Enter moves on to the button, and Enter there presses it.
        type(password, QStringLiteral("5820"));
        QTest::keyClick(password, Qt::Key_Return);
        QTRY_VERIFY(signIn->hasFocus());
        QTest::keyClick(signIn, Qt::Key_Return);
        QCOMPARE(prompter->texts(), QStringList{QStringLiteral("密码不对！")});
        QVERIFY(!list->isEnabled());
        QVERIFY(!tabs->isEnabled());

        type(password, QStringLiteral("582"));
        signIn->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("超级管理员登录成功！"));
        QVERIFY(list->isEnabled() && tabs->isEnabled());
        QCOMPARE(password->text(), QString());

        byCaption<QPushButton>(w, QStringLiteral("退出"))->click();
        QTRY_VERIFY(w.isNull());
    }

    void addingUsers()
    {
        auto *w = openUnlocked();
        auto *name = byCaption<QLineEdit>(w, QStringLiteral("新增用户名："));
        auto *add = byCaption<QPushButton>(w, QStringLiteral("增加用户"));
        auto *list = byCaption<QListWidget>(w, QStringLiteral("用户列表"));
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("behind")), OperatorAccounts::Outcome::Done);

        // A refused administrator leaves the list as it was; an empty name refills it.
        name->setText(QStringLiteral("  ") + kAdmin + QStringLiteral(" "));
        add->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("超级管理员只能有一个，不能增加"));
        QCOMPARE(list->count(), 1);
        name->setText(QStringLiteral("\uFEFF") + kAdmin);
        add->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("用户名不能含有不可见字符或控制字符！"));
        name->setText(QStringLiteral("  "));
        add->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("请选择用户名！"));
        QCOMPARE(itemsOf(list), (QStringList{kAdmin, QStringLiteral("behind")}));

        type(name, QStringLiteral(" O'Neil"));
        add->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("成功添加新用户！缺省口令是：582,请此用户下次登录时及时修改口令！"));
        QCOMPARE(itemsOf(list), (QStringList{kAdmin, QStringLiteral("behind"), QStringLiteral("O'Neil")}));
        QCOMPARE(name->text(), QStringLiteral(" O'Neil"));
        QVERIFY(accounts.verify(QStringLiteral("O'Neil"), QStringLiteral("582")));
        add->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("用户名已存在！"));
        QCOMPARE(list->count(), 3);

        // The engine's own message, no success and no refill.
        prompter->clear();
        db->execScript(QStringLiteral("DROP TABLE userdb"));
        type(name, QStringLiteral("new"));
        add->click();
        QCOMPARE(prompter->shown.size(), 1);
        QVERIFY2(prompter->lastText().contains(QStringLiteral("userdb")), qPrintable(prompter->lastText()));
        QCOMPARE(list->count(), 3);
    }

    void initialisingAndDeletingTheChosenUser()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("lee")), OperatorAccounts::Outcome::Done);
        QCOMPARE(accounts.changePassword(QStringLiteral("lee"), QStringLiteral("582"), QStringLiteral("x1")),
                 OperatorAccounts::Outcome::Done);
        auto *w = openUnlocked();
        auto *list = byCaption<QListWidget>(w, QStringLiteral("用户列表"));
        auto *initialiseName = w->findChild<QLineEdit *>(QStringLiteral("initialiseName"));
        auto *deleteName = w->findChild<QLineEdit *>(QStringLiteral("deleteName"));
        auto *initialise = byCaption<QPushButton>(w, QStringLiteral("初始化密码"));
        auto *remove = byCaption<QPushButton>(w, QStringLiteral("删除用户"));

        initialise->click();
        remove->click();
        QCOMPARE(prompter->texts(), (QStringList{QStringLiteral("请选择用户名！"), QStringLiteral("请选择用户")}));

        clickItem(list, QStringLiteral("lee"));
        QCOMPARE(initialiseName->text(), QStringLiteral("lee"));
        QCOMPARE(deleteName->text(), QStringLiteral("lee"));
        initialise->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("已经成功将密码初始化为：582"));
        QVERIFY(accounts.verify(QStringLiteral("lee"), QStringLiteral("582")));

        // No deletes nothing, but the list is read again.
        QCOMPARE(accounts.addUser(QStringLiteral("late")), OperatorAccounts::Outcome::Done);
        prompter->clear();
        remove->click();
        QCOMPARE(prompter->texts(), QStringList{QStringLiteral("你真的要删除用户：lee吗?")});
        QCOMPARE(itemsOf(list), (QStringList{kAdmin, QStringLiteral("lee"), QStringLiteral("late")}));
        QCOMPARE(deleteName->text(), QStringLiteral("lee"));

        prompter->queueAnswer(true);
        remove->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("成功删除！"));
        QCOMPARE(deleteName->text(), QString());
        QCOMPARE(itemsOf(list), (QStringList{kAdmin, QStringLiteral("late")}));
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("late")}));
        initialise->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("用户不存在！"));

        prompter->clear();
        clickItem(list, kAdmin);
        remove->click();
        QCOMPARE(prompter->texts(), QStringList{QStringLiteral("超级管理员不能删除！")});
        QCOMPARE(accounts.userNames().size(), 2);
    }

    void changingAPassword()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("wang")), OperatorAccounts::Outcome::Done);
        QCOMPARE(accounts.addUser(QStringLiteral("amy")), OperatorAccounts::Outcome::Done);
        QPointer<Tchangepassfm> w = open<Tchangepassfm>();
        auto *choice = byCaption<QComboBox>(w, QStringLiteral("选择操作员"));
        auto *oldBox = byCaption<QLineEdit>(w, QStringLiteral("输入旧密码"));
        auto *newBox = byCaption<QLineEdit>(w, QStringLiteral("输入新密码"));
        auto *repeat = byCaption<QLineEdit>(w, QStringLiteral("新密码重复"));
        auto *change = byCaption<QPushButton>(w, QStringLiteral("更改密码"));
        auto fill = [&](const char *o, const char *n, const char *r) {
            type(oldBox, QLatin1String(o));
            type(newBox, QLatin1String(n));
            type(repeat, QLatin1String(r));
        };
        QTRY_VERIFY(choice->hasFocus());
        QCOMPARE(choice->currentIndex(), -1);
        QCOMPARE(choice->count(), 3);

        fill("582", "n1", "n1");
        change->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("请选择操作员！"));

        QTest::keyClick(choice, Qt::Key_Down);
        QTest::keyClick(choice, Qt::Key_Down);
        QCOMPARE(choice->currentText(), QStringLiteral("wang"));
        QTRY_VERIFY(oldBox->hasFocus());

        prompter->clear();
        fill("", "n1", "n1");
        change->click();
        fill("582", "", "");
        change->click();
        QCOMPARE(prompter->texts(), (QStringList{QStringLiteral("必须输入旧口令！"), QStringLiteral("新口令长度不能为空！")}));
        QCOMPARE(prompter->shown.first().kind, ScriptedPrompter::Kind::Warning);
        fill("583", "n1", "n1");
        change->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("旧口令不正确！"));
        fill("582", "abcd", "abce");
        change->click();
        QCOMPARE(prompter->lastText(), QStringLiteral("两次输入的密码不一致！请重新输入！"));
        QCOMPARE(oldBox->text() + QLatin1Char('|') + newBox->text() + QLatin1Char('|') + repeat->text(),
                 QStringLiteral("582|abcd|"));
        QVERIFY(accounts.verify(QStringLiteral("wang"), QStringLiteral("582")));

        // Unticked: the boxes empty and the window stays. Enter walks to the button.
        w->findChild<QCheckBox *>(QStringLiteral("closeWhenDone"))->click();
        QTest::keyClick(oldBox, Qt::Key_Return);
        QTRY_VERIFY(newBox->hasFocus());
        QTest::keyClick(newBox, Qt::Key_Return);
        QTRY_VERIFY(repeat->hasFocus());
        QTest::keyClicks(repeat, QStringLiteral("abcd"));
        QTest::keyClick(repeat, Qt::Key_Return);
        QTRY_VERIFY(change->hasFocus());
        QTest::keyClick(change, Qt::Key_Return);
        QCOMPARE(prompter->lastText(), QStringLiteral("你已经成功修改了密码！下次运行程序时生效！"));
        QVERIFY(oldBox->text().isEmpty() && newBox->text().isEmpty() && repeat->text().isEmpty());
        QVERIFY(accounts.verify(QStringLiteral("wang"), QStringLiteral("abcd")));
        QTest::qWait(20);
        QVERIFY(w && w->isVisible());

        w->findChild<QCheckBox *>(QStringLiteral("closeWhenDone"))->click();
        fill("abcd", "Z9", "Z9");
        change->click();
        QTRY_VERIFY(w.isNull());
        QVERIFY(accounts.verify(QStringLiteral("wang"), QStringLiteral("Z9")));
    }
};

QTEST_MAIN(AccountWindowsTest)
#include "tst_accountwindows.moc"
