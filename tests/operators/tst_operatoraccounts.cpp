#include "core/ShopDatabase.h"
#include "operators/OperatorAccounts.h"
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

    TestEnvironment env;
    std::unique_ptr<Database> db;

private slots:
    void init() { db = ShopDatabase::open(env.path(QStringLiteral("%1.db").arg(QTest::currentTestFunction()))); }
    void cleanup() { db.reset(); }

    void addTrimsStoresHashAndRefusesDuplicatesAndTheAdministrator()
    {
        OperatorAccounts accounts(*db);
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
        OperatorAccounts accounts(*db);
        QCOMPARE(accounts.changePassword(kAdmin, QStringLiteral("582"), QStringLiteral("aBc")), O::Done);
        QVERIFY(accounts.verify(kAdmin, QStringLiteral("aBc")));
        QVERIFY(!accounts.verify(kAdmin, QStringLiteral("abc")));
        QVERIFY(!accounts.verify(kAdmin + QLatin1Char(' '), QStringLiteral("aBc")));
        QVERIFY(!accounts.verify(QStringLiteral("nobody"), QString()));
    }

    void namesMatchRegardlessOfLetterCase()
    {
        OperatorAccounts accounts(*db);
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
        OperatorAccounts accounts(*db);
        for (const char *name : {"张", "李", "王", "wu", "Li"})
            QCOMPARE(accounts.addUser(QString::fromUtf8(name)), O::Done);
        QCOMPARE(accounts.sortedUserNames(), (QStringList{"Li", "wu", "超级管理员", "李", "王", "张"}));
    }

    void listsInStoredAndInSortedOrder()
    {
        OperatorAccounts accounts(*db);
        for (const char *name : {"zoe", "amy"})
            QCOMPARE(accounts.addUser(QString::fromUtf8(name)), O::Done);
        QCOMPARE(accounts.userNames(), (QStringList{kAdmin, QStringLiteral("zoe"), QStringLiteral("amy")}));
        QCOMPARE(accounts.sortedUserNames(), (QStringList{QStringLiteral("amy"), QStringLiteral("zoe"), kAdmin}));
    }

    void initialiseAndDeleteTouchOnlyTheNamedAccount()
    {
        OperatorAccounts accounts(*db);
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
        OperatorAccounts accounts(*db);
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
};

QTEST_GUILESS_MAIN(OperatorAccountsTest)
#include "tst_operatoraccounts.moc"
