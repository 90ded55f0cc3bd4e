#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace quollin::test {

// A private folder for one test's database and settings files, so that no
// test ever touches the user's own.
//
// With QUOLLIN_TEST_BACKEND=postgresql (the name_pg runs of CTest) the
// database lives on the suite's throw-away PostgreSQL cluster instead:
// databasePath() is then the libpq URI of a fresh, empty database made for
// this environment, dropped again with it. The settings stay files.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    QString path(const QString &fileName) const;
    QString databasePath() const;
    QString settingsPath() const { return path(QStringLiteral("jxc.ini")); }

    // Whether this run keeps its databases on the test cluster.
    static bool onServer();
    // The libpq URI of the cluster's maintenance database; empty when the
    // run is not onServer().
    static QString maintenanceUri();
    // Restarts the cluster with a fast shutdown, which ends every open
    // connection to it, and waits until it accepts connections again.
    // Returns what went wrong, or nothing. A test that calls it restarts
    // the server under every other test: register it RESTARTS_SERVER.
    static QString restartServer();
    // Client connections open right now to a database, named or given as
    // databasePath() gives it; -1 when the cluster cannot be asked. A
    // connection just closed leaves a moment later: poll (QTRY_COMPARE).
    static int connectionsTo(const QString &database);

private:
    QTemporaryDir m_dir;
    // The database made on the cluster, on the first databasePath().
    mutable QString m_serverDatabase;
    mutable QString m_serverUri;
};

// Reads a whole file, for before-and-after comparisons.
QByteArray fileBytes(const QString &path);

// Runs `steps` as an unprivileged user, owner of `folder` and its files, so
// that read-only modes mean something even when the tests run as root.
// Returns what went wrong, or nothing; "SKIP: ..." when it cannot be tried.
QString asOrdinaryUser(const QString &folder, const std::function<QString()> &steps);

} // namespace quollin::test

// For a test of what only the embedded file has (its bytes, its locks, its
// journal, text kept in a number column): skipped in the server's run.
#define QUOLLIN_FILE_ONLY(why) \
    do { \
        if (::quollin::test::TestEnvironment::onServer()) \
            QSKIP("the file backend only: " why); \
    } while (false)
