// Several tills on one shop server, timed on a throw-away cluster over its
// Unix socket, with 100,000 goods rows and 1,000,000 sale lines: one sale's
// commit through confirmSale beside the same transaction through bare libpq
// (alternately, in one process), the whole confirmation of the session, a
// keystroke of the live goods search on the rows held in memory, the time
// until another till's session has heard a sale, and sales per second of one
// till and of two together (child processes of this program).
//
//   bench_tills [--reps N] [--seconds S] [--fsync on|off] [--goods N] [--lines N]
//   bench_tills --till <URI> <seconds> <seed> spread|hot panel|desk   (a child)
//   bench_tills --listen <URI>                                (a child)
//
// Prints Markdown tables; see README.md.
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"
#include "Stats.h"

#include "core/Database.h"
#include "core/DateText.h"
#include "core/NumberText.h"
#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsCatalogue.h"
#include "sales/SaleTransaction.h"
#include "sales/SlipNumber.h"
#include "session/Shop.h"

#include <libpq-fe.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace quollin;

namespace {

// The sizes; --goods and --lines make them smaller for a quick try.
int goodsRows = 100000;
int saleLines = 1000000;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

[[noreturn]] void fail(const QString &what) { throw std::runtime_error(what.toStdString()); }

// ------------------------------------------------------------- the cluster

struct PgResult {
    PGresult *r;
    explicit PgResult(PGresult *result) : r(result) {}
    ~PgResult() { PQclear(r); }
};

void run(PGconn *c, const char *sql)
{
    PgResult r(PQexec(c, sql));
    if (PQresultStatus(r.r) != PGRES_COMMAND_OK && PQresultStatus(r.r) != PGRES_TUPLES_OK)
        fail(QStringLiteral("%1: %2").arg(QString::fromUtf8(sql), QString::fromUtf8(PQerrorMessage(c))));
}

// scripts/pg-test-cluster.sh's cluster in a folder of its own, stopped at the end.
class Cluster {
public:
    explicit Cluster(bool fsync)
    {
        if (!m_dir.isValid())
            fail(QStringLiteral("no temporary folder"));
        script(QStringLiteral("start"));
        QFile uri(m_dir.filePath(QStringLiteral("uri")));
        if (!uri.open(QIODevice::ReadOnly))
            fail(QStringLiteral("the cluster wrote no URI"));
        m_maintenance = QString::fromUtf8(uri.readAll()).trimmed();
        PGconn *c = PQconnectdb(m_maintenance.toUtf8().constData());
        if (PQstatus(c) != CONNECTION_OK)
            fail(QString::fromUtf8(PQerrorMessage(c)));
        // The test cluster runs without fsync; a shop's server runs with it.
        run(c, fsync ? "ALTER SYSTEM SET fsync = on" : "ALTER SYSTEM SET fsync = off");
        run(c, "SELECT pg_reload_conf()");
        run(c, "CREATE DATABASE bench TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'");
        PQfinish(c);
        m_uri = m_maintenance;
        m_uri.replace(QStringLiteral("/postgres?"), QStringLiteral("/bench?"));
    }
    ~Cluster() { script(QStringLiteral("stop")); }

    QString uri() const { return m_uri; }
    QString setting(const char *name) const
    {
        PGconn *c = PQconnectdb(m_uri.toUtf8().constData());
        const QByteArray sql = QByteArray("SHOW ") + name;
        PgResult r(PQexec(c, sql.constData()));
        const QString value = PQntuples(r.r) == 1 ? QString::fromUtf8(PQgetvalue(r.r, 0, 0)) : QString();
        PQfinish(c);
        return value;
    }

private:
    void script(const QString &action)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("bash"),
                {QStringLiteral(QUOLLIN_SOURCE_DIR "/scripts/pg-test-cluster.sh"), action, m_dir.path()});
        if (!p.waitForFinished(180000) || p.exitCode() != 0)
            std::fprintf(stderr, "bench_tills: the cluster's %s failed\n", qPrintable(action));
    }

    QTemporaryDir m_dir;
    QString m_maintenance, m_uri;
};

// 100,000 goods rows as the other benchmarks generate them (through our
// layer), 1,000,000 sale lines made by the server from them.
void fillShop(const QString &uri)
{
    std::unique_ptr<Database> db = ShopDatabase::open(uri, ShopDatabase::IfMissing::Create);
    QElapsedTimer clock;
    clock.start();
    generateGoods(*db, goodsRows, 20240305);
    const qint64 goods = clock.restart();
    // Bench data only: the sizes are this program's own numbers.
    db->execScript(QStringLiteral(
        "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
        "SELECT d.a, d.b, d.c, d.d, d.e, d.f, "
        "CASE WHEN s % 3 = 0 THEN '' ELSE '顾客' || (s % 4000) END, '', '', '', "
        "to_char(date '2023-01-01' + s / 1000, 'YYYYMMDD') || lpad((1 + (s % 1000) / 4)::text, 3, '0'), "
        "d.\"1\", d.\"4\", 1 + s % 3, d.\"4\" * (1 + s % 3), "
        "round(((d.\"4\" - d.\"1\") * (1 + s % 3))::numeric, 2)::float8, 0, "
        "to_char(date '2023-01-01' + s / 1000, 'YYYY-MM-DD'), d.day1, d.\"ID\" "
        "FROM generate_series(0, %1) AS s JOIN data d ON d.\"ID\" = 1 + (s::bigint * 7919) % %2")
                       .arg(saleLines - 1)
                       .arg(goodsRows));
    const qint64 lines = clock.restart();
    db->execScript(QStringLiteral("VACUUM ANALYZE"));
    std::printf("Generated %d goods rows in %.1f s, %d sale lines in %.1f s, vacuumed in %.1f s.\n", goodsRows,
                goods / 1e3, saleLines, lines / 1e3, clock.elapsed() / 1e3);
}


SaleInput saleOf(qint64 goodsId, bool back)
{
    SaleInput in;
    in.goodsId = goodsId;
    in.quantity = back ? QStringLiteral("-1") : QStringLiteral("1");
    in.price = QStringLiteral("12.5");
    in.arrears = QStringLiteral("0");
    in.saleDate = DateText::today();
    in.slipNumber = SlipNumber(QDate::currentDate(), 1);
    in.customer = QStringLiteral("王伟超市");
    in.address = QStringLiteral("东城区12号");
    in.phone = QStringLiteral("13800000000");
    return in;
}

// ------------------------------------------------------- the bare sale

// What confirmSale does on a server, written against libpq with the
// statements prepared once: the same row lock, row read, update and insert,
// the new line's ID, and one commit.
class BareSale {
public:
    explicit BareSale(const QString &uri) : m_c(PQconnectdb(uri.toUtf8().constData()))
    {
        if (PQstatus(m_c) != CONNECTION_OK)
            fail(QString::fromUtf8(PQerrorMessage(m_c)));
        prepare("row", "SELECT a,b,c,d,e,f,\"1\",\"5\",\"6\",\"7\",day1 FROM data WHERE \"ID\"=$1 FOR UPDATE");
        prepare("update", "UPDATE data SET \"5\"=$1,\"6\"=$2,\"7\"=$3,\"8\"=$4 WHERE \"ID\"=$5");
        prepare("insert",
                "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
                "VALUES ($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11,$12,$13,$14,$15,$16,$17,$18,$19,$20)");
        prepare("last", "SELECT lastval()");
    }
    ~BareSale() { PQfinish(m_c); }

    void sell(qint64 id, double q, double p)
    {
        run(m_c, "BEGIN");
        const QByteArray idText = QByteArray::number(id);
        PgResult row(exec("row", {idText.constData()}));
        if (PQntuples(row.r) != 1)
            fail(QStringLiteral("no goods row %1").arg(id));
        auto number = [&row](int column) { return std::strtod(PQgetvalue(row.r, 0, column), nullptr); };
        const double c = number(6), sold = number(7), amount = number(8), stock = number(9);
        const QByteArray n5 = QByteArray::number(sold + q, 'g', 17), n6 = QByteArray::number(amount + p * q, 'g', 17),
                         n7 = QByteArray::number(stock - q, 'g', 17), n8 = QByteArray::number((stock - q) * c, 'g', 17);
        PQclear(exec("update", {n5.constData(), n6.constData(), n7.constData(), n8.constData(), idText.constData()}));
        const QByteArray qText = QByteArray::number(q), pText = QByteArray::number(p),
                         line = QByteArray::number(p * q, 'g', 17), profit = QByteArray::number((p - c) * q, 'g', 17),
                         today = DateText::today().toUtf8(), slip = SlipNumber(QDate::currentDate(), 1).toUtf8();
        PQclear(exec("insert", {PQgetvalue(row.r, 0, 0), PQgetvalue(row.r, 0, 1), PQgetvalue(row.r, 0, 2),
                                PQgetvalue(row.r, 0, 3), PQgetvalue(row.r, 0, 4), PQgetvalue(row.r, 0, 5),
                                "王伟超市", "东城区12号", "13800000000", "", slip.constData(),
                                PQgetvalue(row.r, 0, 6), pText.constData(), qText.constData(), line.constData(),
                                profit.constData(), "0", today.constData(), PQgetvalue(row.r, 0, 10),
                                idText.constData()}));
        PQclear(exec("last", {}));
        run(m_c, "COMMIT");
    }

private:
    void prepare(const char *name, const char *sql)
    {
        PgResult r(PQprepare(m_c, name, sql, 0, nullptr));
        if (PQresultStatus(r.r) != PGRES_COMMAND_OK)
            fail(QString::fromUtf8(PQerrorMessage(m_c)));
    }
    PGresult *exec(const char *name, std::initializer_list<const char *> values)
    {
        std::vector<const char *> v(values);
        PGresult *r = PQexecPrepared(m_c, name, int(v.size()), v.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK) {
            const QString error = QString::fromUtf8(PQerrorMessage(m_c));
            PQclear(r);
            fail(error);
        }
        return r;
    }

    PGconn *m_c;
};

// ------------------------------------------------------------- a session

// A till's session as the main window holds it: signed in, the goods rows
// held in memory and kept by the change stream, as the goods list keeps them.
struct Till {
    Till(const QString &uri, const QString &settingsPath)
        : settings(settingsPath), shop(ShopDatabase::open(uri), settings), held(shop)
    {
        if (!shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok)
            fail(QStringLiteral("sign-in refused"));
        QElapsedTimer clock;
        clock.start();
        held.load();
        loadMs = double(clock.nsecsElapsed()) / 1e6;
        QObject::connect(&shop, &ShopContext::changed, &shop, [this](const ChangeSet &c) {
            // Another till's change comes without the sale, which stays its own.
            if (!c.sale)
                heardNs = monotonicNs();
            held.apply(c.goods);
            if (!c.sale)
                ++heard;
        });
    }
    // The sale panel's confirmation: the number handed out, the sale (with
    // the held row read again), the slip moved on and stored. parts, when
    // given, gets the milliseconds of the three.
    SaleResult sell(const SaleInput &base, double *parts = nullptr)
    {
        QElapsedTimer clock;
        clock.start();
        const QDate today = QDate::currentDate();
        shop.currentSlip().prepareForSale(today);
        SaleInput in = base;
        in.slipNumber = shop.currentSlip().serial().number(today);
        in.opensSlip = shop.currentSlip().serial().isNew();
        const double prepared = double(clock.nsecsElapsed()) / 1e6;
        confirmNs = monotonicNs();
        const SaleResult r = shop.sales().confirm(in);
        if (r.ok)
            shop.currentSlip().serial().soldOn(SlipSerialOf(r.slipNumber, today).value_or(0));
        const double confirmed = double(clock.nsecsElapsed()) / 1e6;
        shop.currentSlip().store();
        if (parts) {
            parts[0] = prepared;
            parts[1] = confirmed - prepared;
            parts[2] = double(clock.nsecsElapsed()) / 1e6 - confirmed;
        }
        return r;
    }

    SettingsStore settings;
    Shop shop;
    GoodsCatalogue held;
    double loadMs = 0;
    // Other tills' changes heard, and when the last came (monotonicNs).
    int heard = 0;
    qint64 heardNs = 0;
    // When the last sale's SaleDesk::confirm was called.
    qint64 confirmNs = 0;
};

struct Row {
    QString what;
    std::vector<double> wall, cpu;
    QString note;
};

void printRows(const QString &heading, const std::vector<Row> &rows)
{
    std::printf("\n%s\n\n| What | n | median | 90th percentile | CPU of this process, median | Note |\n"
                "|---|---:|---:|---:|---:|---|\n",
                qPrintable(heading));
    for (const Row &r : rows)
        std::printf("| %s | %zu | %.3f ms | %.3f ms | %s | %s |\n", qPrintable(r.what), r.wall.size(),
                    median(r.wall), percentile(r.wall, 0.9),
                    r.cpu.empty() ? "" : qPrintable(QString::number(median(r.cpu), 'f', 3) + QStringLiteral(" ms")),
                    qPrintable(r.note));
    std::fflush(stdout);
}

// ------------------------------------------------------------- the parts

void commitAgainstBare(const QString &uri, const std::vector<qint64> &goods, int reps)
{
    std::unique_ptr<Database> db = ShopDatabase::open(uri);
    BareSale bare(uri);
    Row ours{QStringLiteral("confirmSale: one sale's transaction through our layer"), {}, {}, {}};
    Row theirs{QStringLiteral("the same transaction through bare libpq, statements prepared once"), {}, {}, {}};
    size_t next = 0;
    for (int i = -20; i < reps; ++i) { // 20 rounds to warm up
        for (int turn = 0; turn < 2; ++turn) {
            // Which goes first changes every round; each sells one of a row
            // and takes it back in the next round.
            const bool oursNow = (turn == 0) == (i % 2 == 0);
            const qint64 id = goods[(next / 2) % goods.size()];
            const bool back = next % 2 == 1;
            ++next;
            QElapsedTimer clock;
            const double cpu = cpuMs();
            clock.start();
            if (oursNow) {
                const SaleResult r = confirmSale(*db, saleOf(id, back));
                if (!r.ok)
                    fail(r.message);
            } else {
                bare.sell(id, back ? -1 : 1, 12.5);
            }
            const double wall = double(clock.nsecsElapsed()) / 1e6, used = cpuMs() - cpu;
            if (i < 0)
                continue;
            Row &row = oursNow ? ours : theirs;
            row.wall.push_back(wall);
            row.cpu.push_back(used);
        }
    }
    ours.note = QStringLiteral("ours / bare, medians: %1 (CPU %2)")
                    .arg(median(ours.wall) / median(theirs.wall), 0, 'f', 2)
                    .arg(median(ours.cpu) / median(theirs.cpu), 0, 'f', 2);
    printRows(QStringLiteral("### One sale's commit, alternately"), {ours, theirs});
}

// A child: an idle till that hears the others with its event loop running,
// as an idle main window does. For each change heard it writes when
// changed() came and when its held rows had read the row again
// (CLOCK_MONOTONIC, which every process on the machine shares).
int childListener(const QStringList &args)
{
    QTemporaryDir folder;
    Till till(args.value(2), folder.filePath(QStringLiteral("till.ini")));
    // Connected after the held rows' own slot: runs once they are read again.
    QObject::connect(&till.shop, &ShopContext::changed, &till.shop, [&till](const ChangeSet &c) {
        if (!c.sale) {
            std::printf("heard %lld %lld\n", static_cast<long long>(till.heardNs),
                        static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

void sessionFigures(const QString &uri, const std::vector<qint64> &goods, int reps, const QString &folder)
{
    Till a(uri, folder + QStringLiteral("/a.ini"));
    std::vector<Row> rows;
    rows.push_back({QStringLiteral("the goods rows read into memory at sign-in (GoodsCatalogue::load)"), {a.loadMs}, {},
                    QStringLiteral("%1 rows").arg(a.held.liveCount())});

    // The live search: "k" in the name box, then "kf", over the held rows.
    for (const QString &typed : {QStringLiteral("k"), QStringLiteral("kf")}) {
        GoodsSearch search;
        search.nameInitials = typed;
        Row key{QStringLiteral("keystroke: \"%1\" in the name box, the held rows filtered").arg(typed), {}, {}, {}};
        size_t found = 0;
        for (int i = 0; i < reps; ++i) {
            QElapsedTimer clock;
            const double cpu = cpuMs();
            clock.start();
            found = a.held.searchRows(ZeroStock::Hidden, search).size();
            key.wall.push_back(double(clock.nsecsElapsed()) / 1e6);
            key.cpu.push_back(cpuMs() - cpu);
        }
        key.note = QStringLiteral("%1 rows found").arg(found);
        rows.push_back(key);
    }

    QProcess listener;
    listener.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listener.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--listen"), uri});
    if (!listener.waitForReadyRead(60000) || !listener.readLine().startsWith("ready"))
        fail(QStringLiteral("the listening till did not start"));

    // The whole confirmation on till A, and the idle till hearing it.
    qint64 committedNs = 0;
    QObject::connect(&a.shop, &ShopContext::changed, &a.shop, [&committedNs](const ChangeSet &c) {
        if (c.sale)
            committedNs = monotonicNs();
    });
    Row confirm{QStringLiteral("the whole confirmation on till A, as the sale panel makes it"), {}, {}, {}};
    Row next{QStringLiteral("… before it, every fifth sale: a new slip's number from the server's counter "
                            "(CurrentSlip::next)"),
             {}, {}, {}};
    Row prepare{QStringLiteral("… of it: the slip number handed out (CurrentSlip::prepareForSale)"), {}, {}, {}};
    Row desk{QStringLiteral("… of it: the sale, with till A's own held row read again (SaleDesk::confirm)"), {}, {}, {}};
    Row store{QStringLiteral("… of it: the serial written to the settings (CurrentSlip::store)"), {}, {}, {}};
    Row begun{QStringLiteral("till A's sale heard by an idle till (another process): SaleDesk::confirm called on A → "
                             "the idle till's changed()"),
              {}, {}, {}};
    Row heard{QStringLiteral("… A's commit returned (A's changed()) → the idle till's changed()"), {}, {}, {}};
    Row applied{QStringLiteral("… A's commit returned → the idle till's held row read again"), {}, {}, {}};
    for (int i = -10; i < reps; ++i) {
        const qint64 id = goods[(goods.size() / 2 + size_t(i + 10) / 2) % goods.size()];
        if (i % 5 == 0) {
            QElapsedTimer clock;
            clock.start();
            a.shop.currentSlip().next(QDate::currentDate());
            if (i >= 0)
                next.wall.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        double parts[3];
        QElapsedTimer clock;
        const double cpu = cpuMs();
        clock.start();
        const SaleResult r = a.sell(saleOf(id, (i + 10) % 2 != 0), parts);
        if (!r.ok)
            fail(r.message);
        const double confirmMs = double(clock.nsecsElapsed()) / 1e6, used = cpuMs() - cpu;
        QByteArray line;
        while (!line.endsWith('\n')) {
            if (!listener.waitForReadyRead(5000))
                fail(QStringLiteral("the idle till never heard the sale"));
            line += listener.readLine();
        }
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (i < 0)
            continue;
        confirm.wall.push_back(confirmMs);
        confirm.cpu.push_back(used);
        prepare.wall.push_back(parts[0]);
        desk.wall.push_back(parts[1]);
        store.wall.push_back(parts[2]);
        begun.wall.push_back(double(words.value(1).toLongLong() - a.confirmNs) / 1e6);
        heard.wall.push_back(double(words.value(1).toLongLong() - committedNs) / 1e6);
        applied.wall.push_back(double(words.value(2).toLongLong() - committedNs) / 1e6);
    }
    listener.kill();
    listener.waitForFinished(5000);
    for (Row *row : {&confirm, &next, &prepare, &desk, &store, &begun, &heard, &applied})
        rows.push_back(*row);
    printRows(QStringLiteral("### One till's session, and another till's"), rows);
}

// A child: one till selling for a number of seconds once told to start;
// writes its count. "hot" sells from three rows only, which every till
// shares; "spread" from the rows with stock, in an order of its own.
// "panel" confirms as the sale panel does (Till::sell), "desk" calls
// SaleDesk::confirm alone, without the slip number's steps and the
// settings write.
int childTill(const QStringList &args)
{
    const QString uri = args.value(2);
    const int seconds = args.value(3).toInt();
    const quint32 seed = args.value(4).toUInt();
    const bool hot = args.value(5) == QLatin1String("hot");
    const bool panel = args.value(6) != QLatin1String("desk");
    QTemporaryDir folder;
    Till till(uri, folder.filePath(QStringLiteral("till.ini")));
    std::vector<qint64> goods = goodsWithStock(till.shop.db(), SIZE_MAX);
    if (hot)
        goods.resize(3);
    QRandomGenerator random(seed);
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;
    QElapsedTimer clock;
    const double cpu = cpuMs();
    clock.start();
    long sales = 0, failures = 0;
    while (clock.elapsed() < seconds * 1000) {
        const qint64 id = goods[random.bounded(quint32(goods.size()))];
        // Each sale taken back at once, so no row runs out.
        for (bool back : {false, true}) {
            if ((panel ? till.sell(saleOf(id, back)) : till.shop.sales().confirm(saleOf(id, back))).ok)
                ++sales;
            else
                ++failures;
        }
        // The others' sales reach the held rows between the operator's.
        QCoreApplication::processEvents();
    }
    std::printf("%ld %lld %.0f %ld %d\n", sales, clock.elapsed(), cpuMs() - cpu, failures, till.heard);
    return 0;
}

void salesPerSecond(const QString &uri, int seconds)
{
    std::printf("\n### Sales per second (each sale followed by its return, both counted)\n\n"
                "| Tills | Confirmed by | Rows sold from | Sales per second, each till | Together | "
                "CPU of each till process | Refused | Times each heard the other |\n"
                "|---|---|---|---|---:|---|---:|---|\n");
    struct Case {
        int tills;
        const char *rows;
        const char *how;
    };
    for (const Case &c : {Case{1, "spread", "panel"}, Case{2, "spread", "panel"}, Case{2, "hot", "panel"},
                          Case{1, "spread", "desk"}, Case{2, "spread", "desk"}, Case{2, "hot", "desk"}}) {
        std::vector<std::unique_ptr<QProcess>> children;
        for (int n = 0; n < c.tills; ++n) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--till"), uri, QString::number(seconds), QString::number(n + 1),
                      QString::fromLatin1(c.rows), QString::fromLatin1(c.how)});
            if (!p->waitForReadyRead(60000) || !p->readLine().startsWith("ready"))
                fail(QStringLiteral("a till did not start"));
            children.push_back(std::move(p));
        }
        // Written out at once: QProcess keeps what is written until asked.
        for (auto &p : children) {
            p->write("go\n");
            p->waitForBytesWritten(10000);
        }
        QStringList each, cpu, heard;
        double total = 0;
        long refused = 0;
        for (auto &p : children) {
            if (!p->waitForFinished(seconds * 1000 + 60000))
                fail(QStringLiteral("a till did not finish"));
            const QList<QByteArray> words = p->readAll().trimmed().split(' ');
            const double rate = words.value(0).toDouble() / (words.value(1).toDouble() / 1e3);
            total += rate;
            each << QString::number(rate, 'f', 0);
            cpu << QStringLiteral("%1 %").arg(100 * words.value(2).toDouble() / words.value(1).toDouble(), 0, 'f', 0);
            refused += words.value(3).toLong();
            heard << QString::fromLatin1(words.value(4));
        }
        std::printf("| %d | %s | %s | %s | %.0f | %s | %ld | %s |\n", c.tills,
                    qstrcmp(c.how, "panel") == 0 ? "the sale panel's steps" : "SaleDesk::confirm alone",
                    qstrcmp(c.rows, "hot") == 0 ? "the same 3 rows" : "rows with stock, at random",
                    qPrintable(each.join(QStringLiteral(", "))), total, qPrintable(cpu.join(QStringLiteral(", "))),
                    refused, qPrintable(heard.join(QStringLiteral(", "))));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.value(1) == QLatin1String("--till"))
            return childTill(args);
        if (args.value(1) == QLatin1String("--listen"))
            return childListener(args);
        int reps = 200, seconds = 10;
        bool fsync = true;
        for (int i = 1; i + 1 < args.size(); i += 2) {
            if (args[i] == QLatin1String("--reps"))
                reps = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--seconds"))
                seconds = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--goods"))
                goodsRows = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--lines"))
                saleLines = args[i + 1].toInt();
            else if (args[i] == QLatin1String("--fsync"))
                fsync = args[i + 1] == QLatin1String("on");
            else
                fail(QStringLiteral("unknown option ") + args[i]);
        }
        Cluster cluster(fsync);
        std::printf("PostgreSQL over its Unix socket: fsync = %s, synchronous_commit = %s, shared_buffers = %s.\n",
                    qPrintable(cluster.setting("fsync")), qPrintable(cluster.setting("synchronous_commit")),
                    qPrintable(cluster.setting("shared_buffers")));
        fillShop(cluster.uri());
        QTemporaryDir folder;
        std::vector<qint64> goods;
        {
            std::unique_ptr<Database> db = ShopDatabase::open(cluster.uri());
            goods = goodsWithStock(*db, SIZE_MAX);
        }
        commitAgainstBare(cluster.uri(), goods, reps);
        sessionFigures(cluster.uri(), goods, reps, folder.path());
        salesPerSecond(cluster.uri(), seconds);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_tills: %s\n", e.what());
        return 1;
    }
    return 0;
}
