// Sign-in as the operator meets it: "登 录" clicked on the main window over a
// file of 100,000 goods rows and 1,000,000 sale lines, timed to the painted,
// signed-in window; and the parts of it that are the session's own (the
// password check, the log row) timed alone. Each run starts a new process
// state: the file is reopened, so the engine's cache is cold as at start.
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"

#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/PasswordHash.h"
#include "core/Prompter.h"
#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/MaintenanceCommands.h"
#include "operators/Tloginfm.h"
#include "session/Shop.h"
#include "widgets/PasswordBox.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace quollin;

namespace {

class QuietPrompter : public Prompter {
public:
    void warning(const QString &) override {}
    void information(const QString &) override {}
    bool confirm(const QString &) override { return true; }
    bool askYesNo(const QString &) override { return true; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, Overwrite) override { return {}; }
};

// QUOLLIN_BENCH_DIR keeps the generated file between runs (it takes minutes
// to make); without it the file goes into a temporary folder.
QString bookPath()
{
    static QTemporaryDir temporary;
    static QString path;
    if (path.isEmpty()) {
        const QString kept = qEnvironmentVariable("QUOLLIN_BENCH_DIR");
        path = QDir(kept.isEmpty() ? temporary.path() : kept).filePath(QStringLiteral("signin.db"));
        if (!QFile::exists(path))
            generateShopFile(path, 100000, 1000000, threeYearsToThisMonth());
    }
    return path;
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

// Arg 1: with the daily backup (today's copy missing); 0: today's is there.
void BM_SignIn(benchmark::State &state)
{
    const bool withBackup = state.range(0) == 1;
    const QString path = bookPath();
    const QString dir = QFileInfo(path).absolutePath();
    double rss = 0;
    // Where the time goes: the click to the announcement (the password check
    // and the log row), the announcement's listeners (list, panels, rights,
    // the daily backup's start), and the rest to the painted window.
    double checkMs = 0, listenersMs = 0, restMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString todays = DatabaseBackup::todaysDailyBackup(path, QDate::currentDate());
        QFile::remove(todays);
        if (!withBackup) {
            QDir().mkpath(QFileInfo(todays).absolutePath());
            QFile(todays).open(QIODevice::WriteOnly);
        }
        SettingsStore settings(QDir(dir).filePath(QStringLiteral("jxc.ini")));
        auto shop = std::make_unique<Shop>(ShopDatabase::open(path), settings);
        QElapsedTimer clock;
        qint64 announced = 0, heard = 0;
        QObject::connect(shop.get(), &ShopContext::signedIn, [&] { announced = clock.nsecsElapsed(); });
        QuietPrompter prompter;
        auto form = std::make_unique<TMainForm>(*shop, prompter);
        QObject::connect(shop.get(), &ShopContext::signedIn, [&] { heard = clock.nsecsElapsed(); });
        form->show();
        form->requestSignIn();
        Tloginfm *login = form->signInWindow();
        if (!QTest::qWaitFor([&] { return login->isVisible(); }))
            state.SkipWithError("no sign-in window");
        login->nameBox()->setEditText(QStringLiteral("超级管理员"));
        QTest::keyClicks(login->passwordBox(), QStringLiteral("582"));
        state.ResumeTiming();

        clock.start();
        login->signInButton()->click();
        QCoreApplication::processEvents();
        form->repaint();
        const qint64 painted = clock.nsecsElapsed();

        state.PauseTiming();
        checkMs += double(announced) / 1e6;
        listenersMs += double(heard - announced) / 1e6;
        restMs += double(painted - heard) / 1e6;
        rss = residentMiB();
        if (form->signInLogId() == 0)
            state.SkipWithError("not signed in");
        // The daily backup finishes before the session goes.
        if (!QTest::qWaitFor([&] { return !form->maintenance()->dailyBackupRunning(); }, 600000))
            state.SkipWithError("the daily backup did not end");
        form.reset();
        shop.reset();
        state.ResumeTiming();
    }
    state.counters["rss_signed_in_MiB"] = rss;
    const double n = double(state.iterations());
    state.counters["check_ms"] = checkMs / n;
    state.counters["listeners_ms"] = listenersMs / n;
    state.counters["rest_ms"] = restMs / n;
}

// The password check alone (Argon2id with the stored parameters).
void BM_PasswordCheck(benchmark::State &state)
{
    const QString stored = PasswordHash::hash(QStringLiteral("582"));
    for (auto _ : state)
        benchmark::DoNotOptimize(PasswordHash::verify(stored, QStringLiteral("582")));
}

// The session's sign-in without windows: the check and the log row.
void BM_SessionSignIn(benchmark::State &state)
{
    SettingsStore settings(QDir(QFileInfo(bookPath()).absolutePath()).filePath(QStringLiteral("jxc.ini")));
    Shop shop(ShopDatabase::open(bookPath()), settings);
    for (auto _ : state) {
        if (!shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok)
            state.SkipWithError("not signed in");
    }
}

} // namespace

BENCHMARK(BM_PasswordCheck)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionSignIn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SignIn)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
