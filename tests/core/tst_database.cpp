#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QtTest>

using namespace quollin;
using quollin::test::TestEnvironment;
using quollin::test::fileBytes;

class DatabaseTest : public QObject {
    Q_OBJECT

private:
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
            QVERIFY2(e.message().contains(QLatin1String("no such table")), qPrintable(e.message()));
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

    void readsByNameAndReportsEngineErrors()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        db->prepare(QStringLiteral("INSERT INTO data1 (a5, \"6\", day1) VALUES (?, ?, ?)"))
            .bind(1, -1.25)
            .bind(2, QVariant())
            .bind(3, QStringLiteral("2026-12-08"))
            .exec();
        Statement q = db->prepare(QStringLiteral("SELECT a5, \"6\", day1, ID FROM data1"));
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

    void unopenableFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("this is not a database, just some text\n").repeated(200);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("plain sqlite header") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0');
    }
    void unopenableFilesAreRefusedAndLeftAlone()
    {
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
