#include "support/TestEnvironment.h"

#include <QtTest>

#include <libpq-fe.h>

#include <memory>

using quollin::test::TestEnvironment;

namespace {

struct ConnectionDeleter {
    void operator()(PGconn *c) const { PQfinish(c); }
};
using Connection = std::unique_ptr<PGconn, ConnectionDeleter>;

Connection openConnection(const QString &uri) { return Connection(PQconnectdb(uri.toUtf8().constData())); }

// The first field of a one-row answer, or "failed: " and why.
QString scalar(PGconn *c, const char *sql)
{
    PGresult *r = PQexec(c, sql);
    const QString value = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1
                              ? QString::fromUtf8(PQgetvalue(r, 0, 0))
                              : QStringLiteral("failed: ") + QString::fromUtf8(PQerrorMessage(c)).trimmed();
    PQclear(r);
    return value;
}

bool run(PGconn *c, const char *sql)
{
    PGresult *r = PQexec(c, sql);
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    return ok;
}

int databasesNamed(const QString &name)
{
    Connection c = openConnection(TestEnvironment::maintenanceUri());
    const QByteArray value = name.toUtf8();
    const char *values[] = {value.constData()};
    PGresult *r = PQexecParams(c.get(), "SELECT count(*) FROM pg_database WHERE datname = $1", 1, nullptr, values,
                               nullptr, nullptr, 0);
    const int count = PQresultStatus(r) == PGRES_TUPLES_OK ? QByteArray(PQgetvalue(r, 0, 0)).toInt() : -1;
    PQclear(r);
    return count;
}

} // namespace

class TestCluster : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(TestEnvironment::onServer()); }

    // Each environment gets a database of its own, empty, in UTF-8 with
    // byte-order collation, reachable through the URI it hands out; the
    // database is gone with the environment even if a connection was left
    // open.
    void freshDatabasePerEnvironment()
    {
        QString firstName;
        Connection leftOpen;
        {
            TestEnvironment first;
            TestEnvironment second;
            const QString uri = first.databasePath();
            QVERIFY(uri.startsWith(QLatin1String("postgresql://")));
            QCOMPARE(first.databasePath(), uri);
            QVERIFY(second.databasePath() != uri);

            leftOpen = openConnection(uri);
            QCOMPARE(PQstatus(leftOpen.get()), CONNECTION_OK);
            firstName = scalar(leftOpen.get(), "SELECT current_database()");
            QVERIFY(uri.contains(firstName));
            QCOMPARE(scalar(leftOpen.get(), "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                                            "WHERE n.nspname NOT IN ('pg_catalog', 'information_schema') "
                                            "AND n.nspname NOT LIKE 'pg_toast%'"),
                     QStringLiteral("0"));
            QCOMPARE(scalar(leftOpen.get(), "SELECT pg_encoding_to_char(encoding) || ' ' || datcollate || ' ' || datctype "
                                            "FROM pg_database WHERE datname = current_database()"),
                     QStringLiteral("UTF8 C C"));
            QVERIFY(run(leftOpen.get(), "CREATE TABLE only_here (x int)"));

            Connection other = openConnection(second.databasePath());
            QCOMPARE(scalar(other.get(), "SELECT count(*) FROM pg_class WHERE relname = 'only_here'"),
                     QStringLiteral("0"));
        }
        QCOMPARE(databasesNamed(firstName), 0);
        QVERIFY(scalar(leftOpen.get(), "SELECT 1").startsWith(QLatin1String("failed")));
    }

    void connectionsCounted()
    {
        TestEnvironment env;
        const QString uri = env.databasePath();
        QCOMPARE(TestEnvironment::connectionsTo(uri), 0);
        Connection a = openConnection(uri);
        Connection b = openConnection(uri);
        QCOMPARE(TestEnvironment::connectionsTo(uri), 2);
        a.reset();
        QTRY_COMPARE(TestEnvironment::connectionsTo(uri), 1);
        const QString name = scalar(b.get(), "SELECT current_database()");
        QCOMPARE(TestEnvironment::connectionsTo(name), 1);
        QCOMPARE(TestEnvironment::connectionsTo(QStringLiteral("no_such_database")), 0);
    }

    // A restart ends the open connections; what was committed is there
    // for the next one.
    void restartEndsConnections()
    {
        TestEnvironment env;
        Connection before = openConnection(env.databasePath());
        QVERIFY(run(before.get(), "CREATE TABLE kept (x int); INSERT INTO kept VALUES (7)"));

        QCOMPARE(TestEnvironment::restartServer(), QString());

        QVERIFY(scalar(before.get(), "SELECT 1").startsWith(QLatin1String("failed")));
        Connection after = openConnection(env.databasePath());
        QCOMPARE(PQstatus(after.get()), CONNECTION_OK);
        QCOMPARE(scalar(after.get(), "SELECT x FROM kept"), QStringLiteral("7"));
    }
};

QTEST_GUILESS_MAIN(TestCluster)
#include "tst_testcluster.moc"
