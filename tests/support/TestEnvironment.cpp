#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <libpq-fe.h>

#include <atomic>
#include <memory>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quollin::test {

namespace {

// The cluster's own description, written by scripts/pg-test-cluster.sh
// beside the URI file that QUOLLIN_TEST_PG names.
QString clusterFile(const QString &name)
{
    const QString uriFile = qEnvironmentVariable("QUOLLIN_TEST_PG");
    if (uriFile.isEmpty())
        return {};
    QFile file(QFileInfo(uriFile).dir().filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

struct ConnectionDeleter {
    void operator()(PGconn *c) const { PQfinish(c); }
};
using Connection = std::unique_ptr<PGconn, ConnectionDeleter>;

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

Connection maintenanceConnection(QString *error)
{
    const QString uri = TestEnvironment::maintenanceUri();
    if (uri.isEmpty()) {
        *error = QStringLiteral("the test cluster is not running (QUOLLIN_TEST_PG names no URI file)");
        return {};
    }
    Connection c(PQconnectdb(uri.toUtf8().constData()));
    if (PQstatus(c.get()) != CONNECTION_OK) {
        *error = QStringLiteral("cannot reach the test cluster at %1: %2")
                     .arg(uri, QString::fromUtf8(PQerrorMessage(c.get())).trimmed());
        return {};
    }
    return c;
}

// Runs a statement about a database whose name is quoted into it; the
// name is always one we made, never a test's input.
QString runOnDatabase(PGconn *c, const char *before, const QString &database, const char *after)
{
    const QByteArray name = database.toUtf8();
    char *quoted = PQescapeIdentifier(c, name.constData(), size_t(name.size()));
    if (!quoted)
        return QString::fromUtf8(PQerrorMessage(c)).trimmed();
    const QByteArray sql = QByteArray(before) + quoted + after;
    PQfreemem(quoted);
    Result r(PQexec(c, sql.constData()));
    if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        return QString::fromUtf8(PQresultErrorMessage(r.get())).trimmed();
    return {};
}

// The same cluster, user and socket as the maintenance URI, another database.
QString uriOfDatabase(const QString &maintenance, const QString &database)
{
    const qsizetype authority = maintenance.indexOf(QLatin1String("://"));
    const qsizetype path = maintenance.indexOf(QLatin1Char('/'), authority + 3);
    const qsizetype query = maintenance.indexOf(QLatin1Char('?'), path);
    if (authority < 0 || path < 0)
        return {};
    return maintenance.left(path + 1) + database + (query < 0 ? QString() : maintenance.mid(query));
}

} // namespace

TestEnvironment::TestEnvironment()
{
    // Anything that asks for the standard folders gets test folders instead.
    QStandardPaths::setTestModeEnabled(true);
}

TestEnvironment::~TestEnvironment()
{
    if (m_serverDatabase.isEmpty())
        return;
    // FORCE: a test that failed half-way may still hold connections.
    QString error;
    if (Connection c = maintenanceConnection(&error))
        runOnDatabase(c.get(), "DROP DATABASE IF EXISTS ", m_serverDatabase, " WITH (FORCE)");
}

QString TestEnvironment::path(const QString &fileName) const { return m_dir.filePath(fileName); }

QString TestEnvironment::databasePath() const
{
    if (!onServer())
        return path(QStringLiteral("data.db"));
    if (!m_serverUri.isEmpty())
        return m_serverUri;

    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("t_%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(++counter)
                             .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
    QString error;
    Connection c = maintenanceConnection(&error);
    if (c) {
        // Collation C: the order of text is the program's business, not
        // the machine's locale.
        error = runOnDatabase(c.get(), "CREATE DATABASE ", name,
                              " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'");
    }
    if (!error.isEmpty())
        qFatal("cannot make a test database on the cluster: %s", qPrintable(error));
    m_serverDatabase = name;
    m_serverUri = uriOfDatabase(maintenanceUri(), name);
    if (m_serverUri.isEmpty())
        qFatal("the test cluster's URI is not a postgresql:// URI: %s", qPrintable(maintenanceUri()));
    return m_serverUri;
}

bool TestEnvironment::onServer() { return qgetenv("QUOLLIN_TEST_BACKEND") == "postgresql"; }

QString TestEnvironment::maintenanceUri() { return onServer() ? clusterFile(QStringLiteral("uri")) : QString(); }

QString TestEnvironment::restartServer()
{
    const QString pgCtl = clusterFile(QStringLiteral("pg_ctl"));
    const QString dataDir = clusterFile(QStringLiteral("pgdata"));
    const QString user = clusterFile(QStringLiteral("user"));
    if (!onServer() || pgCtl.isEmpty() || dataDir.isEmpty())
        return QStringLiteral("no test cluster to restart");
    // The server's output goes to its log, never to our pipe, which it
    // would outlive.
    QString program = pgCtl;
    QStringList arguments{QStringLiteral("restart"), QStringLiteral("-D"), dataDir, QStringLiteral("-m"),
                          QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                          QStringLiteral("-l"), QFileInfo(dataDir).dir().filePath(QStringLiteral("server.log"))};
    // The server refuses root: run pg_ctl as the account that owns it.
    if (::geteuid() == 0 && user != QLatin1String("root")) {
        arguments = QStringList{QStringLiteral("-u"), user, QStringLiteral("--"), pgCtl} + arguments;
        program = QStringLiteral("runuser");
    }
    QProcess process;
    process.setWorkingDirectory(QStringLiteral("/"));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(90000))
        return QStringLiteral("pg_ctl restart did not finish: %1").arg(process.errorString());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("pg_ctl restart failed: %1").arg(QString::fromUtf8(process.readAll()).trimmed());
    return {};
}

int TestEnvironment::connectionsTo(const QString &database)
{
    QByteArray name = database.toUtf8();
    if (database.startsWith(QLatin1String("postgresql://"))) {
        name.clear();
        if (PQconninfoOption *options = PQconninfoParse(database.toUtf8().constData(), nullptr)) {
            for (PQconninfoOption *o = options; o->keyword; ++o) {
                if (qstrcmp(o->keyword, "dbname") == 0 && o->val)
                    name = o->val;
            }
            PQconninfoFree(options);
        }
        if (name.isEmpty())
            return -1;
    }
    QString error;
    Connection c = maintenanceConnection(&error);
    if (!c)
        return -1;
    // Client backends only: an autovacuum worker may be in there too.
    const char *values[] = {name.constData()};
    Result r(PQexecParams(c.get(),
                          "SELECT count(*) FROM pg_stat_activity "
                          "WHERE datname = $1 AND backend_type = 'client backend'",
                          1, nullptr, values, nullptr, nullptr, 0));
    if (PQresultStatus(r.get()) != PGRES_TUPLES_OK || PQntuples(r.get()) != 1)
        return -1;
    return QByteArray(PQgetvalue(r.get(), 0, 0)).toInt();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Root writes to any file whatever its mode says, so a read-only file
// proves nothing when the tests run as root (as they do on the build
// machine). There the steps run in a child process that has become the
// unprivileged user "nobody", owner of the test folder. The steps return
// what went wrong, or nothing.
QString asOrdinaryUser(const QString &folder, const std::function<QString()> &steps)
{
    if (::geteuid() != 0)
        return steps();
    constexpr uid_t kNobody = 65534;
    const QByteArray local = QFile::encodeName(folder);
    if (::chown(local.constData(), kNobody, kNobody) != 0)
        return QStringLiteral("cannot hand the folder to nobody");
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString entry = it.next();
        if (::chown(QFile::encodeName(entry).constData(), kNobody, kNobody) != 0)
            return QStringLiteral("cannot hand %1 to nobody").arg(entry);
    }
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child < 0)
        return QStringLiteral("no child process");
    if (child == 0) {
        ::close(channel[0]);
        QByteArray report;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            report = "cannot become nobody";
        else if (::access(local.constData(), R_OK | W_OK | X_OK) != 0)
            report = "SKIP: the test folder lies out of nobody's reach";
        else
            report = steps().toUtf8();
        for (qsizetype done = 0; done < report.size();) {
            const ssize_t n = ::write(channel[1], report.constData() + done, size_t(report.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process died");
    return QString::fromUtf8(report);
}

} // namespace quollin::test
