// The goods list's reads through our layer beside the same statement through
// the bare engine, on generated files of 10,000 and 100,000 rows.
#include "GoodsGenerator.h"

#include "core/Database.h"
#include "core/ShopContext.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsQuery.h"
#include "goods/GoodsStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <map>
#include <memory>

using namespace quollin;

namespace {

// One file per size, generated once for the whole run; the store reads
// through a session context over it (reading needs no operator).
ShopContext &context(int rows)
{
    static QTemporaryDir dir;
    static std::map<int, std::unique_ptr<ShopContext>> files;
    auto &ctx = files[rows];
    if (!ctx) {
        auto db = ShopDatabase::open(dir.filePath(QStringLiteral("goods-%1.db").arg(rows)));
        generateGoods(*db, rows, 20161208);
        ctx = std::make_unique<ShopContext>(std::move(db));
    }
    return *ctx;
}

Database &shop(int rows)
{
    return context(rows).db();
}

// The same statement and values, every column of every row read and dropped.
qint64 readBare(Database &db, const BoundQuery &query)
{
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = query.sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        throw DbError(db.lastErrorMessage());
    for (const auto &[name, value] : query.values) {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, sqlite3_bind_parameter_index(stmt, name.constData()), text.constData(),
                          int(text.size()), SQLITE_TRANSIENT);
    }
    qint64 rows = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(stmt, i) == SQLITE_TEXT) {
                const unsigned char *text = sqlite3_column_text(stmt, i);
                benchmark::DoNotOptimize(text);
            } else {
                double value = sqlite3_column_double(stmt, i);
                benchmark::DoNotOptimize(value);
            }
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

const char *const kTyped[] = {"k", "ks", "ksf"}; // 康师傅…, one keystroke at a time

BoundQuery keystroke(int letters)
{
    return GoodsQuery::initials(ZeroStock::Shown, GoodsQuery::InitialsOf::Name,
                                QString::fromLatin1(kTyped[letters - 1]));
}

void BM_ListAll_Store(benchmark::State &state)
{
    GoodsStore store(context(int(state.range(0))));
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<GoodsRecord> list = store.list(ZeroStock::Shown);
        rows = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["rows"] = double(rows);
}

void BM_ListAll_Bare(benchmark::State &state)
{
    Database &db = shop(int(state.range(0)));
    const BoundQuery query = GoodsQuery::list(ZeroStock::Shown);
    qint64 rows = 0;
    for (auto _ : state)
        rows = readBare(db, query);
    state.counters["rows"] = double(rows);
}

void BM_Keystroke_Store(benchmark::State &state)
{
    GoodsStore store(context(int(state.range(0))));
    const BoundQuery query = keystroke(int(state.range(1)));
    size_t rows = 0;
    for (auto _ : state) {
        std::vector<GoodsRecord> found = store.load(query);
        rows = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["rows"] = double(rows);
}

void BM_Keystroke_Bare(benchmark::State &state)
{
    Database &db = shop(int(state.range(0)));
    const BoundQuery query = keystroke(int(state.range(1)));
    qint64 rows = 0;
    for (auto _ : state)
        rows = readBare(db, query);
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_ListAll_Store)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAll_Bare)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke_Store)->ArgsProduct({{10000, 100000}, {1, 2, 3}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke_Bare)->ArgsProduct({{10000, 100000}, {1, 2, 3}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
