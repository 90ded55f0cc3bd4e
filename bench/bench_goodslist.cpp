// The goods list as the operator meets it: "全部记录", one live-search
// keystroke and a title-click sort, each through the list widget itself
// (answer from the rows held, model reset, the grid repainted), on generated
// files of 10,000 and 100,000 goods rows; and the first read of the table at
// sign-in. Also reports the resident memory with the list loaded.
#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsCatalogue.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "goods/StockInPanel.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/MessageBoxPrompter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <map>
#include <memory>

using namespace quollin;

namespace {

struct Files {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<quollin::Shop> shop;
    MessageBoxPrompter prompter;
    std::unique_ptr<QWidget> window;
    GoodsList *list = nullptr;
    StockInPanel *panel = nullptr;
};

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Emptied before the application goes, so no widget outlives it.
std::map<int, std::unique_ptr<Files>> shops;

Files &shop(int rows)
{
    auto &s = shops[rows];
    if (!s) {
        s = std::make_unique<Files>();
        auto db = ShopDatabase::open(folder().filePath(QStringLiteral("list-%1.db").arg(rows)));
        generateGoods(*db, rows, 20161208);
        s->settings = std::make_unique<SettingsStore>(folder().filePath(QStringLiteral("jxc-%1.ini").arg(rows)));
        s->shop = std::make_unique<quollin::Shop>(std::move(db), *s->settings);
        s->shop->signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
        s->window = std::make_unique<QWidget>();
        s->list = new GoodsList(*s->shop, s->prompter, s->window.get());
        // As in the main window: "全部记录" refills the panel's five lists too.
        s->panel = new StockInPanel(*s->shop, s->prompter, s->window.get());
        QObject::connect(s->list, &GoodsList::dropDownsRefilled, s->panel, &StockInPanel::setDropDowns);
        s->window->resize(1031, 636);
        s->list->grid()->resize(1031, 440);
        s->window->show();
        while (s->list->isReading())
            QCoreApplication::processEvents();
    }
    return *s;
}

// A "VmRSS" or "VmHWM" line of /proc/self/status, in MiB.
double statusMiB(const char *key = "VmRSS:")
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
double residentMiB() { return statusMiB("VmRSS:"); }

// Paints the rows shown now, as the screen would after the change.
void repaint(Files &s) { s.list->grid()->view()->viewport()->repaint(); }

void BM_AllRecords(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    for (auto _ : state) {
        s.list->refreshAll();
        repaint(s);
        benchmark::DoNotOptimize(s.list->rowCount());
    }
    state.counters["rows"] = s.list->rowCount();
    state.counters["rss_MiB"] = residentMiB();
}

// The parts of "全部记录", to see where its time goes.
void BM_DropDowns(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.shop->goods().dropDowns());
}

void BM_ReadRows(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.shop->goods().list(ZeroStock::Shown));
}

// The held rows' one read of the whole table beside the bare engine reading
// a statement and the same 16 columns: texts as UTF-8 pointers, numbers as
// doubles, nothing kept. Arg 1 (bare engine only): 0 "全部记录", 1 keystroke "k".
BoundQuery readQuery(int which)
{
    return which == 0 ? GoodsQuery::list(ZeroStock::Shown)
                      : GoodsQuery::initials(ZeroStock::Shown, GoodsQuery::InitialsOf::Name, QStringLiteral("k"));
}

void BM_CatalogueLoad(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    for (auto _ : state) {
        GoodsCatalogue catalogue(*s.shop);
        catalogue.load();
        state.counters["rows"] = double(catalogue.liveCount());
    }
}

// Sign-in's read of the table through the list: "usable" is the part run
// before the main window takes events again, "whole" until the list shows.
void BM_FirstRead(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    double usable = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        s.list->startReading();
        usable = double(clock.nsecsElapsed()) / 1e6;
        while (s.list->isReading())
            QCoreApplication::processEvents();
        repaint(s);
    }
    state.counters["usable_ms"] = usable;
    state.counters["rows"] = s.list->rowCount();
}

// Result columns the list reads, as GoodsList maps them: ID, a b c d, 1..8, z, day1, g.
constexpr int kListColumns[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 7};
constexpr bool kListText[] = {false, true, true, true, true, false, false, false,
                              false, false, false, false, false, true, true, true};

void BM_ListReadBare(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    const BoundQuery query = readQuery(int(state.range(1)));
    const QByteArray sql = query.sql.toUtf8();
    for (auto _ : state) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(s.shop->db().handle(), sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
            throw DbError(s.shop->db().lastErrorMessage());
        for (const auto &[name, value] : query.values) {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(stmt, sqlite3_bind_parameter_index(stmt, name.constData()), text.constData(),
                              int(text.size()), SQLITE_TRANSIENT);
        }
        qint64 rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (size_t i = 0; i < std::size(kListColumns); ++i) {
                if (kListText[i]) {
                    const unsigned char *text = sqlite3_column_text(stmt, kListColumns[i]);
                    benchmark::DoNotOptimize(text);
                } else {
                    double value = sqlite3_column_double(stmt, kListColumns[i]);
                    benchmark::DoNotOptimize(value);
                }
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        state.counters["rows"] = double(rows);
    }
}

void BM_Keystroke(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    const QString typed = QStringLiteral("ksf").left(int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        s.list->nameBox()->blockSignals(true);
        s.list->nameBox()->setText(typed.left(typed.size() - 1));
        s.list->nameBox()->blockSignals(false);
        state.ResumeTiming();
        // The last letter typed: one live query and model reset.
        s.list->nameBox()->setText(typed);
        repaint(s);
        benchmark::DoNotOptimize(s.list->rowCount());
    }
    state.counters["rows"] = s.list->rowCount();
    s.list->nameBox()->blockSignals(true);
    s.list->nameBox()->clear();
    s.list->nameBox()->blockSignals(false);
}

void BM_TitleSort(benchmark::State &state)
{
    Files &s = shop(int(state.range(0)));
    s.list->refreshAll();
    const int column = s.list->grid()->model()->columnOf(QString::fromLatin1(state.range(1) ? "a" : "7"));
    for (auto _ : state) {
        emit s.list->grid()->titleClicked(column);
        repaint(s);
        benchmark::DoNotOptimize(s.list->rowCount());
    }
}

// The memory of one loaded list, in a process that holds nothing else: opens
// the file, builds the list and the stock-in panel as the main window does and
// runs "全部记录" once.
int measureMemory(const QString &path)
{
    const double start = residentMiB();
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("jxc.ini")));
    quollin::Shop shop(ShopDatabase::open(path), settings);
    shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
    Database *db = &shop.db();
    MessageBoxPrompter prompter;
    QWidget window;
    auto *list = new GoodsList(shop, prompter, &window);
    auto *panel = new StockInPanel(shop, prompter, &window);
    QObject::connect(list, &GoodsList::dropDownsRefilled, panel, &StockInPanel::setDropDowns);
    window.resize(1031, 636);
    list->grid()->resize(1031, 440);
    const double before = residentMiB();
    list->startReading();
    while (list->isReading())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    int cacheUsed = 0, highwater = 0;
    sqlite3_db_status(db->handle(), SQLITE_DBSTATUS_CACHE_USED, &cacheUsed, &highwater, 0);
    std::printf("rows %d\nVmRSS at start %.1f MiB\nVmRSS with the widgets, before the list %.1f MiB\n"
                "VmRSS with the list loaded %.1f MiB\nVmHWM (peak) %.1f MiB\nof which the engine's page cache %.1f MiB\n",
                list->rowCount(), start, before, residentMiB(), statusMiB("VmHWM:"), cacheUsed / 1048576.0);
    // A search typed and cleared again, and "全部记录" once more: the steady state.
    list->nameBox()->setText(QStringLiteral("k"));
    list->nameBox()->clear();
    list->refreshAll();
    QCoreApplication::processEvents();
    std::printf("after a search and a second 全部记录: VmRSS %.1f MiB, VmHWM %.1f MiB\n", residentMiB(),
                statusMiB("VmHWM:"));
    return 0;
}

// Builds a file of `rows` goods rows, then measures it in a fresh process, so
// that neither the generation nor another file counts.
int memoryRun(const char *program, int rows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("memory-%1.db").arg(rows));
    {
        auto db = ShopDatabase::open(path);
        generateGoods(*db, rows, 20161208);
    }
    return QProcess::execute(QString::fromLocal8Bit(program), {QStringLiteral("--memory-file"), path});
}

} // namespace

// The 1,000,000-row cases build a large file first (minutes): run them with
// --benchmark_filter=/1000000.
BENCHMARK(BM_AllRecords)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropDowns)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRows)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogueLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListReadBare)->Args({10000, 0})->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke)->Args({10000, 1})->Args({10000, 2})->Args({10000, 3})->Args({100000, 1})->Args({100000, 2})->Args({100000, 3})->Args({1000000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleSort)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--memory-file") == 0)
        return measureMemory(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--memory") == 0)
        return memoryRun(argv[0], std::atoi(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shops.clear();
    return 0;
}
