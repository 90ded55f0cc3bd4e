// The operator's waits, as the operator meets them: the real main window
// (offscreen), signed in through the sign-in window, driven through its
// widgets found by caption or object name. Each action is timed from the
// event to the repainted window. The statement the list ran for the same
// action is stepped through the bare sqlite3 C API on the same file in the
// same process, alternately with ours, and resident memory is read from
// /proc/self/status. Not a Google Benchmark: the first sign-in, the first
// "全部记录" and the first opening of a window happen once per process.
//
//   bench_operator --goods N --lines M [--reps R] [--cold-reps C] [--records]
//                  [--sales] [--backup] [--prepare]
//
// --prepare only builds the cached file (slow once for big files), so that
// the measured runs start from a file on disk like the program.
//
// Prints one Markdown table: wall time (median, minimum-maximum), the
// process's processor time, the bare engine's wall and processor time, and
// the ratios of the medians.
#include "SaleLineGenerator.h"
#include "Stats.h"

#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "core/SettingsStore.h"
#include "core/ShopDatabase.h"
#include "session/Shop.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"

#include <sqlite3.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace quollin;

namespace {

// ---------------------------------------------------------------- memory

double statusMiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

double residentMiB() { return statusMiB("VmRSS:"); }

// Samples VmRSS and RssAnon (the process's own memory, without shared file
// pages) every 5 ms on a thread of its own while it lives.
class PeakSampler {
public:
    PeakSampler()
        : m_thread([this] {
              while (!m_stop) {
                  raise(m_peak, residentMiB());
                  raise(m_peakAnon, statusMiB("RssAnon:"));
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          })
    {
    }
    double peakAnon() const { return m_peakAnon; }
    ~PeakSampler() { stop(); }
    double stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_peak;
    }

private:
    static void raise(std::atomic<double> &peak, double now)
    {
        double seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    std::atomic_bool m_stop{false};
    std::atomic<double> m_peak{0};
    std::atomic<double> m_peakAnon{0};
    std::thread m_thread;
};

// ---------------------------------------------------------------- caches

// Drops the file's pages from the operating system's cache (written pages
// are flushed first, or they would stay). /proc/sys/vm/drop_caches is not
// writable in a container, so this is the cold start that can be had.
void dropOsCache(const QString &path)
{
    for (const char *suffix : {"", "-wal"}) {
        const QByteArray name = QFile::encodeName(path + QLatin1String(suffix));
        const int fd = ::open(name.constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// ---------------------------------------------------------------- bare engine

// The bare sqlite3 C API on the same file, opened with the same key and
// page cache size as the program's connection. A read steps the statement
// and touches every column (texts as UTF-8 pointers, numbers as doubles),
// keeping nothing.
class BareEngine {
public:
    explicit BareEngine(QString path) : m_path(std::move(path)) { open(); }
    ~BareEngine() { sqlite3_close(m_db); }

    // A fresh connection: its page cache is empty.
    void reopen()
    {
        sqlite3_close(m_db);
        m_db = nullptr;
        open();
    }

    int read(const QByteArray &sql, const QByteArray &pattern = {})
    {
        sqlite3_stmt *stmt = nullptr;
        check(sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr));
        if (!pattern.isNull())
            sqlite3_bind_text(stmt, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
        const int columns = sqlite3_column_count(stmt);
        int rows = 0;
        volatile double sink = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                if (sqlite3_column_type(stmt, i) == SQLITE_TEXT)
                    sink = sink + double(sqlite3_column_text(stmt, i)[0]);
                else
                    sink = sink + sqlite3_column_double(stmt, i);
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        return rows;
    }

    // A commit from this connection that changes nothing a reader sees: the
    // session's connection finds the file changed at its next read and
    // empties its page cache, as a freshly opened connection starts.
    void invalidateOtherCaches()
    {
        sqlite3_stmt *stmt = nullptr;
        check(sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &stmt, nullptr));
        sqlite3_step(stmt);
        const int version = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        exec(QByteArrayLiteral("PRAGMA user_version=") + QByteArray::number(version));
    }

    void exec(const QByteArray &sql) { check(sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr)); }

    // What this connection's page cache holds now: it lives in the same
    // process, so it counts in every VmRSS figure taken after it read.
    double cacheMiB() const
    {
        int used = 0, highest = 0;
        sqlite3_db_status(m_db, SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
        return double(used) / (1024.0 * 1024.0);
    }

private:
    void open()
    {
        check(sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr));
        check(sqlite3_key(m_db, ShopDatabase::kKey, int(qstrlen(ShopDatabase::kKey))));
        exec("PRAGMA cache_size=-65536");
        sqlite3_busy_timeout(m_db, 5000);
    }
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw std::runtime_error(std::string("bare engine: ") + (m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)));
    }

    QString m_path;
    sqlite3 *m_db = nullptr;
};

// The statements the lists ran for each action before the lists kept their
// rows in memory: all columns of the table.
const QByteArray kGoodsColumns = R"(ID,a,b,c,d,e,f,g,"1","2","3","4","5","6","7","8",z,day1)";
const QByteArray kLineColumns = R"(ID,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z,"1","2","3","4",a5,"6","7","8","9",day1,day2,day3,day4,day5,day6,goods_id)";
const QByteArray kGoodsAll = "SELECT " + kGoodsColumns + " FROM data ORDER BY day1, ID";
const QByteArray kGoodsInitials = "SELECT " + kGoodsColumns + R"( FROM data WHERE "2">0 AND "e" LIKE ? ESCAPE '\' ORDER BY ID)";
const QByteArray kGoodsNoCondition = "SELECT " + kGoodsColumns + R"( FROM data WHERE "2">0 ORDER BY ID)";
const QByteArray kLinesAll = "SELECT " + kLineColumns + " FROM data1 ORDER BY day1, ID";
const QByteArray kLinesCustomer = "SELECT " + kLineColumns + R"( FROM data1 WHERE "3">0 AND "g" LIKE ? ESCAPE '\' ORDER BY ID)";
const QByteArray kLinesNoCondition = "SELECT " + kLineColumns + R"( FROM data1 WHERE "3">0 ORDER BY ID)";

// ---------------------------------------------------------------- report

struct Row {
    QString action;
    QString rows;
    std::vector<double> ours;
    std::vector<double> bare;
    QString note;
    std::vector<double> oursCpu;
    std::vector<double> bareCpu;
};

QString ms(double value)
{
    if (value >= 1000)
        return QStringLiteral("%1 ms").arg(QLocale(QLocale::English).toString(value, 'f', 0));
    return QStringLiteral("%1 ms").arg(value, 0, 'f', value >= 100 ? 0 : value >= 10 ? 1 : 2);
}

std::vector<Row> g_report;

Row &record(const QString &action, const QString &rows)
{
    for (Row &r : g_report)
        if (r.action == action && r.rows == rows)
            return r;
    g_report.push_back({action, rows, {}, {}, {}, {}, {}});
    return g_report.back();
}

void note(const QString &action, const QString &rows, const QString &text) { record(action, rows).note = text; }

void printReport(const QString &heading)
{
    std::printf("\n%s\n\n", qPrintable(heading));
    std::printf("| Action | Rows | Ours, median | min-max | n | CPU, median | Bare engine, median (CPU) | Ours / bare (CPU) | Note |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---:|---|\n");
    for (const Row &r : g_report) {
        QString ours, range, bare, ratio;
        if (!r.ours.empty()) {
            ours = ms(median(r.ours));
            const auto [lo, hi] = std::minmax_element(r.ours.begin(), r.ours.end());
            range = r.ours.size() > 1 ? ms(*lo) + QStringLiteral("-") + ms(*hi) : QString();
        }
        if (!r.bare.empty()) {
            bare = ms(median(r.bare)) + QStringLiteral(" (") + ms(median(r.bareCpu)) + QStringLiteral(")");
            if (!r.ours.empty())
                ratio = QString::number(median(r.ours) / median(r.bare), 'f', 2) + QStringLiteral(" (")
                        + QString::number(median(r.oursCpu) / median(r.bareCpu), 'f', 2) + QStringLiteral(")");
        }
        const QString cpu = r.oursCpu.empty() ? QString() : ms(median(r.oursCpu));
        std::printf("| %s | %s | %s | %s | %d | %s | %s | %s | %s |\n", qPrintable(r.action), qPrintable(r.rows),
                    qPrintable(ours), qPrintable(range), int(r.ours.size()), qPrintable(cpu), qPrintable(bare),
                    qPrintable(ratio), qPrintable(r.note));
    }
    std::fflush(stdout);
}

// ---------------------------------------------------------------- the program

// Answers every box with OK (a real box waits for the operator, which no
// figure here includes) and keeps the last text.
class QuietPrompter : public Prompter {
public:
    void warning(const QString &text) override { last = text; }
    void information(const QString &text) override { last = text; }
    bool confirm(const QString &text) override { last = text; return true; }
    bool askYesNo(const QString &text) override { last = text; return true; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, Overwrite) override { return {}; }
    QString last;
};

// The faces the program's start asks for by their Windows names.
void useProgramFonts()
{
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitution(QStringLiteral("微软雅黑"), QStringLiteral("Noto Sans CJK SC"));
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);
}

// What the operator sees once an action returns: the events it posted are
// handled and the window is painted again.
void settle(QWidget *window)
{
    QCoreApplication::processEvents();
    window->repaint();
}

// Processor time of the whole process (all threads), in ms: on a machine
// shared with other work it moves less than the wall time.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double g_lastCpu = 0;

template <class Action> double timed(QWidget *window, Action &&action)
{
    QElapsedTimer clock;
    const double cpu = processCpuMs();
    clock.start();
    action();
    settle(window);
    const double wall = double(clock.nsecsElapsed()) / 1e6;
    g_lastCpu = processCpuMs() - cpu;
    return wall;
}

template <class Action> double timedBare(Action &&action)
{
    QElapsedTimer clock;
    const double cpu = processCpuMs();
    clock.start();
    action();
    const double wall = double(clock.nsecsElapsed()) / 1e6;
    g_lastCpu = processCpuMs() - cpu;
    return wall;
}

void keepBare(Row &row, double wall)
{
    row.bare.push_back(wall);
    row.bareCpu.push_back(g_lastCpu);
}

// Keeps a wall time of ours and the processor time the last timed() took.
void keep(Row &row, double wall)
{
    row.ours.push_back(wall);
    row.oursCpu.push_back(g_lastCpu);
}



// A control inside the given widget, by its caption; not one of a window
// standing over it (the records window is a child of the main window).
template <class W> W *control(QWidget *within, const QString &caption)
{
    for (W *w : within->findChildren<W *>())
        if (w->window() == within->window() && w->accessibleName() == caption)
            return w;
    throw std::runtime_error("no control " + caption.toStdString() + " in " + within->objectName().toStdString());
}

template <class W> W *byObjectName(QWidget *window, const char *name)
{
    if (W *w = window->findChild<W *>(QLatin1String(name)))
        return w;
    throw std::runtime_error(std::string("no widget ") + name);
}

// A character committed by the input method, as Chinese text is typed.
void commitText(QWidget *box, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(box, &event);
}

struct Options {
    int goods = 100000;
    int lines = 1000000;
    int reps = 5;
    int coldReps = 3;
    bool records = false;
    bool sales = false;
    bool backup = false;
    bool prepare = false;
};

class Session {
public:
    explicit Session(const Options &options) : m_options(options)
    {
        m_dir = QDir(QStringLiteral("/var/tmp/quollin-bench/run-%1").arg(QCoreApplication::applicationPid()));
        m_dir.removeRecursively();
        QDir().mkpath(m_dir.path());
        m_path = m_dir.filePath(QStringLiteral("shop.db"));
        m_generated = copyCachedShopFile(m_path, options.goods, options.lines, threeYearsToThisMonth());
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("jxc.ini")));
        // The daily backup runs on the sign-in unless switched off; only the
        // backup run wants it.
        m_settings->write(QStringLiteral("autobackup"), options.backup ? QStringLiteral("yes") : QStringLiteral("no"));
        m_bare = std::make_unique<BareEngine>(m_path);
    }
    ~Session()
    {
        m_form.reset();
        m_shop.reset();
        m_bare.reset();
        m_dir.removeRecursively();
    }

    // The file was generated in this process: its memory figures include
    // what the generation left behind.
    bool generated() const { return m_generated; }

    QString rowsText(int n) const { return QLocale(QLocale::English).toString(n); }

    void signIn()
    {
        dropOsCache(m_path);
        const double before = residentMiB();
        std::optional<PeakSampler> sampler;
        if (m_options.backup)
            sampler.emplace();
        m_shop = std::make_unique<Shop>(ShopDatabase::open(m_path), *m_settings);
        m_form = std::make_unique<TMainForm>(*m_shop, m_prompter);
        m_form->show();
        auto *login = byObjectName<QDialog>(m_form.get(), "Tloginfm");
        if (!QTest::qWaitFor([&] { return login->isVisible(); }, 10000))
            throw std::runtime_error("the sign-in window did not show");
        byObjectName<QComboBox>(login, "nameBox")->setEditText(ShopDatabase::kSuperAdministrator);
        QTest::keyClicks(byObjectName<QLineEdit>(login, "passwordBox"), ShopDatabase::kInitialPassword);
        auto *button = byObjectName<QAbstractButton>(login, "signInButton");
        const QString rows = rowsText(m_options.goods) + QStringLiteral(" goods + ") + rowsText(m_options.lines)
                             + QStringLiteral(" lines");
        const QString action = m_options.backup ? QStringLiteral("sign-in (\"登 录\" to the repainted main window), daily backup on")
                                                : QStringLiteral("sign-in (\"登 录\" to the repainted main window)");
        QElapsedTimer untilListed;
        const double cpuBefore = processCpuMs();
        untilListed.start();
        keep(record(action, rows), timed(m_form.get(), [&] { button->click(); }));
        if (login->isVisible())
            throw std::runtime_error("sign-in failed: " + m_prompter.last.toStdString());
        // A large list goes on reading between events after the window shows,
        // with its progress in the status bar: the wait until it is listed.
        QStatusBar *status = m_form->statusBar();
        if (!QTest::qWaitFor([&] { return !status->currentMessage().startsWith(QStringLiteral("正在读取商品列表")); },
                             600000))
            throw std::runtime_error("the goods list was not read");
        settle(m_form.get());
        const double listed = double(untilListed.nsecsElapsed()) / 1e6;
        g_lastCpu = processCpuMs() - cpuBefore;
        if (!m_options.backup)
            keep(record(QStringLiteral("sign-in to the whole goods list shown (read between events)"), rows), listed);
        const double signedIn = residentMiB();
        const double signedInAnon = statusMiB("RssAnon:");
        if (!m_options.backup) {
            // Anonymous memory is the program's own; file pages (libraries,
            // the fonts, the collation data) are shared and can be dropped.
            note(action, rows, QStringLiteral("VmRSS signed in %1 MiB (%2 MiB before the file was opened): RssAnon %3 MiB, RssFile %4 MiB")
                                   .arg(signedIn, 0, 'f', 1)
                                   .arg(before, 0, 'f', 1)
                                   .arg(statusMiB("RssAnon:"), 0, 'f', 1)
                                   .arg(statusMiB("RssFile:"), 0, 'f', 1));
            return;
        }
        // The backup's file appears under its name once it is complete.
        const QString todays = QDir(QFileInfo(m_path).dir().filePath(QStringLiteral("自动备份")))
                                   .filePath(QStringLiteral("shop-%1.db").arg(QDate::currentDate().toString(Qt::ISODate)));
        QElapsedTimer clock;
        clock.start();
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(todays); }, 600000))
            throw std::runtime_error("the daily backup did not finish");
        QTest::qWait(200);
        const double peak = sampler->stop();
        note(action, rows, QStringLiteral("VmRSS right after sign-in %1 MiB, peak while the backup ran %2 MiB, "
                                          "after it %3 MiB; the backup ended %4 s after the sign-in. "
                                          "RssAnon right after sign-in %5 MiB, peak %6 MiB")
                               .arg(signedIn, 0, 'f', 1)
                               .arg(peak, 0, 'f', 1)
                               .arg(residentMiB(), 0, 'f', 1)
                               .arg(double(clock.elapsed()) / 1000, 0, 'f', 1)
                               .arg(signedInAnon, 0, 'f', 1)
                               .arg(sampler->peakAnon(), 0, 'f', 1));
    }

    void goodsActions()
    {
        QWidget *form = m_form.get();
        const QString rows = rowsText(m_options.goods);
        // The list's search area: the stock-in panel has boxes of the same captions.
        auto *search = byObjectName<QWidget>(form, "searchArea");
        auto *all = control<QAbstractButton>(search, QStringLiteral("全部记录"));
        auto *name = control<QLineEdit>(search, QStringLiteral("商品名称："));
        const QString allAction = QStringLiteral("goods \"全部记录\", warm");
        keep(record(QStringLiteral("goods \"全部记录\", first after sign-in"), rows), timed(form, [&] { all->click(); }));
        for (int i = 0; i < m_options.reps; ++i) {
            // Which of the two goes first changes every time.
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn + i) % 2 == 0)
                    keep(record(allAction, rows), timed(form, [&] { all->click(); }));
                else
                    keepBare(record(allAction, rows), timedBare([&] { m_bare->read(kGoodsAll); }));
            }
        }
        note(allAction, rows, QStringLiteral("VmRSS after: %1 MiB").arg(residentMiB(), 0, 'f', 1));

        const QString keyAction = QStringLiteral("goods keystroke \"k\" in \"商品名称：\", warm");
        const QString backAction = QStringLiteral("goods backspace to an empty \"商品名称：\"");
        name->setFocus();
        int found = 0;
        for (int i = 0; i < m_options.reps; ++i) {
            for (int turn = 0; turn < 2; ++turn) {
                if ((turn + i) % 2 == 0) {
                    keep(record(keyAction, rows), timed(form, [&] { QTest::keyClick(name, Qt::Key_K); }));
                    if (name->text() != QLatin1String("k"))
                        throw std::runtime_error("the keystroke did not reach the box");
                    keep(record(backAction, rows), timed(form, [&] { QTest::keyClick(name, Qt::Key_Backspace); }));
                } else {
                    keepBare(record(keyAction, rows), timedBare([&] { found = m_bare->read(kGoodsInitials, "%k%"); }));
                    keepBare(record(backAction, rows), timedBare([&] { m_bare->read(kGoodsNoCondition); }));
                }
            }
        }
        note(keyAction, rows, QStringLiteral("%1 rows found").arg(rowsText(found)));

        const QString coldAction = QStringLiteral("goods keystroke \"k\", cold (engine cache emptied, file dropped from the OS cache)");
        for (int i = 0; i < m_options.coldReps; ++i) {
            m_bare->invalidateOtherCaches();
            dropOsCache(m_path);
            keep(record(coldAction, rows), timed(form, [&] { QTest::keyClick(name, Qt::Key_K); }));
            QTest::keyClick(name, Qt::Key_Backspace);
            settle(form);
            m_bare->reopen();
            dropOsCache(m_path);
            keepBare(record(coldAction, rows), timedBare([&] { m_bare->read(kGoodsInitials, "%k%"); }));
        }
    }

    // Opens the sale panel on a row with stock by a double click, walking up
    // from the list's last row.
    QWidget *openSalePanel(int &row)
    {
        QWidget *form = m_form.get();
        auto *grid = byObjectName<QWidget>(form, "goodsGrid");
        auto *view = grid->findChild<QTableView *>();
        auto *panel = byObjectName<QWidget>(form, "salePanel");
        for (int tries = 0; tries < 50; ++tries, --row) {
            if (row < 0)
                row = view->model()->rowCount() - 1;
            const QModelIndex index = view->model()->index(row, 0);
            view->scrollTo(index);
            // What a double click on the row makes the view say; QTest's
            // double click on the viewport opened no panel here.
            view->setCurrentIndex(index);
            emit view->clicked(index);
            emit view->doubleClicked(index);
            settle(form);
            if (panel->isVisible())
                return panel;
        }
        throw std::runtime_error("no row opened the sale panel: " + m_prompter.last.toStdString());
    }

    void saleActions()
    {
        QWidget *form = m_form.get();
        const QString rows = rowsText(m_options.goods) + QStringLiteral(" goods + ") + rowsText(m_options.lines)
                             + QStringLiteral(" lines");
        control<QAbstractButton>(byObjectName<QWidget>(form, "searchArea"), QStringLiteral("全部记录"))->click();
        settle(form);
        m_form->openSummary(false);
        settle(form);
        auto *summary = byObjectName<QWidget>(form, "TForm1");
        if (!summary->isVisible())
            throw std::runtime_error("the goods summary did not open");
        int row = -1;
        const struct {
            const char *button;
            QString action;
        } ways[] = {{"确认销售", QStringLiteral("sale confirmation by \"确认销售\", goods summary open")},
                    {"销售确认", QStringLiteral("sale confirmation by \"销售确认\" (the keyboard's), goods summary open")}};
        for (const auto &way : ways) {
            for (int i = 0; i < 2 * m_options.reps; ++i) {
                QWidget *panel = openSalePanel(row);
                // Sell one and take it back, so stock lasts.
                control<QLineEdit>(panel, QStringLiteral("销售数量："))->setText(i % 2 == 0 ? QStringLiteral("1") : QStringLiteral("-1"));
                control<QComboBox>(panel, QStringLiteral("客户名称："))->setEditText(QStringLiteral("王伟超市"));
                auto *confirm = control<QAbstractButton>(panel, QString::fromUtf8(way.button));
                m_prompter.last.clear();
                keep(record(way.action, rows), timed(form, [&] { confirm->click(); }));
                if (panel->isVisible())
                    throw std::runtime_error("the sale was refused: " + m_prompter.last.toStdString());
            }
        }
        summary->close();
        settle(form);
    }

    void recordsActions()
    {
        QWidget *form = m_form.get();
        const QString rows = rowsText(m_options.lines);
        auto *open = control<QAbstractButton>(form, QStringLiteral("销售明细"));
        auto *records = byObjectName<QDialog>(form, "Txstj");
        std::exception_ptr failure;

        // The window waits modally for the operator: what it is timed on and
        // what is done in it runs inside its own event loop.
        auto inWindow = [&](auto &&work) {
            QElapsedTimer clock;
            const double cpu = processCpuMs();
            clock.start();
            QTimer::singleShot(0, records, [&] {
                try {
                    settle(records);
                    const double wall = double(clock.nsecsElapsed()) / 1e6;
                    g_lastCpu = processCpuMs() - cpu;
                    work(wall);
                } catch (...) {
                    failure = std::current_exception();
                }
                records->reject();
            });
            open->click();
            if (failure)
                std::rethrow_exception(failure);
        };

        const double before = residentMiB();
        dropOsCache(m_path);
        m_bare->invalidateOtherCaches();
        inWindow([&](double opened) {
            note(QStringLiteral("records window opening, first in the process (file dropped from the OS cache)"), rows,
                 QStringLiteral("VmRSS before: %1 MiB, opened: %2 MiB").arg(before, 0, 'f', 1).arg(residentMiB(), 0, 'f', 1));
            keep(record(QStringLiteral("records window opening, first in the process (file dropped from the OS cache)"), rows),
                 opened);
            // The search area: the slip composer has a box of the same caption.
            auto *search = byObjectName<QWidget>(records, "recordsSearch");
            auto *customer = control<QLineEdit>(search, QStringLiteral("客户名称："));
            auto *all = control<QAbstractButton>(search, QStringLiteral("全部记录"));
            const QString keyAction = QStringLiteral("records keystroke \"王\" (input method) in \"客户名称：\"");
            const QString backAction = QStringLiteral("records backspace to an empty \"客户名称：\"");
            customer->setFocus();
            // A long list shows first and its footer sums follow: both times
            // are kept, the second from the same start.
            auto *grid = byObjectName<DataGrid>(records, "recordsGrid");
            const int amountColumn = grid->model()->columnOf(QStringLiteral("4"));
            auto thenSums = [&](const QString &action, auto &&act) {
                QElapsedTimer clock;
                const double cpu = processCpuMs();
                clock.start();
                keep(record(action, rows), timed(records, act));
                while (grid->model()->rowCount() > 0 && grid->footer()->text(amountColumn).isEmpty())
                    QTest::qWait(1);
                settle(records);
                g_lastCpu = processCpuMs() - cpu;
                keep(record(action + QStringLiteral(", until its footer sums show"), rows), double(clock.nsecsElapsed()) / 1e6);
            };
            int found = 0;
            const int reps = std::max(1, m_options.reps / 2);
            for (int i = 0; i < reps; ++i) {
                for (int turn = 0; turn < 2; ++turn) {
                    if ((turn + i) % 2 == 0) {
                        thenSums(keyAction, [&] { commitText(customer, QStringLiteral("王")); });
                        if (customer->text() != QStringLiteral("王"))
                            throw std::runtime_error("the character did not reach the box");
                        thenSums(backAction, [&] { QTest::keyClick(customer, Qt::Key_Backspace); });
                    } else {
                        keepBare(record(keyAction, rows), timedBare([&] { found = m_bare->read(kLinesCustomer, "%王%"); }));
                        keepBare(record(backAction, rows), timedBare([&] { m_bare->read(kLinesNoCondition); }));
                    }
                }
            }
            note(keyAction, rows, QStringLiteral("%1 lines found").arg(rowsText(found)));
            const QString allAction = QStringLiteral("records \"全部记录\"");
            double afterFirst = 0;
            for (int i = 0; i < reps; ++i) {
                for (int turn = 0; turn < 2; ++turn) {
                    if ((turn + i) % 2 == 0) {
                        thenSums(allAction, [&] { all->click(); });
                        if (afterFirst == 0)
                            afterFirst = residentMiB();
                    } else {
                        keepBare(record(allAction, rows), timedBare([&] { m_bare->read(kLinesAll); }));
                    }
                }
            }
            note(allAction, rows, QStringLiteral("VmRSS after the first: %1 MiB, after the last: %2 MiB; VmHWM %3 MiB; "
                                                 "of these the bare engine's own page cache: %4 MiB")
                                      .arg(afterFirst, 0, 'f', 1)
                                      .arg(residentMiB(), 0, 'f', 1)
                                      .arg(statusMiB("VmHWM:"), 0, 'f', 1)
                                      .arg(m_bare->cacheMiB(), 0, 'f', 1));
            m_closingCpu = processCpuMs();
            m_closingStarted.start();
        });
        // The closing's own work (the goods list read again) ran in reject().
        settle(form);
        const double closing = double(m_closingStarted.nsecsElapsed()) / 1e6;
        g_lastCpu = processCpuMs() - m_closingCpu;
        const QString closeAction = QStringLiteral("records window closing, back to the repainted main window");
        keep(record(closeAction, rows), closing);
        note(closeAction, rows, QStringLiteral("VmRSS after closing: %1 MiB, of which the bare engine's own page cache: %2 MiB")
                                    .arg(residentMiB(), 0, 'f', 1)
                                    .arg(m_bare->cacheMiB(), 0, 'f', 1));
        const int reps = std::max(1, m_options.reps / 2);
        for (int i = 0; i < reps; ++i)
            inWindow([&](double opened) {
                keep(record(QStringLiteral("records window opening, again"), rows), opened);
            });
    }

private:
    Options m_options;
    QDir m_dir;
    QString m_path;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<BareEngine> m_bare;
    QuietPrompter m_prompter;
    std::unique_ptr<Shop> m_shop;
    std::unique_ptr<TMainForm> m_form;
    QElapsedTimer m_closingStarted;
    double m_closingCpu = 0;
    bool m_generated = false;
};

Options parse(const QStringList &arguments)
{
    Options o;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        auto number = [&] {
            if (i + 1 >= arguments.size())
                throw std::runtime_error("missing number after " + a.toStdString());
            return arguments.at(++i).toInt();
        };
        if (a == QLatin1String("--goods"))
            o.goods = number();
        else if (a == QLatin1String("--lines"))
            o.lines = number();
        else if (a == QLatin1String("--reps"))
            o.reps = number();
        else if (a == QLatin1String("--cold-reps"))
            o.coldReps = number();
        else if (a == QLatin1String("--records"))
            o.records = true;
        else if (a == QLatin1String("--sales"))
            o.sales = true;
        else if (a == QLatin1String("--backup"))
            o.backup = true;
        else if (a == QLatin1String("--prepare"))
            o.prepare = true;
        else
            throw std::runtime_error("unknown option " + a.toStdString());
    }
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setOrganizationName(QStringLiteral("brennick"));
    QCoreApplication::setApplicationName(QStringLiteral("jxc"));
    QApplication app(argc, argv);
    useProgramFonts();
    try {
        const Options options = parse(app.arguments());
        {
            Session session(options);
            if (options.prepare)
                return 0;
            if (session.generated())
                std::fprintf(stderr, "bench_operator: the file was generated in this run; run with --prepare "
                                     "first for memory figures of the program alone\n");
            session.signIn();
            if (!options.backup) {
                session.goodsActions();
                if (options.sales)
                    session.saleActions();
                if (options.records)
                    session.recordsActions();
            }
        }
        printReport(QStringLiteral("### %1 goods rows, %2 sale lines%3")
                        .arg(options.goods)
                        .arg(options.lines)
                        .arg(options.backup ? QStringLiteral(", daily backup") : QString()));
    } catch (const std::exception &e) {
        printReport(QStringLiteral("### incomplete"));
        std::fprintf(stderr, "bench_operator: %s\n", e.what());
        return 1;
    }
    return 0;
}
