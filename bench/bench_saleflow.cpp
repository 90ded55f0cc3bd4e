// The sale as the operator meets it: the main window signed in over a file of
// 100,000 goods rows and 1,000,000 sale lines, the sale panel opened on a row,
// and the confirmation timed from the click to the refreshed list and slip.
#include "GoodsGenerator.h"
#include "SaleLineGenerator.h"

#include "app/TMainForm.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "goods/GoodsSummaryWindow.h"
#include "operators/Tloginfm.h"
#include "sales/SalePanel.h"
#include "widgets/DataGrid.h"
#include "widgets/PasswordBox.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>
#include <vector>

using namespace quollin;

namespace {

constexpr int kGoods = 100000;
constexpr int kLines = 1000000;

// Answers every box with OK and counts what it was shown.
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

struct Till {
    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Shop> shop;
    QuietPrompter prompter;
    std::unique_ptr<TMainForm> form;
    std::vector<qint64> goods;
    qint64 sales = 0;
};

Till &till()
{
    static Till t;
    if (t.form)
        return t;
    const QString path = t.dir.filePath(QStringLiteral("flow.db"));
    generateShopFile(path, kGoods, kLines, threeYearsToThisMonth());
    t.settings = std::make_unique<SettingsStore>(t.dir.filePath(QStringLiteral("jxc.ini")));
    t.shop = std::make_unique<Shop>(ShopDatabase::open(path), *t.settings);
    t.form = std::make_unique<TMainForm>(*t.shop, t.prompter);
    t.form->show();
    t.form->requestSignIn();
    Tloginfm *login = t.form->signInWindow();
    QTest::qWaitFor([&] { return login->isVisible(); });
    login->nameBox()->setEditText(QStringLiteral("超级管理员"));
    QTest::keyClicks(login->passwordBox(), QStringLiteral("582"));
    QElapsedTimer clock;
    clock.start();
    login->signInButton()->click();
    QTest::qWaitFor([&] { return t.form->signInLogId() != 0; });
    std::fprintf(stderr, "sign-in with the goods list and the customers loaded: %lld ms\n", clock.elapsed());

    t.goods = goodsWithStock(t.shop->db(), 1000);
    return t;
}

// Opens the panel on the row of sale i as a double click does: the row
// becomes the current one first.
void openFor(Till &t, qint64 i)
{
    const qint64 id = t.goods[size_t(i / 2) % t.goods.size()];
    GoodsList *goods = t.form->goodsList();
    goods->grid()->setCurrentRow(goods->rowOf(id));
    t.form->openSale(id);
    SalePanel *panel = t.form->salePanel();
    // Sale i sells one when even and takes it back when odd, so stock lasts.
    panel->quantityBox()->setText(i % 2 == 0 ? QStringLiteral("1") : QStringLiteral("-1"));
    panel->customerBox()->setEditText(QStringLiteral("王伟超市"));
}

void BM_WholeConfirmation(benchmark::State &state)
{
    Till &t = till();
    SalePanel *panel = t.form->salePanel();
    for (auto _ : state) {
        state.PauseTiming();
        openFor(t, t.sales);
        state.ResumeTiming();
        panel->confirmButton()->click();
        if (panel->isVisible()) {
            state.SkipWithError(t.prompter.last.toUtf8().constData());
            break;
        }
        ++t.sales;
    }
}

// The same confirmation with the goods summary open beside it: the summary
// follows the sale as well.
void BM_WholeConfirmationSummaryOpen(benchmark::State &state)
{
    Till &t = till();
    t.form->openSummary(false);
    GoodsSummaryWindow *summary = t.form->summaryWindow();
    QTest::qWaitFor([&] { return summary->isVisible() && summary->model()->rowCount() > 0; });
    SalePanel *panel = t.form->salePanel();
    for (auto _ : state) {
        state.PauseTiming();
        openFor(t, t.sales);
        state.ResumeTiming();
        panel->confirmButton()->click();
        if (panel->isVisible()) {
            state.SkipWithError(t.prompter.last.toUtf8().constData());
            break;
        }
        ++t.sales;
    }
    summary->close();
}

void BM_OpenSalePanel(benchmark::State &state)
{
    Till &t = till();
    for (auto _ : state) {
        openFor(t, t.sales);
        t.form->salePanel()->closePanel();
    }
}

// "+": the next slip number, its lines, and the customer list read again.
void BM_NextSlip(benchmark::State &state)
{
    Till &t = till();
    for (auto _ : state)
        t.form->salePanel()->nextSlip();
}

} // namespace

BENCHMARK(BM_WholeConfirmation)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WholeConfirmationSummaryOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_OpenSalePanel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NextSlip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
