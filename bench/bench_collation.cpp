// The cost of the text order (pinyin, case ignored) on a generated file of
// 100,000 goods rows: the distinct list of each drop-down column through the
// engine, by stored bytes as before beside the collated statements, and the
// same lists and a title-click sort made in memory by the grid's model.
// Arg: the column, 0..4 for a, b, c, d, g.
#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/DistinctValues.h"
#include "core/ShopDatabase.h"
#include "core/TextCollation.h"
#include "widgets/GridModel.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>

using namespace quollin;

namespace {

constexpr int kRows = 100000;
const char *const kColumns[] = {"a", "b", "c", "d", "g"};

Database &db()
{
    static QTemporaryDir dir;
    static std::unique_ptr<Database> db;
    if (!db) {
        db = ShopDatabase::open(dir.filePath(QStringLiteral("collation.db")));
        generateGoods(*db, kRows, 20161208);
    }
    return *db;
}

QString column(const benchmark::State &state) { return QString::fromLatin1(kColumns[state.range(0)]); }

qsizetype run(const QString &sql)
{
    Statement s = db().prepare(sql);
    qsizetype n = 0;
    while (s.next())
        ++n;
    return n;
}

// As the lists were read before: by stored bytes, over the column's index.
void BM_GroupByBytes(benchmark::State &state)
{
    const QString sql = QStringLiteral("SELECT %1 FROM data GROUP BY %1 ORDER BY %1").arg(column(state));
    for (auto _ : state)
        state.counters["values"] = double(run(sql));
}

// The collation straight on the table: no index serves it, every row is sorted.
void BM_GroupByCollatedAllRows(benchmark::State &state)
{
    const QString c = column(state) + TextCollation::clause();
    const QString sql = QStringLiteral("SELECT min(%1) FROM data GROUP BY %2 ORDER BY %2").arg(column(state), c);
    for (auto _ : state)
        state.counters["values"] = double(run(sql));
}

// What the program runs: bytes over the index, then the collation over the
// distinct values only.
void BM_DistinctValues(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["values"] = double(DistinctValues(db(), column(state), QStringLiteral("data")).size());
}

GridModel &model()
{
    static std::unique_ptr<GridModel> model;
    if (!model) {
        std::vector<GridColumn> columns;
        for (const char *c : kColumns)
            columns.push_back({QString::fromLatin1(c)});
        model = std::make_unique<GridModel>(columns);
        GridRows rows = model->emptyRows();
        Statement s = db().prepare(QStringLiteral("SELECT a,b,c,d,g FROM data ORDER BY day1, ID"));
        while (s.next()) {
            for (int c = 0; c < 5; ++c)
                rows.appendText(c, s.utf8(c));
            rows.endRow();
        }
        model->setRows(std::move(rows));
    }
    return *model;
}

// The grid's own distinct list of a column ("全部记录" with zero stock shown).
void BM_GridDistinctTexts(benchmark::State &state)
{
    GridModel &m = model();
    for (auto _ : state)
        state.counters["values"] = double(m.distinctTexts(int(state.range(0))).size());
}

// A title click on a text column: by the text order, and by code units as a
// floor.
void BM_GridSortCollated(benchmark::State &state)
{
    GridModel &m = model();
    m.setTextOrder(&GridModel::collatedOrder);
    for (auto _ : state)
        m.sortBy(int(state.range(0)), Qt::AscendingOrder);
}

void BM_GridSortCodeUnits(benchmark::State &state)
{
    GridModel &m = model();
    m.setTextOrder(&GridModel::plainOrder);
    for (auto _ : state)
        m.sortBy(int(state.range(0)), Qt::AscendingOrder);
    m.setTextOrder(&GridModel::collatedOrder);
}

} // namespace

BENCHMARK(BM_GroupByBytes)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupByCollatedAllRows)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DistinctValues)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridDistinctTexts)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortCollated)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortCodeUnits)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
