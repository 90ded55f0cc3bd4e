#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/EngineMessage.h"
#include "core/OperatorLog.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quollin;
using quollin::test::TestEnvironment;
using quollin::test::fileBytes;
using quollin::test::asOrdinaryUser;

// The engine's primary result codes these tests look for.
constexpr int kBusy = 5;
constexpr int kReadOnly = 8;
constexpr int kCantOpen = 14;
constexpr int kNotADatabase = 26;

class DatabaseTest : public QObject {
    Q_OBJECT

private:
    static QStringList companionsOf(const QString &path)
    {
        QStringList found;
        for (const char *suffix : {"-wal", "-shm", "-journal"})
            if (QFile::exists(path + QLatin1String(suffix)))
                found << QLatin1String(suffix);
        return found;
    }

    static qint64 count(Database &db, const QString &table)
    {
        Statement q = db.prepare(QStringLiteral("SELECT count(*) FROM ") + table);
        q.next();
        return q.integer(0);
    }

private slots:
    void hostileTextIsStoredAndReadBackUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("quote") << QStringLiteral("O'Brien's \"可乐\"");
        QTest::newRow("sql") << QStringLiteral("x'); DROP TABLE data; --");
        QTest::newRow("like wildcards") << QStringLiteral("100%_off");
        QTest::newRow("brackets and hash") << QStringLiteral("[7]<>0 #2024-01-01#");
        QTest::newRow("empty") << QString();
    }
    void hostileTextIsStoredAndReadBackUnchanged()
    {
        QFETCH(QString, value);
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        Statement insert = db->prepare(QStringLiteral("INSERT INTO data (a, \"7\") VALUES (:a, :stock)"));
        insert.bind(":a", value).bind(":stock", 2.5).exec();
        const qint64 id = db->lastInsertId();
        db.reset();

        auto again = ShopDatabase::open(env.databasePath());
        Statement read = again->prepare(QStringLiteral("SELECT * FROM data WHERE a = :a"));
        read.bind(":a", value);
        QVERIFY(read.next());
        QCOMPARE(read.text("a"), value);
        QVERIFY(!read.isNull("a")); // an empty text stays text, not null
        QCOMPARE(read.real("7"), 2.5);
        QCOMPARE(read.integer("ID"), id);
        QVERIFY(!read.next());
        QCOMPARE(count(*again, QStringLiteral("data")), 1);
    }

    void transactionRollsBackUnlessCommitted()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        try {
            Transaction t(*db);
            db->prepare(QStringLiteral("INSERT INTO data (a) VALUES ('first')")).exec();
            db->prepare(QStringLiteral("INSERT INTO nosuch (a) VALUES (1)")).exec();
            t.commit();
            QFAIL("the second statement must fail");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QLatin1String(TestEnvironment::onServer() ? "does not exist" : "no such table")),
                     qPrintable(e.message()));
        }
        QVERIFY(!db->inTransaction());
        QCOMPARE(count(*db, QStringLiteral("data")), 0);

        {
            Transaction t(*db);
            db->prepare(QStringLiteral("INSERT INTO data (a) VALUES ('kept')")).exec();
            t.commit();
        }
        db.reset();
        auto again = ShopDatabase::open(env.databasePath());
        QCOMPARE(count(*again, QStringLiteral("data")), 1);
    }

    // A command made of rules that each write in a transaction of their own:
    // the outer one commits the whole once and announces it once; a part
    // that failed makes the whole fail, and a rollback announces nothing.
    void nestedCommandsCommitAndAnnounceOnceOrNotAtAll()
    {
        TestEnvironment env;
        ShopContext shop(ShopDatabase::open(env.databasePath()));
        QSignalSpy announced(&shop, &ShopContext::changed);
        auto insert = [&](ShopTransaction &t, const char *name) {
            t.db().prepare(QStringLiteral("INSERT INTO data (a) VALUES (:a)")).bind(":a", name).exec();
            t.changes().goods.added(t.db().lastInsertId());
        };
        {
            ShopTransaction outer(shop);
            insert(outer, "first");
            {
                ShopTransaction inner(shop);
                insert(inner, "second");
                inner.commit();
            }
            QCOMPARE(announced.count(), 0);
            outer.commit();
        }
        QCOMPARE(announced.count(), 1);
        QCOMPARE(announced.at(0).at(0).value<ChangeSet>().goods.addedRows().size(), 2);

        {
            ShopTransaction outer(shop);
            insert(outer, "third");
            {
                // A bare transaction of a rule called inside joins as well.
                Transaction part(shop.db());
                shop.db().prepare(QStringLiteral("INSERT INTO data (a) VALUES ('fourth')")).exec();
            }
            QVERIFY_THROWS_EXCEPTION(DbError, outer.commit());
        }
        {
            ShopTransaction dropped(shop);
            insert(dropped, "fifth");
        }
        QVERIFY(!shop.db().inTransaction());
        QCOMPARE(count(shop.db(), QStringLiteral("data")), 2);
        QCOMPARE(announced.count(), 1);
    }

    void readsByNameAndReportsEngineErrors()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        db->prepare(QStringLiteral("INSERT INTO data1 (a5, \"6\", day1) VALUES (?, ?, ?)"))
            .bind(1, -1.25)
            .bind(2, QVariant())
            .bind(3, QStringLiteral("2026-12-08"))
            .exec();
        Statement q = db->prepare(QStringLiteral("SELECT a5, \"6\", day1, \"ID\" FROM data1"));
        QVERIFY(q.next());
        QCOMPARE(q.real("a5"), -1.25);
        QVERIFY(q.isNull("6"));
        QCOMPARE(q.value("6"), QVariant());
        QCOMPARE(q.text("day1"), QStringLiteral("2026-12-08"));
        QCOMPARE(q.value("ID").toLongLong(), 1);
        QVERIFY_THROWS_EXCEPTION(DbError, q.text("nosuch"));
        QVERIFY_THROWS_EXCEPTION(DbError, db->prepare(QStringLiteral("SELECT * FROM data WHERE a = :a")).bind(":b", 1));
        try {
            db->prepare(QStringLiteral("SELEKT 1"));
            QFAIL("bad statement text must be refused");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QLatin1String("syntax error")), qPrintable(e.message()));
        }
    }

    // A statement handed out again must start from its first row without the
    // last run's values, and one still being stepped is never handed out.
    void reusedStatementsStartAfreshAndNeverTwiceAtOnce()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        for (const char *name : {"可乐", "雪碧", "芬达"})
            db->prepare(QStringLiteral("INSERT INTO data (a) VALUES (:a)")).bind(":a", name).exec();
        const QString fromId = QStringLiteral("SELECT a FROM data WHERE \"ID\" >= :from ORDER BY \"ID\"");
        const int kept = db->cachedStatements();
        {
            Statement outer = db->prepare(fromId);
            outer.bind(":from", 1);
            QVERIFY(outer.next());
            QCOMPARE(outer.text(0), QStringLiteral("可乐"));
            {
                Statement inner = db->prepare(fromId);
                inner.bind(":from", 3);
                QVERIFY(inner.next());
                QCOMPARE(inner.text(0), QStringLiteral("芬达"));
                QVERIFY(!inner.next());
            }
            // The nested run left the outer one where it was.
            QVERIFY(outer.next());
            QCOMPARE(outer.text(0), QStringLiteral("雪碧"));
        }
        // Taken again after being left at its first row: it starts afresh
        // (binding a statement under way would fail) and keeps no value (a
        // null bound matches nothing).
        for (int run = 0; run < 2; ++run) {
            Statement again = db->prepare(fromId);
            again.bind(":from", 1);
            QVERIFY(again.next());
            QCOMPARE(again.text(0), QStringLiteral("可乐"));
        }
        QCOMPARE(db->cachedStatements(), kept + 1);
        QVERIFY(!db->prepare(fromId).next());
    }

    void unopenableFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("this is not a database, just some text\n").repeated(200);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("plain sqlite header") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0');
    }
    void unopenableFilesAreRefusedAndLeftAlone()
    {
        QUOLLIN_FILE_ONLY("a file that is not a database");
        QFETCH(QByteArray, content);
        TestEnvironment env;
        QFile file(env.databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        QVERIFY_THROWS_EXCEPTION(DbError, ShopDatabase::open(env.databasePath()));
        QCOMPARE(fileBytes(env.databasePath()), content);
        QVERIFY(!QFile::exists(env.databasePath() + QStringLiteral("-wal")));
    }

    void wrongKeyIsRefusedAndLeavesTheFileAlone()
    {
        QUOLLIN_FILE_ONLY("the file's key");
        TestEnvironment env;
        ShopDatabase::open(env.databasePath()).reset();
        const QByteArray before = fileBytes(env.databasePath());
        QVERIFY(!before.isEmpty());
        QVERIFY(!before.startsWith("SQLite format 3")); // encrypted on disk

        try {
            Database::open(env.databasePath(), QByteArray("wrong-key"));
            QFAIL("a wrong key must be refused");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QLatin1String("not a database")), qPrintable(e.message()));
        }
        QCOMPARE(fileBytes(env.databasePath()), before);
        QVERIFY_THROWS_EXCEPTION(DbError, Database::open(env.path(QStringLiteral("missing.db")), QByteArray("k")));
        QVERIFY(!QFile::exists(env.path(QStringLiteral("missing.db"))));
    }

    void engineFailuresAreWordedInChineseWithTheEngineWordsAfter()
    {
        QUOLLIN_FILE_ONLY("a file that is not a database");
        TestEnvironment env;
        QFile file(env.databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("not a shop at all\n").repeated(300));
        file.close();
        try {
            ShopDatabase::open(env.databasePath());
            QFAIL("a foreign file must be refused");
        } catch (const DbError &e) {
            QCOMPARE(e.primaryCode(), kNotADatabase);
            QVERIFY(e.isTechnical());
            const QString shown = engineMessage(e);
            QVERIFY2(shown.startsWith(QStringLiteral("这个文件不是本程序的数据库文件")), qPrintable(shown));
            QVERIFY2(shown.endsWith(QStringLiteral("（") + e.message() + QStringLiteral("）")), qPrintable(shown));
            QVERIFY2(e.message().contains(QLatin1String("not a database")), qPrintable(e.message()));
        }

        // Extended codes keep their family; our own refusals stand as worded.
        QCOMPARE(engineMessage(DbError::technical(QStringLiteral("database is locked"), kBusy | (2 << 8))),
                 QStringLiteral("数据库文件正被其他程序使用，请关闭其他程序后再试。（database is locked）"));
        QCOMPARE(engineSentence(kCantOpen), engineSentence(kCantOpen | (1 << 8)));
        QVERIFY(engineSentence(11) != engineSentence(kCantOpen)); // corrupt
        const DbError own(QStringLiteral("数据库文件中没有表 data。"));
        QCOMPARE(engineMessage(own), QStringLiteral("数据库文件中没有表 data。"));
    }

    void signInLogOnALockedFileFailsWithTheLockReported()
    {
        QUOLLIN_FILE_ONLY("the file's write lock");
        TestEnvironment env;
        ShopContext shop(ShopDatabase::open(env.databasePath()));
        Database *db = &shop.db();
        auto other = Database::open(env.databasePath(), QByteArray(ShopDatabase::kKey));
        {
            Transaction hold(*other); // another copy of the program is writing
            try {
                OperatorLog(shop).recordSignIn(ShopDatabase::kSuperAdministrator, QDateTime::currentDateTime());
                QFAIL("a sign-in must not be logged past another writer's lock");
            } catch (const DbError &e) {
                QCOMPARE(e.primaryCode(), kBusy);
                const QString shown = engineMessage(e);
                QVERIFY2(shown.startsWith(QStringLiteral("数据库文件正被其他程序使用")), qPrintable(shown));
                QVERIFY2(shown.contains(QLatin1String("database is locked")), qPrintable(shown));
            }
        }
        Statement rows = db->prepare(QStringLiteral("SELECT count(*) FROM rz"));
        QVERIFY(rows.next());
        QCOMPARE(rows.integer(0), 0);
        // Once the other writer is done the log takes the row.
        QVERIFY(OperatorLog(shop).recordSignIn(ShopDatabase::kSuperAdministrator, QDateTime::currentDateTime()) > 0);
    }

    void missingFileIsCreatedOnlyWhenAskedFor()
    {
        QUOLLIN_FILE_ONLY("a missing file");
        TestEnvironment env;
        const QString path = env.path(QStringLiteral("unmounted/shop/data.db"));
        try {
            ShopDatabase::open(path, ShopDatabase::IfMissing::Refuse);
            QFAIL("a missing file must be refused");
        } catch (const DbError &e) {
            QCOMPARE(e.primaryCode(), kCantOpen);
            QVERIFY2(engineMessage(e).contains(path), qPrintable(engineMessage(e)));
        }
        QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("unmounted"))));

        ShopDatabase::open(path, ShopDatabase::IfMissing::Create).reset();
        QVERIFY(QFileInfo::exists(path));
        ShopDatabase::open(path, ShopDatabase::IfMissing::Refuse).reset(); // now it is there
    }

    void readOnlyFileOrFolderIsRefusedAndLeavesNothingBehind_data()
    {
        QTest::addColumn<bool>("folderOnly");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder") << true;
    }
    void readOnlyFileOrFolderIsRefusedAndLeavesNothingBehind()
    {
        QUOLLIN_FILE_ONLY("read-only files and folders");
        QFETCH(bool, folderOnly);
        TestEnvironment env;
        const QString path = env.databasePath();
        const QString folder = QFileInfo(path).absolutePath();
        ShopDatabase::open(path).reset();
        QVERIFY(companionsOf(path).isEmpty());
        const QByteArray before = fileBytes(path);

        const QString failure = asOrdinaryUser(folder, [&]() -> QString {
            const QString target = folderOnly ? folder : path;
            const QByteArray local = QFile::encodeName(target);
            if (::chmod(local.constData(), folderOnly ? 0555 : 0444) != 0)
                return QStringLiteral("chmod failed");
            try {
                ShopDatabase::open(path).reset();
                return QStringLiteral("a read-only %1 was accepted").arg(folderOnly ? "folder" : "file");
            } catch (const DbError &e) {
                if (e.primaryCode() != kReadOnly)
                    return QStringLiteral("refused with code %1: %2").arg(e.code()).arg(engineMessage(e));
                if (!engineMessage(e).contains(target))
                    return QStringLiteral("the refusal does not name %1: %2").arg(target, engineMessage(e));
            }
            if (!companionsOf(path).isEmpty())
                return QStringLiteral("left behind: ") + companionsOf(path).join(QLatin1Char(' '));
            if (fileBytes(path) != before)
                return QStringLiteral("the file changed");

            // Writable again, the file opens as before.
            if (::chmod(local.constData(), folderOnly ? 0755 : 0644) != 0)
                return QStringLiteral("chmod back failed");
            try {
                auto db = ShopDatabase::open(path);
                db->execScript(QStringLiteral("INSERT INTO data (a) VALUES ('after')"));
            } catch (const DbError &e) {
                return QStringLiteral("writable again but refused: ") + engineMessage(e);
            }
            return {};
        });
        if (failure.startsWith(QLatin1String("SKIP: ")))
            QSKIP(qPrintable(failure.mid(6)));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void distinctValuesListNullsFirstAndRefuseForeignNames()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        Statement insert = db->prepare(QStringLiteral("INSERT INTO data (d) VALUES (:d)"));
        for (const QVariant &v : {QVariant(QStringLiteral("饮料")), QVariant(), QVariant(QStringLiteral("零食")),
                                  QVariant(QStringLiteral("饮料")), QVariant(QStringLiteral("A'类"))}) {
            insert.reset();
            insert.bind(":d", v).exec();
        }
        const QStringList values = DistinctValues(*db, QStringLiteral("d"), QStringLiteral("data"));
        QCOMPARE(values.size(), 4);
        QCOMPARE(values.first(), QString());
        QCOMPARE(values.count(QStringLiteral("饮料")), 1);
        QVERIFY(values.contains(QStringLiteral("A'类")));
        QVERIFY_THROWS_EXCEPTION(DbError, DistinctValues(*db, QStringLiteral("d; DROP TABLE data"), QStringLiteral("data")));
        QVERIFY_THROWS_EXCEPTION(DbError, DistinctValues(*db, QStringLiteral("a"), QStringLiteral("sqlite_master")));
    }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
