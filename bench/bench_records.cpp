// The sales records window's reads and the deletion of a sale line, each
// beside the bare engine doing the same, on a generated file of 100,000 goods
// rows and 1,000,000 sale lines dated over the three years up to the end of
// this month (the window opens on today's month and year).
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"

#include "core/Database.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "records/SaleLineGrid.h"
#include "records/SaleLineQuery.h"
#include "records/Txstj.h"
#include "widgets/MessageBoxPrompter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <memory>

using namespace quollin;

namespace {

struct Books {
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Shop> shop;
    MessageBoxPrompter prompter;
    std::unique_ptr<Txstj> window;
    qint64 nextLine = 1; // deletions walk up the table
};

// --without-new-indexes: the window over a file of the earlier layout (the
// sums and category indexes dropped on the open connection), for a
// before/after figure.
bool withoutNewIndexes = false;

Books &books()
{
    static Books b;
    if (!b.shop) {
        const QString path = b.dir.filePath(QStringLiteral("records.db"));
        generateShopFile(path, 100000, 1000000, threeYearsToThisMonth());
        b.settings = std::make_unique<SettingsStore>(b.dir.filePath(QStringLiteral("jxc.conf")));
        b.shop = std::make_unique<Shop>(ShopDatabase::open(path), *b.settings);
        b.shop->signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
        if (withoutNewIndexes)
            b.shop->db().execScript(QStringLiteral("DROP INDEX data1_day1_sums; DROP INDEX data1_d"));
    }
    return b;
}

// The window's own month: the last of the generated dates.
const QDate kMonth = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1);

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// A "VmRSS" or "VmHWM" line of /proc/self/status, in MiB.
double statusMiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const int length = int(qstrlen(key));
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(length).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Opening the window as the operator waits for it: the profit charts of this
// year and this month, "本 月" read into the grid, the lists refilled, and
// the repaint. The first opening in the process (registered first, so the
// file's pages are not yet cached) is printed as the cold figure.
void BM_OpenWindow(benchmark::State &state)
{
    Books &b = books();
    if (!b.window) {
        b.window = std::make_unique<Txstj>(*b.shop, b.prompter);
        b.window->resize(1000, 640);
    }
    static bool cold = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        b.window->show();
        QCoreApplication::processEvents();
        const auto took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        if (cold) {
            std::fprintf(stderr, "first opening (cold): %.1f ms, %d rows\n", milliseconds(took), b.window->rowCount());
            cold = false;
        }
        state.PauseTiming();
        b.window->reject();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// One keystroke in a live search box of the open window, and the backspace
// that empties the box again, each with its repaint: 0 "王" in "客户名称：",
// 1 "k" in "商品名称：". The first keystroke of a box also reads that
// column's distinct values; it is printed apart.
void BM_Keystroke(benchmark::State &state)
{
    Books &b = books();
    if (!b.window) {
        b.window = std::make_unique<Txstj>(*b.shop, b.prompter);
        b.window->resize(1000, 640);
    }
    b.window->show();
    QCoreApplication::processEvents();
    const bool customer = state.range(0) == 0;
    QLineEdit *box = b.window->findChild<QLineEdit *>(customer ? QStringLiteral("recordsCustomer") : QStringLiteral("recordsName"));
    const QString typed = customer ? QStringLiteral("王") : QStringLiteral("k");
    std::chrono::steady_clock::duration typing{}, emptying{};
    bool first = true;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        box->setText(typed);
        QCoreApplication::processEvents();
        const auto took = std::chrono::steady_clock::now() - start;
        if (first)
            std::fprintf(stderr, "first keystroke (values read): %.1f ms, %d rows\n", milliseconds(took), b.window->rowCount());
        first = false;
        typing += took;
        start = std::chrono::steady_clock::now();
        box->clear();
        QCoreApplication::processEvents();
        const auto emptied = std::chrono::steady_clock::now() - start;
        emptying += emptied;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        state.counters["rows"] = double(b.window->rowCount());
    }
    const double n = double(state.iterations());
    state.counters["keystroke_ms"] = milliseconds(typing) / n;
    state.counters["backspace_ms"] = milliseconds(emptying) / n;
    b.window->reject();
    QCoreApplication::processEvents();
}

BoundQuery caseQuery(int which)
{
    switch (which) {
    case 0:
        return SaleLineQuery::month(kMonth);
    case 1: {
        SaleLineSearch s;
        s.nameInitials = QStringLiteral("ks");
        return SaleLineQuery::condition(SaleLineQuery::Sign::Sales, s);
    }
    default:
        return SaleLineQuery::all();
    }
}

void BM_GridRead(benchmark::State &state)
{
    Shop &shop = *books().shop;
    const BoundQuery query = caseQuery(int(state.range(0)));
    const std::vector<GridColumn> columns = SaleLineGrid::columns();
    qint64 rows = 0;
    for (auto _ : state) {
        GridRows cells(columns);
        shop.saleLines().fillRows(query, cells);
        cells.finishLoad();
        rows = cells.rowCount();
        benchmark::DoNotOptimize(cells.rowCount());
    }
    state.counters["rows"] = double(rows);
}

// The same statement stepped through the C API, reading the same columns
// (texts as UTF-8 pointers, numbers as doubles) and keeping nothing.
void BM_GridReadBare(benchmark::State &state)
{
    sqlite3 *db = books().shop->db().handle();
    const BoundQuery query = caseQuery(int(state.range(0)));
    const QByteArray sql = query.sql.toUtf8();
    const std::vector<GridColumn> columns = SaleLineGrid::columns();
    for (auto _ : state) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        for (const auto &[name, value] : query.values) {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(stmt, sqlite3_bind_parameter_index(stmt, name.constData()), text.constData(),
                              int(text.size()), SQLITE_TRANSIENT);
        }
        std::vector<int> at;
        for (const GridColumn &c : columns)
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                if (c.field == QLatin1String(sqlite3_column_name(stmt, i)))
                    at.push_back(i);
        double sum = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            sum += double(sqlite3_column_int64(stmt, 0));
            for (size_t c = 0; c < columns.size(); ++c) {
                if (isNumeric(columns[c].kind))
                    sum += sqlite3_column_double(stmt, at[c]);
                else
                    benchmark::DoNotOptimize(sqlite3_column_text(stmt, at[c]));
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ProfitCharts(benchmark::State &state)
{
    SalesStatistics &stats = books().shop->statistics();
    for (auto _ : state) {
        benchmark::DoNotOptimize(stats.byMonth(StatValue::Profit, kMonth.year()).size());
        benchmark::DoNotOptimize(stats.byDay(StatValue::Profit, kMonth.year(), kMonth.month()).size());
    }
}

// Each chart's query alone: 0 by month of this year, 1 by day of this month.
void BM_ChartQuery(benchmark::State &state)
{
    SalesStatistics &stats = books().shop->statistics();
    for (auto _ : state) {
        if (state.range(0) == 0)
            benchmark::DoNotOptimize(stats.byMonth(StatValue::Profit, kMonth.year()).size());
        else
            benchmark::DoNotOptimize(stats.byDay(StatValue::Profit, kMonth.year(), kMonth.month()).size());
    }
}

// One transaction through the C API that reads the line and its goods row,
// writes the goods row and deletes the line.
void deleteBare(sqlite3 *db, qint64 line)
{
    {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt *read = nullptr;
        sqlite3_prepare_v2(db, "SELECT l.\"3\",l.\"4\",l.\"1\",d.ID,d.\"5\",d.\"6\",d.\"7\",d.\"8\" FROM data1 l "
                               "JOIN data d ON d.ID=l.goods_id WHERE l.ID=?", -1, &read, nullptr);
        sqlite3_bind_int64(read, 1, line);
        if (sqlite3_step(read) == SQLITE_ROW) {
            const double q = sqlite3_column_double(read, 0), m = sqlite3_column_double(read, 1),
                         p = sqlite3_column_double(read, 2);
            sqlite3_stmt *update = nullptr;
            sqlite3_prepare_v2(db, "UPDATE data SET \"5\"=?,\"6\"=?,\"7\"=?,\"8\"=? WHERE ID=?", -1, &update, nullptr);
            sqlite3_bind_double(update, 1, sqlite3_column_double(read, 4) - q);
            sqlite3_bind_double(update, 2, sqlite3_column_double(read, 5) - m);
            sqlite3_bind_double(update, 3, sqlite3_column_double(read, 6) + q);
            sqlite3_bind_double(update, 4, sqlite3_column_double(read, 7) + q * p);
            sqlite3_bind_int64(update, 5, sqlite3_column_int64(read, 3));
            sqlite3_step(update);
            sqlite3_finalize(update);
        }
        sqlite3_finalize(read);
        sqlite3_stmt *remove = nullptr;
        sqlite3_prepare_v2(db, "DELETE FROM data1 WHERE ID=?", -1, &remove, nullptr);
        sqlite3_bind_int64(remove, 1, line);
        sqlite3_step(remove);
        sqlite3_finalize(remove);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
}

// One SaleLineStore::remove and one bare transaction on the next line,
// alternately, each timed on its own: the ratio of their totals is the
// figure, taken under the same load and the same state of the caches.
void BM_Deletion(benchmark::State &state)
{
    Books &b = books();
    sqlite3 *db = b.shop->db().handle();
    std::chrono::steady_clock::duration ours{}, bare{};
    bool oursFirst = true; // which goes first changes every time
    for (auto _ : state) {
        std::chrono::steady_clock::duration mine{};
        for (int turn = 0; turn < 2; ++turn) {
            const auto start = std::chrono::steady_clock::now();
            if ((turn == 0) == oursFirst) {
                if (!b.shop->saleLines().remove(b.nextLine++).ok)
                    state.SkipWithError("deletion refused");
                mine = std::chrono::steady_clock::now() - start;
            } else {
                deleteBare(db, b.nextLine++);
                bare += std::chrono::steady_clock::now() - start;
            }
        }
        oursFirst = !oursFirst;
        ours += mine;
        state.SetIterationTime(std::chrono::duration<double>(mine).count());
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = milliseconds(ours) / n;
    state.counters["bare_ms"] = milliseconds(bare) / n;
    state.counters["ratio"] = milliseconds(ours) / milliseconds(bare);
}

// Resident memory with the window open on "全部记录", in a process that
// holds nothing else.
int measureMemory(const QString &path)
{
    const double start = statusMiB("VmRSS:");
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("jxc.conf")));
    Shop shop(ShopDatabase::open(path), settings);
    shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
    MessageBoxPrompter prompter;
    Txstj window(shop, prompter);
    window.resize(1000, 640);
    window.show();
    QCoreApplication::processEvents();
    const double opened = statusMiB("VmRSS:");
    const auto begin = std::chrono::steady_clock::now();
    window.allLines();
    QCoreApplication::processEvents();
    const auto took = std::chrono::steady_clock::now() - begin;
    std::printf("VmRSS at start %.1f MiB, window open on this month %.1f MiB\n"
                "\"全部记录\" (%d rows, %.0f ms): VmRSS %.1f MiB, VmHWM %.1f MiB\n",
                start, opened, window.rowCount(), milliseconds(took), statusMiB("VmRSS:"), statusMiB("VmHWM:"));
    window.reject();
    QCoreApplication::processEvents();
    std::printf("after closing the window: VmRSS %.1f MiB\n", statusMiB("VmRSS:"));
    return 0;
}

} // namespace

BENCHMARK(BM_OpenWindow)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
// 0: "本 月" of this month, 1: the keystrokes "ks" in "商品名称：", 2: "全部记录".
BENCHMARK(BM_GridRead)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridReadBare)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfitCharts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartQuery)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deletion)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--memory-file") == 0)
        return measureMemory(QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && qstrcmp(argv[1], "--upgrade") == 0) {
        // The first opening of a file of the earlier layout, which adds the
        // sums and category indexes over a million lines once.
        Books &b = books();
        const QString path = b.shop->databasePath();
        b.shop->db().execScript(QStringLiteral("DROP INDEX data1_day1_sums; DROP INDEX data1_d"));
        b.shop.reset();
        const auto start = std::chrono::steady_clock::now();
        auto db = ShopDatabase::open(path);
        std::printf("opening a file of the earlier layout, indexes added: %.0f ms\n",
                    milliseconds(std::chrono::steady_clock::now() - start));
        const auto again = std::chrono::steady_clock::now();
        db.reset();
        db = ShopDatabase::open(path);
        std::printf("opening it again: %.0f ms\n", milliseconds(std::chrono::steady_clock::now() - again));
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--memory") == 0) {
        // The file is generated here and measured in a fresh process.
        Books &b = books();
        const QString path = b.shop->databasePath();
        b.shop.reset();
        return QProcess::execute(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--memory-file"), path});
    }
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--without-new-indexes") == 0) {
            withoutNewIndexes = true;
            argv[i] = argv[--argc];
        }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    books().window.reset();
    return 0;
}
