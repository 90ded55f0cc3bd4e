// Maintenance as the operator waits for it: importing a 10,000-row sheet
// into an empty shop file, and a verified backup of a file of 100,000 goods
// rows and 1,000,000 sale lines beside a plain file copy plus the engine's
// integrity check of the copy, run alternately in one process; and the
// memory the daily backup takes beside a signed-in session.
#include "SaleLineGenerator.h"

#include "core/Database.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/GoodsImport.h"
#include "SheetWriter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

using namespace quollin;
using namespace quollin::test;

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// The sheet, written once: 10,000 goods rows under the import's titles.
QString workbook(int rows)
{
    static QString path;
    if (path.isEmpty()) {
        const auto start = Clock::now();
        QJsonArray cells{goodsTitles()};
        const QString names[] = {QStringLiteral("康师傅方便面"), QStringLiteral("可口可乐"), QStringLiteral("雪碧"),
                                 QStringLiteral("农夫山泉"), QStringLiteral("旺旺雪饼")};
        for (int i = 0; i < rows; ++i)
            cells.append(goodsRow(names[i % 5] + QString::number(i), QStringLiteral("规格%1").arg(i % 37),
                                  1 + (i % 97) / 4.0, 1 + i % 50, QStringLiteral("2024-03-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'))));
        path = folder().filePath(QStringLiteral("goods.xls"));
        const QString error = writeWorkbook(path, {{QStringLiteral("morvel"), cells}});
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            std::exit(1);
        }
        std::fprintf(stderr, "wrote a sheet of %d rows in %.1f s\n", rows, milliseconds(Clock::now() - start) / 1000);
    }
    return path;
}

// Each import goes into a new, empty shop file, as an operator's first import.
void BM_Import(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const QString sheet = workbook(rows);
    static int files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = folder().filePath(QStringLiteral("import-%1.db").arg(++files));
        SettingsStore settings(folder().filePath(QStringLiteral("jxc-%1.conf").arg(files)));
        auto shop = std::make_unique<Shop>(ShopDatabase::open(path), settings);
        shop->signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
        state.ResumeTiming();
        const auto start = Clock::now();
        const GoodsImport::Outcome out = shop->goodsImport().run(sheet, path);
        const auto took = Clock::now() - start;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        if (files == 1)
            std::fprintf(stderr, "first import (cold): %.0f ms\n", milliseconds(took));
        if (out.result != GoodsImport::Result::Done || out.rows != rows) {
            state.SkipWithError(qPrintable(out.message));
            break;
        }
        state.PauseTiming();
        shop.reset();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
        state.ResumeTiming();
    }
}

struct Books {
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Shop> shop;
    QString path;
};

Books b; // emptied before the application goes

Books &books()
{
    if (!b.shop) {
        // QUOLLIN_BENCH_DIR keeps the generated file for later runs.
        const QString kept = qEnvironmentVariable("QUOLLIN_BENCH_DIR");
        b.path = QDir(kept.isEmpty() ? folder().path() : kept).filePath(QStringLiteral("books.db"));
        if (!QFile::exists(b.path))
            generateShopFile(b.path, 100000, 1000000);
        b.settings = std::make_unique<SettingsStore>(folder().filePath(QStringLiteral("jxc.conf")));
        b.shop = std::make_unique<Shop>(ShopDatabase::open(b.path), *b.settings);
        b.shop->signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword);
        // As the backup window does: the file is closed while it is open.
        b.shop->closeDatabase();
    }
    return b;
}

// A plain copy of the file, then our key and the engine's integrity check on
// the copy: the least a verified backup must do.
void copyAndCheckBare(const QString &source, const QString &target)
{
    QFile::remove(target);
    if (!QFile::copy(source, target))
        throw DbError(QStringLiteral("copy failed"));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(target.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, ShopDatabase::kKey, int(qstrlen(ShopDatabase::kKey)));
    sqlite3_stmt *check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    bool ok = false;
    while (sqlite3_step(check) == SQLITE_ROW)
        ok = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok") == 0;
    sqlite3_finalize(check);
    sqlite3_close(db);
    if (!ok)
        throw DbError(QStringLiteral("integrity check failed"));
}

// DatabaseBackup::backup and the bare copy alternately, which goes first
// changing every time; the iteration time is ours.
void BM_Backup(benchmark::State &state)
{
    Books &b = books();
    const QString ours = folder().filePath(QStringLiteral("beifen.db"));
    const QString bare = folder().filePath(QStringLiteral("plain.db"));
    Clock::duration oursTotal{}, bareTotal{};
    bool oursFirst = true;
    for (auto _ : state) {
        Clock::duration mine{};
        for (int turn = 0; turn < 2; ++turn) {
            const auto start = Clock::now();
            if ((turn == 0) == oursFirst) {
                const BackupFile::Result result = b.shop->backups().backup(ours);
                mine = Clock::now() - start;
                if (!result.ok)
                    state.SkipWithError(qPrintable(result.reason));
            } else {
                copyAndCheckBare(b.path, bare);
                bareTotal += Clock::now() - start;
            }
        }
        oursFirst = !oursFirst;
        oursTotal += mine;
        state.SetIterationTime(std::chrono::duration<double>(mine).count());
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = milliseconds(oursTotal) / n;
    state.counters["bare_ms"] = milliseconds(bareTotal) / n;
    state.counters["ratio"] = milliseconds(oursTotal) / milliseconds(bareTotal);
    state.counters["file_MiB"] = double(QFile(b.path).size()) / 1048576.0;
}

double statusMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Starts the peak resident size afresh from the present one.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The daily backup with the session's file open and its cache warm (every
// goods row and the last lines read), as after a sign-in: the rise of the
// peak resident size over the size before, and the time.
void BM_DailyBackup(benchmark::State &state)
{
    Books &b = books();
    if (!b.shop->isOpen()) {
        b.shop->reopenDatabase(ShopDatabase::open(b.path));
        for (const char *sql : {"SELECT * FROM data", "SELECT * FROM data1 ORDER BY ID DESC LIMIT 20000"}) {
            Statement read = b.shop->db().prepare(QString::fromLatin1(sql));
            while (read.next())
                benchmark::DoNotOptimize(read.utf8(1));
        }
    }
    const QDate today = QDate::currentDate();
    double rise = 0, before = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(DatabaseBackup::todaysDailyBackup(b.path, today));
        // Memory freed before (the generation's) would hide what the copy
        // takes anew.
        malloc_trim(0);
        before = statusMiB("VmRSS:");
        resetPeak();
        state.ResumeTiming();
        const QString failure = DatabaseBackup::makeDailyBackup(b.path, today, 7);
        if (!failure.isEmpty())
            state.SkipWithError(qPrintable(failure));
        rise = std::max(rise, statusMiB("VmHWM:") - before);
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["peak_rise_MiB"] = rise;
}

} // namespace

BENCHMARK(BM_DailyBackup)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Import)->Arg(10000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Backup)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    b.shop.reset();
    return 0;
}
