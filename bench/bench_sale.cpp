// The commit of one sale through confirmSale beside the same transaction
// through the bare engine, and the reads a confirmation's refreshes make, on
// a generated file of 100,000 goods rows and 1,000,000 sale lines.
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"

#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "sales/SaleTransaction.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <malloc.h>
#include <time.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace quollin;

namespace {

constexpr int kGoods = 100000;
constexpr int kLines = 1000000;

struct Shop {
    std::unique_ptr<Database> db;
    // Goods rows with stock left, in a fixed random order: the sales walk
    // through them, each sold once and returned at once.
    std::vector<qint64> goods;
    QString slip;      // the slip number of a slip in the middle of the file
    QString customer;  // a regular customer of that time
    // The number of sales and returns made so far, over all cases and runs.
    qint64 sales = 0;
};

// Copied once per run from the benchmarks' cache into a folder removed at the end.
Shop &shop()
{
    static QTemporaryDir dir;
    static Shop s;
    if (!s.db) {
        const QString path = dir.filePath(QStringLiteral("sale.db"));
        copyCachedShopFile(path, kGoods, kLines, threeYearsToThisMonth());
        // Give the generation's cache back, so that the memory figures show
        // the program's own connection, opened as the program opens it.
        malloc_trim(0);
        s.db = ShopDatabase::open(path);
        // QUOLLIN_BENCH_CACHE_KIB tries another page cache size than the
        // program's, to weigh memory against these reads.
        if (const int kib = qEnvironmentVariableIntValue("QUOLLIN_BENCH_CACHE_KIB"); kib > 0)
            s.db->execScript(QStringLiteral("PRAGMA cache_size=-%1").arg(kib));

        s.goods = goodsWithStock(*s.db, 1000);

        Statement middle = s.db->prepare(QStringLiteral("SELECT z FROM data1 WHERE ID=:id"));
        middle.bind(":id", qint64(kLines / 2)).next();
        s.slip = middle.text(0);
        Statement regular = s.db->prepare(QStringLiteral(
            "SELECT g FROM data1 WHERE ID>=:id AND g<>'' ORDER BY ID LIMIT 1"));
        regular.bind(":id", qint64(kLines / 2)).next();
        s.customer = regular.text(0);
    }
    return s;
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Sale i sells one of goods row i/2 when i is even and takes it back when i
// is odd. The count goes on across runs and cases, so no row is ever sold
// twice without a return between and the stock never runs out.
qint64 goodsFor(const Shop &s, qint64 i) { return s.goods[size_t(i / 2) % s.goods.size()]; }
double quantityFor(qint64 i) { return i % 2 == 0 ? 1.0 : -1.0; }

void BM_ConfirmSale(benchmark::State &state)
{
    Shop &s = shop();
    SaleInput in;
    in.price = QStringLiteral("12.5");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2025-01-02");
    in.slipNumber = QStringLiteral("20250102001");
    in.customer = QStringLiteral("王伟超市");
    in.address = QStringLiteral("东城区12号");
    in.phone = QStringLiteral("13800000000");
    for (auto _ : state) {
        in.goodsId = goodsFor(s, s.sales);
        in.quantity = quantityFor(s.sales) > 0 ? QStringLiteral("1") : QStringLiteral("-1");
        const SaleResult r = confirmSale(*s.db, in);
        if (!r.ok) {
            state.SkipWithError(r.message.toUtf8().constData());
            break;
        }
        ++s.sales;
    }
    state.counters["rss_MiB"] = residentMiB();
}

// What confirmSale does, written against the engine with the statements
// prepared once: the same connection (key, cache, WAL, synchronous FULL),
// the same lock, row read, update and insert, and one commit.
class BareSale {
public:
    explicit BareSale(sqlite3 *db) : m_db(db)
    {
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_select = prepare("SELECT a,b,c,d,e,f,\"1\",\"5\",\"6\",\"7\",day1 FROM data WHERE ID=?");
        m_update = prepare("UPDATE data SET \"5\"=?,\"6\"=?,\"7\"=?,\"8\"=? WHERE ID=?");
        m_insert = prepare(
            "INSERT INTO data1 (a,b,c,d,e,f,g,h,i,j,z,\"1\",\"2\",\"3\",\"4\",a5,\"6\",day1,day2,goods_id) "
            "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    }
    ~BareSale()
    {
        for (sqlite3_stmt *stmt : {m_begin, m_commit, m_select, m_update, m_insert})
            sqlite3_finalize(stmt);
    }

    bool sell(qint64 id, double q, double p)
    {
        if (!done(m_begin))
            return false;
        sqlite3_bind_int64(m_select, 1, id);
        if (sqlite3_step(m_select) != SQLITE_ROW) {
            sqlite3_reset(m_select);
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        std::string text[6];
        for (int c = 0; c < 6; ++c)
            text[c] = columnText(c);
        const double c = sqlite3_column_double(m_select, 6);
        const double sold = sqlite3_column_double(m_select, 7);
        const double amount = sqlite3_column_double(m_select, 8);
        const double stock = sqlite3_column_double(m_select, 9);
        const std::string day2 = columnText(10);
        sqlite3_reset(m_select);

        sqlite3_bind_double(m_update, 1, sold + q);
        sqlite3_bind_double(m_update, 2, amount + p * q);
        sqlite3_bind_double(m_update, 3, stock - q);
        sqlite3_bind_double(m_update, 4, (stock - q) * c);
        sqlite3_bind_int64(m_update, 5, id);
        if (!done(m_update))
            return rollback();

        for (int col = 0; col < 6; ++col)
            sqlite3_bind_text(m_insert, col + 1, text[col].c_str(), int(text[col].size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(m_insert, 7, "王伟超市", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 8, "东城区12号", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 9, "13800000000", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 10, "", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 11, "20250102001", -1, SQLITE_STATIC);
        sqlite3_bind_double(m_insert, 12, c);
        sqlite3_bind_double(m_insert, 13, p);
        sqlite3_bind_double(m_insert, 14, q);
        sqlite3_bind_double(m_insert, 15, p * q);
        sqlite3_bind_double(m_insert, 16, (p - c) * q);
        sqlite3_bind_double(m_insert, 17, 0.0);
        sqlite3_bind_text(m_insert, 18, "2025-01-02", -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 19, day2.c_str(), int(day2.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(m_insert, 20, id);
        if (!done(m_insert))
            return rollback();
        return done(m_commit) || rollback();
    }

private:
    sqlite3_stmt *prepare(const char *sql)
    {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw DbError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return stmt;
    }
    std::string columnText(int column) const
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_select, column));
        return text ? std::string(text, size_t(sqlite3_column_bytes(m_select, column))) : std::string();
    }
    static bool done(sqlite3_stmt *stmt)
    {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        return rc == SQLITE_DONE;
    }
    bool rollback()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_begin, *m_commit, *m_select, *m_update, *m_insert;
};

void BM_ConfirmSale_Bare(benchmark::State &state)
{
    Shop &s = shop();
    BareSale bare(s.db->handle());
    for (auto _ : state) {
        if (!bare.sell(goodsFor(s, s.sales), quantityFor(s.sales), 12.5)) {
            state.SkipWithError(sqlite3_errmsg(s.db->handle()));
            break;
        }
        ++s.sales;
    }
    state.counters["rss_MiB"] = residentMiB();
}

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Ours and the bare transaction in turns, which goes first changing each
// time, so that the other work on a shared machine weighs on both alike.
// Wall time waits for the disk's flush, alike for both; the processor time
// of the thread is what our layer adds.
void BM_ConfirmSale_Turns(benchmark::State &state)
{
    Shop &s = shop();
    BareSale bare(s.db->handle());
    SaleInput in;
    in.price = QStringLiteral("12.5");
    in.arrears = QStringLiteral("0");
    in.saleDate = QStringLiteral("2025-01-02");
    in.slipNumber = QStringLiteral("20250102001");
    in.customer = QStringLiteral("王伟超市");
    in.address = QStringLiteral("东城区12号");
    in.phone = QStringLiteral("13800000000");
    qint64 oursNs = 0, bareNs = 0, oursCpu = 0, bareCpu = 0;
    bool oursFirst = true;
    QElapsedTimer clock;
    for (auto _ : state) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool ours = (turn == 0) == oursFirst;
            const qint64 cpu = threadCpuNs();
            clock.start();
            bool ok;
            if (ours) {
                in.goodsId = goodsFor(s, s.sales);
                in.quantity = quantityFor(s.sales) > 0 ? QStringLiteral("1") : QStringLiteral("-1");
                ok = confirmSale(*s.db, in).ok;
                oursNs += clock.nsecsElapsed();
                oursCpu += threadCpuNs() - cpu;
            } else {
                ok = bare.sell(goodsFor(s, s.sales), quantityFor(s.sales), 12.5);
                bareNs += clock.nsecsElapsed();
                bareCpu += threadCpuNs() - cpu;
            }
            if (!ok) {
                state.SkipWithError("sale refused");
                return;
            }
            ++s.sales;
        }
        oursFirst = !oursFirst;
    }
    const double n = double(state.iterations());
    state.counters["ours_us"] = double(oursNs) / n / 1000.0;
    state.counters["bare_us"] = double(bareNs) / n / 1000.0;
    state.counters["ratio"] = double(oursNs) / double(bareNs);
    state.counters["ours_cpu_us"] = double(oursCpu) / n / 1000.0;
    state.counters["bare_cpu_us"] = double(bareCpu) / n / 1000.0;
    state.counters["cpu_ratio"] = double(oursCpu) / double(bareCpu);
}

// A read as a refresh makes it: prepared, run, every column of every row
// taken as text.
qint64 readAll(Database &db, const QString &sql, const QString &value = {})
{
    Statement s = db.prepare(sql);
    if (!value.isNull())
        s.bind(1, value);
    qint64 rows = 0;
    const int columns = s.columnCount();
    while (s.next()) {
        for (int c = 0; c < columns; ++c) {
            QString text = s.text(c);
            benchmark::DoNotOptimize(text);
        }
        ++rows;
    }
    return rows;
}

void runRead(benchmark::State &state, const QString &sql, const QString &value)
{
    Database &db = *shop().db;
    qint64 rows = 0;
    for (auto _ : state)
        rows = readAll(db, sql, value);
    state.counters["rows"] = double(rows);
    state.counters["rss_MiB"] = residentMiB();
}

// The slip panel's lines of one slip.
void BM_SlipLines(benchmark::State &state)
{
    runRead(state, QStringLiteral("select * from data1 where z = ?"), shop().slip);
}

// The customer box's drop-down list.
void BM_DistinctCustomers(benchmark::State &state)
{
    runRead(state, QStringLiteral("select g from data1 group by g"), QString());
}

// The same list as the sale panel reads it (DistinctValues), each run on a
// connection opened afresh: cold, as at sign-in.
void BM_CustomersList(benchmark::State &state)
{
    const QString path = QString::fromUtf8(sqlite3_db_filename(shop().db->handle(), "main"));
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = ShopDatabase::open(path);
        state.ResumeTiming();
        rows = DistinctValues(*db, QStringLiteral("g"), QStringLiteral("data1")).size();
    }
    state.counters["rows"] = double(rows);
}

// Address and phone of a known customer.
void BM_CustomerLookup(benchmark::State &state)
{
    runRead(state, QStringLiteral("select h,i from data1 where g=? group by h,i"), shop().customer);
}

} // namespace

// Wall time: a commit waits for the disk, not for the processor.
BENCHMARK(BM_ConfirmSale)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ConfirmSale_Bare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ConfirmSale_Turns)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(4.0);
BENCHMARK(BM_SlipLines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DistinctCustomers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CustomersList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CustomerLookup)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
