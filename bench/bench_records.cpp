// The sales records window's reads and the deletion of a sale line, each
// beside the bare engine doing the same, on a generated file of 100,000 goods
// rows and 1,000,000 sale lines dated over three years from 2022.
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"

#include "core/Database.h"
#include "core/SettingsStore.h"
#include "core/Shop.h"
#include "core/ShopDatabase.h"
#include "records/SaleLineGrid.h"
#include "records/SaleLineQuery.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <memory>

using namespace quollin;

namespace {

struct Books {
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Shop> shop;
    qint64 nextLine = 1; // deletions walk up the table
};

Books &books()
{
    static Books b;
    if (!b.shop) {
        const QString path = b.dir.filePath(QStringLiteral("records.db"));
        generateShopFile(path, 100000, 1000000);
        b.settings = std::make_unique<SettingsStore>(b.dir.filePath(QStringLiteral("jxc.conf")));
        b.shop = std::make_unique<Shop>(ShopDatabase::open(path), *b.settings);
        b.shop->signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
    }
    return b;
}

// A month in the middle of the generated dates.
const QDate kMonth(2023, 6, 1);

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
        std::vector<qint64> ids;
        SaleLineGrid::readRows(shop.saleLines(), query, cells, ids);
        cells.finishLoad();
        rows = qint64(ids.size());
        benchmark::DoNotOptimize(ids.data());
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
        benchmark::DoNotOptimize(stats.byMonth(StatValue::Profit, 2023).size());
        benchmark::DoNotOptimize(stats.byDay(StatValue::Profit, 2023, 6).size());
    }
}

void BM_Deletion(benchmark::State &state)
{
    Books &b = books();
    for (auto _ : state) {
        const SaleLineOutcome out = b.shop->saleLines().remove(b.nextLine++);
        if (!out.ok)
            state.SkipWithError("deletion refused");
    }
}

// One transaction through the C API that reads the line and its goods row,
// writes the goods row and deletes the line.
void BM_DeletionBare(benchmark::State &state)
{
    Books &b = books();
    sqlite3 *db = b.shop->db().handle();
    for (auto _ : state) {
        const qint64 line = b.nextLine++;
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

} // namespace

// 0: "本 月" of June 2023, 1: the keystrokes "ks" in "商品名称：", 2: "全部记录".
BENCHMARK(BM_GridRead)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridReadBare)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProfitCharts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deletion)->Iterations(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeletionBare)->Iterations(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
