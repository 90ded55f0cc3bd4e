// The goods summary and the spreadsheet export on a generated file of
// 100,000 goods rows: opening the summary (grouped read into the grid), and
// writing the goods list as a workbook through GridWorkbook against
// libxlsxwriter writing the same cells from a plain loop. Plain timings, the
// best of five runs each.
#include "core/Database.h"
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsList.h"
#include "goods/GoodsSummaryWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/GridOutput.h"
#include "widgets/GridWorkbook.h"
#include "widgets/MessageBoxPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace quollin;

namespace {

double bestOf(int runs, const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// The same cells as the export, written without the grid in between.
void plainLoop(const GridModel &model, const QString &path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column) {
            if (model.isNull(row, column))
                continue;
            if (isNumeric(model.column(column).kind))
                worksheet_write_number(sheet, lxw_row_t(row + 4), lxw_col_t(column), model.number(row, column), nullptr);
            else
                worksheet_write_string(sheet, lxw_row_t(row + 4), lxw_col_t(column),
                                       model.displayText(row, column).toUtf8().constData(), nullptr);
        }
    workbook_close(book);
}

// Goods rows of about 20,000 articles, five stock-ins each, with long
// Chinese names as a shop has them.
void generate(Database &db, int rows)
{
    Transaction t(db);
    Statement s = db.prepare(QStringLiteral(
        "INSERT INTO data (a,b,c,d,e,f,g,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",z,day1) "
        "VALUES (?,?,?,?,'','','供货商',2.5,?,?,3.5,1,3.5,?,?,'','2026-01-02')"));
    for (int i = 0; i < rows; ++i) {
        const int article = i % std::max(1, rows / 5);
        const double quantity = 10 + i % 17;
        s.bind(1, QStringLiteral("康师傅红烧牛肉面%1").arg(article));
        s.bind(2, QStringLiteral("%1g").arg(80 + article % 40));
        s.bind(3, QStringLiteral("69%1").arg(1000000 + article));
        s.bind(4, QStringLiteral("类别%1").arg(article % 30));
        s.bind(5, quantity);
        s.bind(6, quantity * 2.5);
        s.bind(7, quantity - 1);
        s.bind(8, (quantity - 1) * 2.5);
        s.exec();
        s.reset();
    }
    t.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("jxc.ini")));
    Shop shop(ShopDatabase::open(dir.filePath(QStringLiteral("data.db"))),
              settings);
    generate(shop.db(), rows);
    if (!shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok)
        return 1;
    MessageBoxPrompter prompter;
    QWidget window;

    GoodsSummaryWindow summary(shop, prompter, &window);
    const double open = bestOf(5, [&] {
        summary.show();
        summary.hide();
    });
    summary.show();
    std::printf("goods summary open, %d goods rows: %.1f ms (%d lines)\n", rows, open, summary.model()->rowCount());
    summary.hide();

    GoodsList list(shop, prompter, &window);
    list.grid()->resize(1000, 600);
    list.refreshAll();
    GridOutput output(list.grid(), shop, prompter, {QStringLiteral("商品进货统计报表"), QString()}, nullptr);
    const GridReport report = output.report();
    const QString path = dir.filePath(QStringLiteral("goods.xlsx"));
    const double exported = bestOf(5, [&] { GridWorkbook::write(report, QStringLiteral("商品进货统计报表"), path); });
    const double plain = bestOf(5, [&] { plainLoop(*list.grid()->model(), dir.filePath(QStringLiteral("plain.xlsx"))); });
    std::printf("goods list export, %d rows: %.0f ms; plain libxlsxwriter loop: %.0f ms; ratio %.2f\n",
                list.rowCount(), exported, plain, exported / plain);
    return 0;
}
