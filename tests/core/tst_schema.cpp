#include "core/Database.h"
#include "core/PasswordHash.h"
#include "core/Schema.h"
#include "core/ShopDatabase.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QtTest>

using namespace quollin;
using quollin::test::TestEnvironment;
using quollin::test::fileBytes;

class SchemaTest : public QObject {
    Q_OBJECT

private:
    static QStringList columnsOf(Database &db, const QString &table, QStringList *types = nullptr)
    {
        Statement info = db.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(table));
        QStringList names;
        while (info.next()) {
            names << info.text("name");
            if (types)
                *types << info.text("type");
        }
        return names;
    }

    static QStringList split(const char *spaced) { return QString::fromLatin1(spaced).split(QLatin1Char(' ')); }

private slots:
    void newFileHoldsEveryColumnInOrder()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());

        QStringList goodsTypes;
        QCOMPARE(columnsOf(*db, QStringLiteral("data"), &goodsTypes),
                 split("ID a b c d e f g 1 2 3 4 5 6 7 8 z day1"));
        QCOMPARE(goodsTypes.at(8), QStringLiteral("REAL"));   // "1", purchase price
        QCOMPARE(goodsTypes.at(17), QStringLiteral("TEXT"));  // day1, ISO date text
        QCOMPARE(columnsOf(*db, QStringLiteral("data1")),
                 split("ID a b c d e f g h i j k l m n o p q r s t u v w x y z 1 2 3 4 a5 6 7 8 9 "
                       "day1 day2 day3 day4 day5 day6 goods_id"));
        QCOMPARE(columnsOf(*db, QStringLiteral("userdb")), split("username passwd"));
        QCOMPARE(columnsOf(*db, QStringLiteral("rz")), split("id username btime jtime"));

        Statement version = db->prepare(QStringLiteral("PRAGMA user_version"));
        QVERIFY(version.next());
        QCOMPARE(version.integer(0), qint64(Schema::kVersion));
        Statement journal = db->prepare(QStringLiteral("PRAGMA journal_mode"));
        QVERIFY(journal.next());
        QCOMPARE(journal.text(0), QStringLiteral("wal"));
        Statement sync = db->prepare(QStringLiteral("PRAGMA synchronous"));
        QVERIFY(sync.next());
        QCOMPARE(sync.integer(0), qint64(2)); // FULL

        Statement indexes = db->prepare(QStringLiteral("SELECT tbl_name || '.' || name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL"));
        QStringList names;
        while (indexes.next())
            names << indexes.text(0);
        for (const char *wanted : {"data.data_day1", "data.data_a", "data.data_b", "data.data_c", "data.data_d",
                                   "data.data_g", "data1.data1_day1", "data1.data1_z", "data1.data1_g",
                                   "data1.data1_day1_sums", "data1.data1_d"})
            QVERIFY2(names.contains(QLatin1String(wanted)), wanted);

        const QDir folder(QFileInfo(env.databasePath()).absolutePath());
        QVERIFY(folder.entryList({QStringLiteral("*.new*")}, QDir::Files).isEmpty());
    }

    void superAdministratorStartsWithHashedInitialPassword()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        Statement users = db->prepare(QStringLiteral("SELECT username, passwd FROM userdb"));
        QVERIFY(users.next());
        QCOMPARE(users.text("username"), QStringLiteral("超级管理员"));
        const QString stored = users.text("passwd");
        QVERIFY(!users.next());
        QVERIFY(!stored.contains(QLatin1String("582")));
        QVERIFY(stored.startsWith(QLatin1String("$argon2id$")));
        QVERIFY(PasswordHash::verify(stored, QStringLiteral("582")));
        QVERIFY(!PasswordHash::verify(stored, QStringLiteral("5820")));
        QVERIFY(!PasswordHash::verify(stored, QString()));
        QVERIFY(!PasswordHash::verify(QStringLiteral("582"), QStringLiteral("582"))); // plain text is no hash
        // Salted: the same password hashes differently each time.
        QVERIFY(PasswordHash::hash(QStringLiteral("abc")) != PasswordHash::hash(QStringLiteral("abc")));
        QVERIFY(PasswordHash::verify(PasswordHash::hash(QStringLiteral("AbC")), QStringLiteral("AbC")));
        QVERIFY(!PasswordHash::verify(PasswordHash::hash(QStringLiteral("AbC")), QStringLiteral("abc")));

        QVERIFY_THROWS_EXCEPTION(DbError, db->prepare(QStringLiteral("INSERT INTO userdb VALUES (:n, 'x')"))
                                              .bind(":n", QStringLiteral("超级管理员"))
                                              .exec());
    }

    void keysAreNeverReused()
    {
        TestEnvironment env;
        auto db = ShopDatabase::open(env.databasePath());
        db->execScript(QStringLiteral("INSERT INTO data (a) VALUES ('x'); INSERT INTO data (a) VALUES ('y');"));
        const qint64 last = db->lastInsertId();
        db->execScript(QStringLiteral("DELETE FROM data WHERE a='y'"));
        db->execScript(QStringLiteral("INSERT INTO data (a) VALUES ('z')"));
        // A sale line keeps the key of its goods row: a deleted row's key must
        // never come back for another article.
        QVERIFY(db->lastInsertId() > last);
    }

    void earlierLayoutGetsTheDropDownIndexesAtOpen()
    {
        TestEnvironment env;
        const QStringList dropDownIndexes = {"data_a", "data_b", "data_c", "data_d", "data_g"};
        {
            auto db = ShopDatabase::open(env.databasePath());
            // The layout before the drop-down lists had indexes of their own.
            for (const QString &name : dropDownIndexes)
                db->execScript(QStringLiteral("DROP INDEX ") + name);
            db->execScript(QStringLiteral("INSERT INTO data (a, c) VALUES ('可乐', '690')"));
        }
        auto db = ShopDatabase::open(env.databasePath());
        Statement indexes = db->prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"));
        QStringList names;
        while (indexes.next())
            names << indexes.text(0);
        for (const QString &name : dropDownIndexes)
            QVERIFY2(names.contains(name), qPrintable(name));
        Statement rows = db->prepare(QStringLiteral("SELECT a FROM data"));
        QVERIFY(rows.next());
        QCOMPARE(rows.text(0), QStringLiteral("可乐"));

        // The distinct values are read from the index alone, in its order.
        for (const char *column : {"a", "b", "c", "d", "g"}) {
            Statement plan = db->prepare(
                QStringLiteral("EXPLAIN QUERY PLAN SELECT \"%1\" FROM data GROUP BY \"%1\" ORDER BY \"%1\"")
                    .arg(QLatin1String(column)));
            QStringList steps;
            while (plan.next())
                steps << plan.text(plan.columnCount() - 1);
            const QString joined = steps.join(QLatin1Char('|'));
            QVERIFY2(joined.contains(QLatin1String("COVERING INDEX data_") + QLatin1String(column)), qPrintable(joined));
            QVERIFY2(!joined.contains(QLatin1String("TEMP B-TREE")), qPrintable(joined));
        }
    }

    void earlierLayoutGetsTheRecordsIndexesAtOpen()
    {
        TestEnvironment env;
        {
            auto db = ShopDatabase::open(env.databasePath());
            // The layout before the profit charts summed from an index of their
            // own and the records window's category list read one.
            db->execScript(QStringLiteral("DROP INDEX IF EXISTS data1_day1_sums"));
            db->execScript(QStringLiteral("DROP INDEX IF EXISTS data1_d"));
            db->execScript(QStringLiteral("INSERT INTO data1 (a, day1, a5, \"4\") VALUES ('可乐', '2023-06-05', 1.5, 3)"));
        }
        auto db = ShopDatabase::open(env.databasePath());
        Statement indexes = db->prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index'"));
        QStringList names;
        while (indexes.next())
            names << indexes.text(0);
        QVERIFY(names.contains(QLatin1String("data1_day1_sums")));
        QVERIFY(names.contains(QLatin1String("data1_d")));

        // The sale lines' categories are read off their index, not a sort of every line.
        Statement categories = db->prepare(QStringLiteral("EXPLAIN QUERY PLAN SELECT d AS v FROM data1 GROUP BY d"));
        QStringList walk;
        while (categories.next())
            walk << categories.text(categories.columnCount() - 1);
        QVERIFY2(walk.join(QLatin1Char('|')).contains(QLatin1String("COVERING INDEX data1_d")), qPrintable(walk.join(QLatin1Char('|'))));

        // The sums by month and by day of a date range read the index alone,
        // never a table row per line.
        for (const char *sum : {"SUM(fen(a5))/100.0", "SUM(fen(\"4\"))/100.0"}) {
            for (const char *shape : {"SELECT %1 FROM data1 WHERE day1>=:from AND day1<:to",
                                      "SELECT day1,%1 FROM data1 WHERE day1>=:from AND day1<:to GROUP BY day1 ORDER BY day1"}) {
                Statement plan = db->prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromLatin1(shape).arg(QLatin1String(sum)));
                plan.bind(":from", QStringLiteral("2023-01-01")).bind(":to", QStringLiteral("2024-01-01"));
                QStringList steps;
                while (plan.next())
                    steps << plan.text(plan.columnCount() - 1);
                const QString joined = steps.join(QLatin1Char('|'));
                QVERIFY2(joined.contains(QLatin1String("COVERING INDEX data1_day1_sums")), qPrintable(joined));
                QVERIFY2(!joined.contains(QLatin1String("TEMP B-TREE")), qPrintable(joined));
            }
        }
        Statement total = db->prepare(QStringLiteral("SELECT SUM(a5), SUM(\"4\") FROM data1 WHERE day1>='2023-06-01'"));
        QVERIFY(total.next());
        QCOMPARE(total.real(0), 1.5);
        QCOMPARE(total.real(1), 3.0);
    }

    void foreignOrNewerFilesAreRefusedUnchanged()
    {
        TestEnvironment env;
        {
            auto db = Database::open(env.databasePath(), QByteArray(ShopDatabase::kKey), Database::OpenMode::CreateIfMissing);
            db->execScript(QStringLiteral("CREATE TABLE data (a TEXT)"));
        }
        QByteArray before = fileBytes(env.databasePath());
        try {
            ShopDatabase::open(env.databasePath());
            QFAIL("a file without the shop's tables must be refused");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains(QLatin1String("data")), qPrintable(e.message()));
        }
        QCOMPARE(fileBytes(env.databasePath()), before);

        TestEnvironment newer;
        {
            auto db = ShopDatabase::open(newer.databasePath());
            db->execScript(QStringLiteral("PRAGMA user_version=99"));
        }
        before = fileBytes(newer.databasePath());
        QVERIFY_THROWS_EXCEPTION(DbError, ShopDatabase::open(newer.databasePath()));
        QCOMPARE(fileBytes(newer.databasePath()), before);
    }
};

QTEST_GUILESS_MAIN(SchemaTest)
#include "tst_schema.moc"
