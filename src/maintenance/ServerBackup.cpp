#include "maintenance/ServerBackup.h"

#include "core/Database.h"
#include "core/DatabaseLocation.h"
#include "core/EngineMessage.h"
#include "core/ShopDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVersionNumber>

#include <QMutex>

#include <functional>

namespace quollin::ServerBackup {

using BackupFile::Result;

namespace {

const QStringList &shopTables()
{
    static const QStringList tables{QStringLiteral("data"), QStringLiteral("data1"), QStringLiteral("userdb"),
                                    QStringLiteral("rz")};
    return tables;
}

// The URI split into what may stand on a command line and its password,
// which goes to the program through its environment (PGPASSWORD) instead:
// a command line is readable by every user of the machine. The rest of the
// URI is passed on as it was written.
struct Connection {
    QString uri;
    QString password;
};

Connection withoutPassword(const QString &uri)
{
    Connection c{uri, QString()};
    const qsizetype authority = c.uri.indexOf(QLatin1String("://"));
    if (authority < 0)
        return c;
    const qsizetype from = authority + 3;
    qsizetype end = c.uri.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?')}) {
        const qsizetype at = c.uri.indexOf(stop, from);
        if (at >= 0)
            end = qMin(end, at);
    }
    const qsizetype at = c.uri.lastIndexOf(QLatin1Char('@'), end - 1);
    if (at >= from) {
        const qsizetype colon = c.uri.indexOf(QLatin1Char(':'), from);
        if (colon >= 0 && colon < at) {
            c.password = QString::fromUtf8(QByteArray::fromPercentEncoding(c.uri.mid(colon + 1, at - colon - 1).toUtf8()));
            c.uri.remove(colon, at - colon);
        }
    }
    const qsizetype query = c.uri.indexOf(QLatin1Char('?'));
    if (query >= 0) {
        QStringList kept;
        for (const QString &item : c.uri.mid(query + 1).split(QLatin1Char('&'))) {
            if (item.section(QLatin1Char('='), 0, 0) == QLatin1String("password"))
                c.password = QString::fromUtf8(QByteArray::fromPercentEncoding(item.section(QLatin1Char('='), 1).toUtf8()));
            else
                kept << item;
        }
        c.uri = c.uri.left(query) + (kept.isEmpty() ? QString() : QLatin1Char('?') + kept.join(QLatin1Char('&')));
    }
    return c;
}

struct Run {
    bool started = false;
    bool stopped = false;
    bool finished = false; // ended by itself with exit code 0
    QString failure;       // why it could not start, or its own last words
};

// Runs a client program to its end. Its output goes to `output` as it
// comes (the program may write far more than fits in memory); `progress`
// is asked every tenth of a second and may stop it.
Run runClient(const QString &name, const QStringList &arguments, const QString &password,
              const BackupFile::Progress &progress, const std::function<void(const QByteArray &)> &output = {})
{
    Run run;
    const QString program = clientProgram(name);
    if (program.isEmpty()) {
        run.failure = QStringLiteral("这台电脑上找不到 %1（PostgreSQL 的客户端程序）。请安装 PostgreSQL 客户端"
                                     "（Debian 上是软件包 postgresql-client），版本不低于服务器的。")
                          .arg(name);
        return run;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its messages in English: they are looked into below, and shown after
    // a sentence of ours.
    environment.remove(QStringLiteral("LANGUAGE"));
    environment.remove(QStringLiteral("LC_ALL"));
    environment.insert(QStringLiteral("LC_MESSAGES"), QStringLiteral("C"));
    if (!password.isEmpty())
        environment.insert(QStringLiteral("PGPASSWORD"), password);
    // A server that does not answer is reported, not waited for.
    if (!environment.contains(QStringLiteral("PGCONNECT_TIMEOUT")))
        environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("15"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!output)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        run.failure = QStringLiteral("无法启动 %1：%2").arg(program, process.errorString());
        return run;
    }
    run.started = true;
    while (process.state() != QProcess::NotRunning) {
        if (output) {
            process.waitForReadyRead(100);
            output(process.readAllStandardOutput());
        } else {
            process.waitForFinished(100);
        }
        if (progress && !progress(0, -1)) {
            process.kill();
            process.waitForFinished(-1);
            run.stopped = true;
            return run;
        }
    }
    if (output)
        output(process.readAllStandardOutput());
    run.finished = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (!run.finished) {
        QStringList lines;
        for (QString line : errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            line = line.trimmed();
            line.remove(QRegularExpression(QStringLiteral("^%1: (error: |detail: |hint: )?")
                                               .arg(QRegularExpression::escape(name))));
            if (!line.isEmpty())
                lines << line;
        }
        run.failure = lines.isEmpty() ? QStringLiteral("%1 异常结束。").arg(name) : lines.join(QLatin1Char('\n'));
        if (errors.contains(QLatin1String("server version mismatch"))) {
            run.failure = QStringLiteral("数据库服务器的版本比这台电脑上的 %1 新，%1 不能备份它。请在这台电脑上安装"
                                         "与服务器相同或更新版本的 PostgreSQL 客户端。（%2）")
                              .arg(name, lines.isEmpty() ? QString() : lines.last());
        }
    }
    return run;
}

QString stopped() { return QStringLiteral("已取消。"); }

// The tables whose data a dump lists ("TABLE DATA <schema> <name> <owner>").
Result listedData(const QString &dumpFile, QStringList *tables)
{
    QByteArray listing;
    const Run run = runClient(QStringLiteral("pg_restore"), {QStringLiteral("--list"), dumpFile}, QString(), {},
                              [&listing](const QByteArray &chunk) { listing += chunk; });
    if (!run.finished)
        return Result::failure(run.failure);
    static const QRegularExpression data(QStringLiteral("^\\d+; \\d+ \\d+ TABLE DATA \\S+ (\\S+) "));
    for (const QString &line : QString::fromUtf8(listing).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = data.match(line);
        if (m.hasMatch())
            *tables << m.captured(1);
    }
    return Result::success();
}

// The rows of each table in the dump's data, read through as pg_restore
// writes them out (one line per row between "COPY <table> ..." and "\.").
struct DumpRows {
    RowCounts rows;
    QByteArray pending;
    QString table; // inside this table's rows; empty outside

    void read(const QByteArray &chunk)
    {
        pending += chunk;
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1)
            line(QByteArrayView(pending).sliced(start, end - start));
        pending.remove(0, start);
    }

    void line(QByteArrayView text)
    {
        if (!table.isEmpty()) {
            if (text == "\\.")
                table.clear();
            else
                ++rows[table];
        } else if (text.startsWith("COPY ")) {
            QString name = QString::fromUtf8(text.sliced(5));
            name = name.left(name.indexOf(QLatin1Char(' ')));
            name = name.section(QLatin1Char('.'), -1).remove(QLatin1Char('"'));
            table = name;
            rows[table] += 0;
        }
    }
};

} // namespace

QString clientProgram(const QString &name)
{
    // Looked for once per program run (a look at the PATH's one runs it);
    // not found is looked for again, as it may be installed meanwhile.
    static QMutex guard;
    static QMap<QString, QString> known;
    QMutexLocker lock(&guard);
    if (const QString path = known.value(name); !path.isEmpty())
        return path;
    QString &found = known[name];
    // Versioned folders of the packages (Debian, the PostgreSQL project's
    // Windows installer), newest first; then whatever the PATH finds, when
    // it is newer still.
    QStringList roots{QStringLiteral("/usr/lib/postgresql")};
#ifdef Q_OS_WIN
    roots << qEnvironmentVariable("ProgramFiles") + QStringLiteral("/PostgreSQL");
    const QString executable = name + QStringLiteral(".exe");
#else
    const QString &executable = name;
#endif
    QVersionNumber best;
    for (const QString &root : roots) {
        for (const QString &version : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QVersionNumber number = QVersionNumber::fromString(version);
            const QString candidate = QDir(root).filePath(version + QStringLiteral("/bin/") + executable);
            if (!number.isNull() && number > best && QFileInfo(candidate).isExecutable()) {
                best = number;
                found = candidate;
            }
        }
    }
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty() && (found.isEmpty() || QFileInfo(onPath).canonicalFilePath() != QFileInfo(found).canonicalFilePath())) {
        QProcess version;
        version.start(onPath, {QStringLiteral("--version")});
        if (version.waitForFinished(10000)) {
            // "pg_dump (PostgreSQL) 15.13"
            const QString said = QString::fromLocal8Bit(version.readAllStandardOutput()).trimmed();
            const QVersionNumber number = QVersionNumber::fromString(said.section(QLatin1Char(' '), -1));
            if (found.isEmpty() || number.majorVersion() > best.majorVersion())
                found = onPath;
        }
    }
    return found;
}

QString describe(const RowCounts &rows)
{
    return QStringLiteral("商品 %1 条、销售记录 %2 条、操作员 %3 个、操作日志 %4 条")
        .arg(rows.value(QStringLiteral("data")))
        .arg(rows.value(QStringLiteral("data1")))
        .arg(rows.value(QStringLiteral("userdb")))
        .arg(rows.value(QStringLiteral("rz")));
}

RowCounts countRows(Database &db)
{
    RowCounts rows;
    for (const QString &table : shopTables()) {
        // The table names are this program's own, never typed.
        Statement count = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(table));
        rows[table] = count.next() ? count.integer(0) : 0;
    }
    return rows;
}

Result verify(const QString &dumpFile)
{
    if (!QFileInfo(dumpFile).isFile())
        return Result::failure(QStringLiteral("文件不存在：%1").arg(QDir::toNativeSeparators(dumpFile)));
    QStringList tables;
    const Result listed = listedData(dumpFile, &tables);
    if (!listed.ok)
        return Result::failure(QStringLiteral("这不是一份可以读取的服务器备份文件（pg_dump 的自定义格式）。\n")
                               + listed.reason);
    for (const QString &table : shopTables()) {
        if (!tables.contains(table))
            return Result::failure(QStringLiteral("这份服务器备份里没有本程序的数据（缺少表 %1）。").arg(table));
    }
    return Result::success();
}

Result dump(const QString &uri, const QString &target, const BackupFile::Progress &progress)
{
    if (const Result usable = BackupFile::checkTarget(target); !usable.ok)
        return usable;
    const QString partial = BackupFile::temporaryNameFor(target);
    QFile::remove(partial);
    const Connection connection = withoutPassword(uri);
    const Run run = runClient(QStringLiteral("pg_dump"),
                              {QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                               QStringLiteral("--file=") + partial, QStringLiteral("--dbname=") + connection.uri},
                              connection.password, progress);
    if (!run.finished) {
        QFile::remove(partial);
        return Result::failure(run.stopped ? QStringLiteral("备份已取消。") : run.failure);
    }
    const Result checked = verify(partial);
    if (!checked.ok) {
        QFile::remove(partial);
        return checked;
    }
    if (!BackupFile::replaceFile(partial, target)) {
        QFile::remove(partial);
        return Result::failure(QStringLiteral("无法写入文件：%1").arg(target));
    }
    return Result::success();
}

bool isEmpty(Database &db)
{
    Statement anything = db.prepare(QStringLiteral(
        "SELECT (SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
        "        WHERE n.nspname <> 'information_schema' AND n.nspname !~ '^pg_')"
        " + (SELECT count(*) FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace"
        "        WHERE n.nspname <> 'information_schema' AND n.nspname !~ '^pg_')"
        " + (SELECT count(*) FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace"
        "        WHERE n.nspname <> 'information_schema' AND n.nspname !~ '^pg_')"
        " + (SELECT count(*) FROM pg_collation k JOIN pg_namespace n ON n.oid = k.collnamespace"
        "        WHERE n.nspname <> 'information_schema' AND n.nspname !~ '^pg_')"
        " + (SELECT count(*) FROM pg_namespace n"
        "        WHERE n.nspname NOT IN ('public', 'information_schema') AND n.nspname !~ '^pg_')"
        " + (SELECT count(*) FROM pg_extension WHERE extname <> 'plpgsql')"));
    return anything.next() && anything.integer(0) == 0;
}

Restored restore(const QString &dumpFile, const QString &targetUri, const BackupFile::Progress &progress)
{
    Restored restored;
    auto refuse = [&restored](const QString &why) {
        restored.result = Result::failure(why);
        return std::move(restored);
    };
    if (!Database::isServerLocation(targetUri))
        return refuse(QStringLiteral("请填写要恢复到的服务器数据库的地址（postgresql://用户@服务器/数据库名）。"));
    if (const Result checked = verify(dumpFile); !checked.ok)
        return refuse(checked.reason);

    const QString shown = DatabaseLocation::shown(targetUri);
    try {
        auto target = Database::open(targetUri, QByteArray());
        if (!isEmpty(*target))
            return refuse(QStringLiteral("数据库 %1 不是空的，没有恢复到它里面，它没有改变。请让数据库管理员建一个新的空数据库。")
                              .arg(shown));
    } catch (const DbError &e) {
        return refuse(QStringLiteral("无法连接要恢复到的数据库 %1：%2").arg(shown, engineMessage(e)));
    }

    // The whole dump is read once before anything is written: a damaged
    // or cut-off file is refused here, and its rows are counted.
    DumpRows inDump;
    const Run read = runClient(QStringLiteral("pg_restore"), {QStringLiteral("--data-only"), QStringLiteral("--file=-"), dumpFile},
                               QString(), progress, [&inDump](const QByteArray &chunk) { inDump.read(chunk); });
    if (!read.finished)
        return refuse(read.stopped ? stopped() + QStringLiteral("数据库没有改变。")
                                   : QStringLiteral("备份文件读不完整，也许已经损坏：\n") + read.failure);

    const Connection connection = withoutPassword(targetUri);
    const Run loaded = runClient(QStringLiteral("pg_restore"),
                                 {QStringLiteral("--dbname=") + connection.uri, QStringLiteral("--single-transaction"),
                                  QStringLiteral("--exit-on-error"), QStringLiteral("--no-owner"),
                                  QStringLiteral("--no-password"), dumpFile},
                                 connection.password, progress);
    if (!loaded.finished)
        return refuse((loaded.stopped ? stopped() : QStringLiteral("恢复没有成功：") + loaded.failure)
                      + QStringLiteral("\n数据库 %1 没有改变。").arg(shown));

    try {
        restored.db = ShopDatabase::open(targetUri, ShopDatabase::IfMissing::Refuse);
        restored.rows = countRows(*restored.db);
    } catch (const DbError &e) {
        restored.db.reset();
        return refuse(QStringLiteral("数据已装入 %1，但它打不开成本程序的数据库：%2").arg(shown, engineMessage(e)));
    }
    for (const QString &table : shopTables()) {
        if (restored.rows.value(table) != inDump.rows.value(table)) {
            restored.db.reset();
            return refuse(QStringLiteral("数据已装入 %1，但行数与备份中的不同。\n备份中：%2\n数据库中：%3")
                              .arg(shown, describe(inDump.rows), describe(restored.rows)));
        }
    }
    restored.result = Result::success();
    return restored;
}

QString databaseName(const QString &uri)
{
    // postgresql://user@host:port/name?options; the name may also stand
    // among the options, and is the user's name when given nowhere.
    const qsizetype authority = uri.indexOf(QLatin1String("://"));
    QString rest = authority < 0 ? uri : uri.mid(authority + 3);
    const QString options = rest.section(QLatin1Char('?'), 1);
    rest = rest.section(QLatin1Char('?'), 0, 0);
    QString name = rest.section(QLatin1Char('/'), 1);
    for (const QString &item : options.split(QLatin1Char('&'))) {
        if (item.section(QLatin1Char('='), 0, 0) == QLatin1String("dbname"))
            name = item.section(QLatin1Char('='), 1);
    }
    if (name.isEmpty()) {
        const QString userInfo = rest.section(QLatin1Char('/'), 0, 0).section(QLatin1Char('@'), 0, -2);
        name = userInfo.section(QLatin1Char(':'), 0, 0);
    }
    name = QString::fromUtf8(QByteArray::fromPercentEncoding(name.toUtf8()));
    static const QRegularExpression unfit(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unfit, QStringLiteral("_"));
    if (name.startsWith(QLatin1Char('.')))
        name.replace(0, 1, QLatin1Char('_'));
    return name.isEmpty() ? QStringLiteral("server") : name;
}

} // namespace quollin::ServerBackup
