#include "core/ShopDatabase.h"
#include "operators/OperatorAccounts.h"
#include "support/ShopFixture.h"
#include "support/TestEnvironment.h"

#include <QtTest>

using namespace quollin;
using O = OperatorAccounts::Outcome;
using quollin::test::TestEnvironment;

namespace {

const QString kAdmin = ShopDatabase::kSuperAdministrator;

int accountCount(Database &db)
{
    Statement q = db.prepare(QStringLiteral("SELECT count(*) FROM userdb"));
    q.next();
    return int(q.integer(0));
}

QString storedPasswd(Database &db, const QString &name)
{
    Statement q = db.prepare(QStringLiteral("SELECT passwd FROM userdb WHERE username = :n"));
    q.bind(":n", name);
    return q.next() ? q.text(0) : QString();
}

} // namespace

class OperatorAccountsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<quollin::test::ShopFixture> shop;
    Database *db = nullptr;

private slots:
    void init()
    {
        shop = std::make_unique<quollin::test::ShopFixture>(quollin::test::ShopFixture::Start::SignedInAsSuper);
        db = &shop->db();
    }
    void cleanup()
    {
        db = nullptr;
        shop.reset();
    }

    void addTrimsStoresHashAndRefusesDuplicatesAndTheAdministrator()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("  张三 ")), O::Done);
        QCOMPARE(accounts.addUser(QStringLiteral("O'Brien")), O::Done);
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("张三"), QStringLiteral("O'Brien")}));
        QVERIFY(storedPasswd(*db, QStringLiteral("张三")) != ShopDatabase::kInitialPassword);
        QVERIFY(accounts.verify(QStringLiteral("O'Brien"), QStringLiteral("582")));

        // A second add must not reset the account's password.
        QCOMPARE(accounts.changePassword(QStringLiteral("张三"), QStringLiteral("582"), QStringLiteral("Abc9")), O::Done);
        QCOMPARE(accounts.addUser(QStringLiteral("张三\t")), O::AlreadyExists);
        QVERIFY(accounts.verify(QStringLiteral("张三"), QStringLiteral("Abc9")));

        QCOMPARE(accounts.addUser(QStringLiteral(" ") + kAdmin + QStringLiteral("  ")), O::SuperAdministrator);
        QCOMPARE(accounts.addUser(QStringLiteral("   ")), O::EmptyName);
        QCOMPARE(accountCount(*db), 3);
    }

    void verifyIsExactAndCaseSensitive()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.changePassword(kAdmin, QStringLiteral("582"), QStringLiteral("aBc")), O::Done);
        QVERIFY(accounts.verify(kAdmin, QStringLiteral("aBc")));
        QVERIFY(!accounts.verify(kAdmin, QStringLiteral("abc")));
        QVERIFY(!accounts.verify(kAdmin + QLatin1Char(' '), QStringLiteral("aBc")));
        QVERIFY(!accounts.verify(QStringLiteral("nobody"), QString()));
    }

    void namesMatchRegardlessOfLetterCase()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("Admin")), O::Done);
        QVERIFY(accounts.verify(QStringLiteral("ADMIN"), QStringLiteral("582")));
        QVERIFY(accounts.verify(QStringLiteral("admin"), QStringLiteral("582")));
        QVERIFY(!accounts.verify(QStringLiteral("admins"), QStringLiteral("582")));
        // One person, one account: a name that differs only in case is taken.
        QCOMPARE(accounts.addUser(QStringLiteral(" aDMIN ")), O::AlreadyExists);
        QCOMPARE(accountCount(*db), 2);

        QCOMPARE(accounts.changePassword(QStringLiteral("admin"), QStringLiteral("582"), QStringLiteral("Xy")), O::Done);
        QVERIFY(accounts.verify(QStringLiteral("ADMIN"), QStringLiteral("Xy")));
        QVERIFY(!accounts.verify(QStringLiteral("ADMIN"), QStringLiteral("xy"))); // the password keeps its case
        QCOMPARE(accounts.initialisePassword(QStringLiteral("ADMIN")), O::Done);
        QVERIFY(accounts.verify(QStringLiteral("Admin"), QStringLiteral("582")));
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("Admin")}));
        QCOMPARE(accounts.deleteUser(QStringLiteral("aDmIn")), O::Done);
        QCOMPARE(accounts.userNames(), QStringList{kAdmin});
    }

    void sortedNamesAreInPinyinOrder()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        for (const char *name : {"张", "李", "王", "wu", "Li"})
            QCOMPARE(accounts.addUser(QString::fromUtf8(name)), O::Done);
        QCOMPARE(accounts.sortedUserNames(), (QStringList{"Li", "wu", "超级管理员", "李", "王", "张"}));
    }

    void listsInStoredAndInSortedOrder()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        for (const char *name : {"zoe", "amy"})
            QCOMPARE(accounts.addUser(QString::fromUtf8(name)), O::Done);
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("zoe"), QStringLiteral("amy")}));
        QCOMPARE(accounts.sortedUserNames(), (QStringList{QStringLiteral("amy"), QStringLiteral("zoe"), kAdmin}));
    }

    void initialiseAndDeleteTouchOnlyTheNamedAccount()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("a'b")), O::Done);
        QCOMPARE(accounts.changePassword(QStringLiteral("a'b"), QStringLiteral("582"), QStringLiteral("x1")), O::Done);
        QCOMPARE(accounts.changePassword(kAdmin, QStringLiteral("582"), QStringLiteral("y2")), O::Done);
        QCOMPARE(accounts.initialisePassword(QStringLiteral(" a'b ")), O::Done);
        QVERIFY(accounts.verify(QStringLiteral("a'b"), QStringLiteral("582")));
        QVERIFY(accounts.verify(kAdmin, QStringLiteral("y2")));
        QCOMPARE(accounts.initialisePassword(kAdmin), O::Done);
        QCOMPARE(accounts.initialisePassword(QStringLiteral("ghost")), O::NoSuchUser);

        QCOMPARE(accounts.deleteUser(QStringLiteral("\t") + kAdmin), O::SuperAdministrator);
        QCOMPARE(accounts.deleteUser(QStringLiteral(" ")), O::EmptyName);
        QCOMPARE(accounts.deleteUser(QStringLiteral(" a'b")), O::Done);
        QCOMPARE(accounts.deleteUser(QStringLiteral("a'b")), O::NoSuchUser);
        QCOMPARE(accounts.userNames(), QStringList{kAdmin});
        QVERIFY(accounts.verify(kAdmin, QStringLiteral("582")));
    }

    void changeNeedsTheCurrentPasswordOfAnExistingAccount()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        QCOMPARE(accounts.addUser(QStringLiteral("wang")), O::Done);
        const QString before = storedPasswd(*db, QStringLiteral("wang"));

        QCOMPARE(accounts.changePassword(QStringLiteral("wang"), QStringLiteral("583"), QStringLiteral("new1")),
                 O::WrongOldPassword);
        QCOMPARE(accounts.changePassword(QString(), QStringLiteral("582"), QStringLiteral("new1")), O::EmptyName);
        QCOMPARE(accounts.changePassword(QStringLiteral("li"), QStringLiteral("582"), QStringLiteral("new1")),
                 O::NoSuchUser);
        QCOMPARE(storedPasswd(*db, QStringLiteral("wang")), before);
        QVERIFY(!db->inTransaction());

        QCOMPARE(accounts.changePassword(QStringLiteral(" wang "), QStringLiteral("582"), QStringLiteral("new1")),
                 O::Done);
        QVERIFY(accounts.verify(QStringLiteral("wang"), QStringLiteral("new1")));
        QVERIFY(!accounts.verify(QStringLiteral("wang"), QStringLiteral("582")));
    }

    // A user name is kept in its normal form. One holding invisible, format
    // or control characters is refused, and so is a look-alike of the super
    // administrator; such rows in an older file sign nobody in, least of all
    // as him, and deleting one deletes only it.
    void namesThatOnlyLookAlikeAreRefused()
    {
        OperatorAccounts &accounts = shop->shop().accounts();
        const QString bom = QStringLiteral("\uFEFF") + kAdmin;
        const QString compatibility = QStringLiteral("超级管\uF9E4员");
        for (const QString &name : {bom, QStringLiteral("超级\u200B管理员"), QStringLiteral("王\u200D五"),
                                    QStringLiteral("\u202E五王"), QStringLiteral("王\x07五")})
            QCOMPARE(accounts.addUser(name), O::InvisibleCharacters);
        QCOMPARE(accounts.addUser(compatibility), O::SuperAdministrator);
        QCOMPARE(accounts.addUser(QStringLiteral("ＬＩ")), O::Done);
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("LI")}));
        QVERIFY(accounts.verify(QStringLiteral("ｌｉ"), QStringLiteral("582")));

        shop->addOperator(bom);
        shop->addOperator(compatibility);
        QCOMPARE(accounts.changePassword(kAdmin, QStringLiteral("582"), QStringLiteral("Q7")), O::Done);
        for (const QString &name : {kAdmin, bom, compatibility})
            QVERIFY2(!shop->shop().signIn(name, QStringLiteral("582")).ok, qPrintable(name));
        // An older file's full-width name still signs in as it was typed.
        shop->addOperator(QStringLiteral("ＷＡＮＧ"));
        QVERIFY(accounts.verify(QStringLiteral("ＷＡＮＧ"), QStringLiteral("582")));
        QVERIFY(accounts.userNames().contains(bom)); // so that it can be chosen and deleted
        QCOMPARE(accounts.deleteUser(bom), O::Done);
        QVERIFY(accounts.verify(kAdmin, QStringLiteral("Q7")));
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("LI"), compatibility, QStringLiteral("ＷＡＮＧ")}));
    }

    // The account commands check the signed-in operator themselves: a hidden
    // menu entry reached another way changes nothing.
    void ordinaryOperatorIsRefusedByTheRules()
    {
        quollin::test::ShopFixture other;
        other.addOperator(QStringLiteral("wang"));
        QVERIFY(other.signIn(QStringLiteral("wang")));
        OperatorAccounts &accounts = other.shop().accounts();
        const QString before = storedPasswd(other.db(), kAdmin);
        QVERIFY_THROWS_EXCEPTION(NotPermitted, accounts.addUser(QStringLiteral("li")));
        QVERIFY_THROWS_EXCEPTION(NotPermitted, accounts.deleteUser(QStringLiteral("wang")));
        QVERIFY_THROWS_EXCEPTION(NotPermitted, accounts.initialisePassword(kAdmin));
        QVERIFY_THROWS_EXCEPTION(NotPermitted,
                                 accounts.changePassword(kAdmin, QStringLiteral("582"), QStringLiteral("x1")));
        QCOMPARE(accountCount(other.db()), 2);
        QCOMPARE(storedPasswd(other.db(), kAdmin), before);
    }

    // A sign-in counts only with its log row: another program holding the
    // file's write lock makes it fail, and nobody is signed in.
    void signInWithoutItsLogRowFails()
    {
        quollin::test::ShopFixture other;
        auto second = Database::open(other.env.databasePath(), ShopDatabase::kKey);
        const bool server = TestEnvironment::onServer();
        if (server) {
            // Another till holds the log table; ours waits a moment only.
            second->execScript(QStringLiteral("BEGIN; LOCK TABLE rz IN ACCESS EXCLUSIVE MODE"));
            other.db().execScript(QStringLiteral("SET lock_timeout = '50ms'"));
        } else {
            second->execScript(QStringLiteral("PRAGMA busy_timeout=0"));
            second->execScript(QStringLiteral("BEGIN IMMEDIATE"));
            other.db().execScript(QStringLiteral("PRAGMA busy_timeout=50"));
        }
        const Shop::SignIn result = other.shop().signIn(kAdmin, QStringLiteral("582"));
        QVERIFY(!result.ok);
        QVERIFY2(result.message.startsWith(server ? QStringLiteral("另一台收银机正在修改同样的数据")
                                                  : QStringLiteral("数据库文件正被其他程序使用")),
                 qPrintable(result.message));
        QVERIFY(!other.shop().rights().signedIn());
        QCOMPARE(other.shop().signInLogId(), 0);
        second->execScript(QStringLiteral("ROLLBACK"));
        QCOMPARE(other.count(QStringLiteral("rz")), 0);
        QVERIFY(other.signIn());
        QCOMPARE(other.count(QStringLiteral("rz")), 1);
    }
};

QTEST_GUILESS_MAIN(OperatorAccountsTest)
#include "tst_operatoraccounts.moc"
