// The goods list as the operator meets it: "全部记录", one live-search
// keystroke and a title-click sort, each through the list widget itself (query,
// rows into the grid's model, model reset), on generated files of 10,000 and
// 100,000 goods rows. Also reports the resident memory with the list loaded.
#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "goods/GoodsStore.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/MessageBoxPrompter.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <map>
#include <memory>

using namespace quollin;

namespace {

struct Shop {
    std::unique_ptr<Database> db;
    std::unique_ptr<GoodsStore> store;
    std::unique_ptr<SettingsStore> settings;
    MessageBoxPrompter prompter;
    std::unique_ptr<QWidget> window;
    GoodsList *list = nullptr;
};

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Emptied before the application goes, so no widget outlives it.
std::map<int, std::unique_ptr<Shop>> shops;

Shop &shop(int rows)
{
    auto &s = shops[rows];
    if (!s) {
        s = std::make_unique<Shop>();
        s->db = ShopDatabase::open(folder().filePath(QStringLiteral("list-%1.db").arg(rows)));
        generateGoods(*s->db, rows, 20161208);
        s->store = std::make_unique<GoodsStore>(*s->db);
        s->settings = std::make_unique<SettingsStore>(folder().filePath(QStringLiteral("jxc-%1.ini").arg(rows)));
        s->window = std::make_unique<QWidget>();
        s->list = new GoodsList(*s->store, *s->settings, s->prompter, s->window.get());
        s->window->resize(1031, 636);
        s->list->grid()->resize(1031, 440);
    }
    return *s;
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

void BM_AllRecords(benchmark::State &state)
{
    Shop &s = shop(int(state.range(0)));
    for (auto _ : state) {
        s.list->refreshAll();
        benchmark::DoNotOptimize(s.list->rowCount());
    }
    state.counters["rows"] = s.list->rowCount();
    state.counters["rss_MiB"] = residentMiB();
}

// The parts of "全部记录", to see where its time goes.
void BM_DropDowns(benchmark::State &state)
{
    Shop &s = shop(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.store->dropDowns());
}

void BM_ReadRows(benchmark::State &state)
{
    Shop &s = shop(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(s.store->list(ZeroStock::Shown));
}

void BM_Keystroke(benchmark::State &state)
{
    Shop &s = shop(int(state.range(0)));
    const QString typed = QStringLiteral("ksf").left(int(state.range(1)));
    for (auto _ : state) {
        state.PauseTiming();
        s.list->nameBox()->blockSignals(true);
        s.list->nameBox()->setText(typed.left(typed.size() - 1));
        s.list->nameBox()->blockSignals(false);
        state.ResumeTiming();
        // The last letter typed: one live query and model reset.
        s.list->nameBox()->setText(typed);
        benchmark::DoNotOptimize(s.list->rowCount());
    }
    state.counters["rows"] = s.list->rowCount();
    s.list->nameBox()->blockSignals(true);
    s.list->nameBox()->clear();
    s.list->nameBox()->blockSignals(false);
}

void BM_TitleSort(benchmark::State &state)
{
    Shop &s = shop(int(state.range(0)));
    s.list->refreshAll();
    const int column = s.list->grid()->model()->columnOf(QString::fromLatin1(state.range(1) ? "a" : "7"));
    for (auto _ : state) {
        emit s.list->grid()->titleClicked(column);
        benchmark::DoNotOptimize(s.list->rowCount());
    }
}

} // namespace

BENCHMARK(BM_AllRecords)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DropDowns)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRows)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke)->Args({10000, 1})->Args({10000, 2})->Args({10000, 3})->Args({100000, 1})->Args({100000, 2})->Args({100000, 3})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleSort)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shops.clear();
    return 0;
}
