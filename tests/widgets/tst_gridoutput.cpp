#include "support/ShopFixture.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/GridOutput.h"
#include "widgets/GridPrintLayout.h"
#include "widgets/GridWorkbook.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace quollin;

namespace {

std::vector<GridColumn> sampleColumns()
{
    auto col = [](const char *field, const char *group, const char *title, GridKind kind,
                  FooterKind footer = FooterKind::None) {
        GridColumn c;
        c.field = QLatin1String(field);
        c.group = QString::fromUtf8(group);
        c.title = QString::fromUtf8(title);
        c.kind = kind;
        c.footer = footer;
        return c;
    };
    std::vector<GridColumn> columns{
        col("a", "商 品 信 息", "名 称", GridKind::Text, FooterKind::Text),
        col("c", "商 品 信 息", "编 码", GridKind::Text),
        col("2", "进 货", "数 量", GridKind::Quantity, FooterKind::Sum),
        col("3", "进 货", "金 额", GridKind::Amount, FooterKind::Sum),
        col("day1", "", "入库日期", GridKind::Date),
        col("z", "", "备 注", GridKind::Text),
    };
    columns[0].footerText = QStringLiteral("总计");
    return columns;
}

// A grid of `rows` goods rows, as a window would hold it.
struct SampleGrid : quollin::test::ShopFixture {
    explicit SampleGrid(int rows) : ShopFixture(Start::SignedInAsSuper)
    {
        GridRows data = model.emptyRows();
        for (int i = 0; i < rows; ++i) {
            const int row = data.addRow();
            data.setText(row, 0, i == 1 ? QStringLiteral("很长很长的商品名称需要在打印时折行显示") : QStringLiteral("可乐%1").arg(i));
            data.setText(row, 1, QStringLiteral("00%1").arg(i)); // a code is text, leading zeros and all
            data.setNumber(row, 2, i + 1);
            if (i != 2)
                data.setNumber(row, 3, (i + 1) * 2.5);
            data.setText(row, 4, QStringLiteral("2026-01-0%1").arg(i % 9 + 1));
            data.setText(row, 5, i == 0 ? QStringLiteral("备注") : QString());
        }
        model.setRows(std::move(data));
        grid.resize(800, 400);
        grid.setModel(&model);
    }
    GridModel model{sampleColumns()};
    DataGrid grid;
    GridOutput output{&grid, shop(), prompter, {QStringLiteral("商品进货统计报表"), QStringLiteral("商 品 进 货 统 计 报 表")},
                      nullptr};
    QString file(const char *name) const { return env.path(QString::fromUtf8(name)); }
};

// The system's Python first: that is the one the Debian package serves.
QString reader()
{
    for (const QString &python : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")})
        if (QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) == 0)
            return python;
    return {};
}

QJsonObject readBack(const QString &path)
{
    QProcess python;
    python.start(reader(), {QFINDTESTDATA("read_xlsx.py"), path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

bool haveReader() { return !reader().isEmpty(); }

QStringList leftovers(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

} // namespace

class GridOutputTest : public QObject {
    Q_OBJECT

    QStringList opened;

private slots:
    void init()
    {
        opened.clear();
        GridOutput::setFileOpener([this](const QString &path) { opened << path; });
    }

    void emptyGridWritesNothing()
    {
        SampleGrid g(0);
        g.prompter.queueFileName(g.file("empty.xlsx"));
        QCOMPARE(g.output.exportToSpreadsheet(), QString());
        QVERIFY(!QFile::exists(g.file("empty.xlsx")));
        QVERIFY(opened.isEmpty());
        // A cancelled dialog writes nothing either.
        SampleGrid full(3);
        QCOMPARE(full.output.exportToSpreadsheet(), QString());
        QVERIFY(opened.isEmpty());
    }

    void overwriteDeclinedKeepsTheOldFile()
    {
        SampleGrid g(3);
        const QString path = g.file("old.xlsx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        g.prompter.queueFileName(path);
        // No answer queued: the question's default, No.
        QCOMPARE(g.output.exportToSpreadsheet(), QString());
        QCOMPARE(g.prompter.lastText(), QStringLiteral("已存在文件（old.xlsx），是否覆盖？"));
        QCOMPARE(quollin::test::fileBytes(path), QByteArray("old"));
        QVERIFY(leftovers(g.env.path(QString())).isEmpty());

        g.prompter.queueFileName(path);
        g.prompter.queueAnswer(true);
        QCOMPARE(g.output.exportToSpreadsheet(), path);
        QVERIFY(quollin::test::fileBytes(path).startsWith("PK")); // a zip: the workbook
        QCOMPARE(opened, QStringList{path});
    }

    void workbookReadsBackAsTheGridShowsIt()
    {
        if (!haveReader())
            QSKIP("python3-openpyxl is not installed");
        SampleGrid g(4);
        g.grid.hideColumn(QStringLiteral("z"));
        g.grid.header()->moveSection(4, 0); // the date column first
        g.model.sortBy(2, Qt::DescendingOrder);
        g.prompter.queueFileName(g.file("报表 一")); // no suffix, a blank in the name
        const QString path = g.output.exportToSpreadsheet();
        QCOMPARE(path, g.file("报表 一.xlsx"));
        QVERIFY(QFile::exists(path));
        const QJsonObject book = readBack(path);
        QVERIFY(!book.isEmpty());
        const QJsonObject cells = book[QStringLiteral("cells")].toObject();
        auto value = [&cells](const char *at) -> QJsonValue { return cells[QLatin1String(at)].toObject()[QStringLiteral("value")]; };
        auto number = [&cells](const char *at) -> bool { return cells[QLatin1String(at)].toObject()[QStringLiteral("number")].toBool(); };
        QCOMPARE(value("D1").toString(), QStringLiteral("商品进货统计报表"));
        QCOMPARE(value("A2").toString(), QStringLiteral("制表人：超级管理员"));
        QVERIFY(value("F2").toString().startsWith(QStringLiteral("制表时间：") + QDate::currentDate().toString(Qt::ISODate)));
        // Titles: date column without a group, then the two groups merged.
        QCOMPARE(value("A4").toString(), QStringLiteral("入库日期"));
        QCOMPARE(value("B3").toString(), QStringLiteral("商 品 信 息"));
        QCOMPARE(value("D3").toString(), QStringLiteral("进 货"));
        QCOMPARE(value("C4").toString(), QStringLiteral("编 码"));
        QCOMPARE(value("E4").toString(), QStringLiteral("金 额"));
        const QJsonArray merged = book[QStringLiteral("merged")].toArray();
        QVERIFY(merged.contains(QStringLiteral("B3:C3")));
        QVERIFY(merged.contains(QStringLiteral("D3:E3")));
        // Rows in the order shown (quantity descending), hidden column left out.
        QCOMPARE(value("B5").toString(), QStringLiteral("可乐3"));
        QCOMPARE(value("C5").toString(), QStringLiteral("003"));
        QVERIFY(!number("C5"));
        QCOMPARE(value("D5").toDouble(), 4.0);
        QVERIFY(number("D5"));
        QCOMPARE(value("E5").toDouble(), 10.0);
        QVERIFY(!cells.contains(QStringLiteral("E6"))); // row i=2 has no amount: an empty cell
        QCOMPARE(value("A8").toString(), QStringLiteral("2026-01-01"));
        QVERIFY(!cells.contains(QStringLiteral("F5")));
        // The footer's fixed text below the last row.
        QCOMPARE(value("B9").toString(), QStringLiteral("总计"));
        QCOMPARE(book[QStringLiteral("rows")].toInt(), 9);
        QVERIFY(leftovers(g.env.path(QString())).isEmpty());
    }

    void exportCarriesTheFooterTotalsInAnOrdinaryFile()
    {
        if (!haveReader())
            QSKIP("python3-openpyxl is not installed");
        SampleGrid g(10);
        for (int row = 0; row < 10; ++row) {
            g.model.setValue(row, 2, 0.1);
            g.model.setValue(row, 3, 0.1);
        }
        QCOMPARE(g.output.report().footerText(3), QStringLiteral("1"));
        g.prompter.queueFileName(g.file("tenths.xlsx"));
#ifdef Q_OS_UNIX
        const mode_t mask = ::umask(022);
#endif
        const QString path = g.output.exportToSpreadsheet();
#ifdef Q_OS_UNIX
        ::umask(mask);
        // Readable by the others the shop shares its files with, as any new file.
        QCOMPARE(std::filesystem::status(path.toStdString()).permissions(), std::filesystem::perms(0644));
#endif
        const QJsonObject cells = readBack(path)[QStringLiteral("cells")].toObject();
        auto cell = [&cells](const char *at) { return cells[QLatin1String(at)].toObject(); };
        // Below the ten lines, "总计" and the sums the footer shows.
        QCOMPARE(cell("A15")[QStringLiteral("value")].toString(), QStringLiteral("总计"));
        for (const char *sum : {"C15", "D15"}) {
            QVERIFY2(cell(sum)[QStringLiteral("number")].toBool(), sum);
            QCOMPARE(cell(sum)[QStringLiteral("value")].toDouble(), 1.0);
        }
    }

    void cancelledExportLeavesTheOldFileAndNoPart()
    {
        SampleGrid g(30000);
        const QString path = g.file("big.xlsx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        g.prompter.queueFileName(path);
        g.prompter.queueAnswer(true);
        bool sawProgress = false;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<QProgressDialog *>(w); p && p->isVisible()) {
                    sawProgress = p->labelText() == QStringLiteral("正在导出数据，请稍候......") && p->value() > 0;
                    p->cancel();
                }
        });
        cancel.start(0);
        QCOMPARE(g.output.exportToSpreadsheet(), QString());
        QVERIFY(sawProgress);
        QCOMPARE(quollin::test::fileBytes(path), QByteArray("old"));
        QVERIFY(leftovers(g.env.path(QString())).isEmpty());
        QVERIFY(opened.isEmpty());
    }

    void workbookStopsWhenAskedAndLeavesNoFile()
    {
        SampleGrid g(50);
        const QString path = g.file("stopped.xlsx");
        GridReport report = g.output.report();
        const GridWorkbook::Result r =
            GridWorkbook::write(report, QStringLiteral("t"), path, [](int done) { return done < 10; });
        QVERIFY(r.cancelled);
        QVERIFY(!r.ok);
        QVERIFY(!QFile::exists(path));
        // A folder that does not exist: the library's error, no file.
        const GridWorkbook::Result missing =
            GridWorkbook::write(report, QStringLiteral("t"), g.file("no such folder/x.xlsx"));
        QVERIFY(!missing.ok);
        QVERIFY(!missing.error.isEmpty());
    }

    void printLayoutPagesEveryRowOnce()
    {
        SampleGrid g(200);
        const GridReport report = g.output.report();
        const qreal dpi = 100;
        // A4 less 2 cm on each side.
        const QSizeF page((210 - 40) / 25.4 * dpi, (297 - 40) / 25.4 * dpi);
        const GridPrintLayout layout(report, QStringLiteral("商 品 进 货 统 计 报 表"),
                                     GridPrintLayout::operatorLineFor(QStringLiteral("超级管理员"), QDate(2026, 1, 2)),
                                     page, dpi);
        QCOMPARE(layout.operatorLine(), QStringLiteral("制表人：超级管理员    日期：2026-01-02"));
        QVERIFY(layout.headingFont().bold());
        QCOMPARE(layout.headingFont().pixelSize(), 19); // 14 points at 100 dpi
        qreal width = 0;
        for (qreal w : layout.columnWidths())
            width += w;
        QVERIFY(qAbs(width - page.width()) < 0.5);
        // The long name wraps: its row is taller than the others.
        QVERIFY(layout.rowHeight(1) > layout.rowHeight(0) * 1.5);

        QVERIFY(layout.pageCount() > 2);
        int next = 0;
        for (int i = 0; i < layout.pageCount(); ++i) {
            const GridPrintLayout::Page &p = layout.page(i);
            QCOMPARE(p.heading, i == 0);
            QCOMPARE(p.firstRow, next);
            next += p.rowCount;
            if (i + 1 < layout.pageCount())
                QVERIFY(p.rowCount > 20);
        }
        QCOMPARE(next, 200);
        QVERIFY(layout.page(layout.pageCount() - 1).operatorLine);

        // Fewer rows, one page; an empty grid still prints its heading.
        SampleGrid small(5);
        QCOMPARE(GridPrintLayout(small.output.report(), QStringLiteral("x"), QString(), page, dpi).pageCount(), 1);
        SampleGrid none(0);
        QCOMPARE(GridPrintLayout(none.output.report(), QStringLiteral("x"), QString(), page, dpi).pageCount(), 1);

        // A page drawn, kept for looking at.
        const QString shots = qEnvironmentVariable("QUOLLIN_SCREENSHOTS");
        if (!shots.isEmpty()) {
            const qreal margin = 20 / 25.4 * dpi;
            QImage image(QSize(int(210 / 25.4 * dpi), int(297 / 25.4 * dpi)), QImage::Format_RGB32);
            image.setDotsPerMeterX(int(dpi / 0.0254));
            image.setDotsPerMeterY(int(dpi / 0.0254));
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.translate(margin, margin);
            layout.render(painter, 0);
            painter.end();
            QVERIFY(image.save(QDir(shots).filePath(QStringLiteral("printed-grid-page.png"))));
        }
    }

    void printPreviewShowsTheLaidOutPages()
    {
        SampleGrid g(120);
        int previewPages = -1;
        QString title;
        QTimer::singleShot(0, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QPrintPreviewDialog *>(w)) {
                    title = d->windowTitle();
                    if (auto *view = d->findChild<QPrintPreviewWidget *>()) {
                        view->updatePreview();
                        previewPages = view->pageCount();
                    }
                    d->reject();
                }
        });
        g.output.printPreview();
        QCOMPARE(title, QStringLiteral("商 品 进 货 统 计 报 表"));
        // The same pages as the layout for an A4 page inside 2 cm margins.
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
        const GridPrintLayout layout(g.output.report(), QStringLiteral("x"), QStringLiteral("y"), page.size(),
                                     printer.resolution());
        QVERIFY(layout.pageCount() > 1);
        QCOMPARE(previewPages, layout.pageCount());
    }
};

QTEST_MAIN(GridOutputTest)
#include "tst_gridoutput.moc"
