#include "widgets/GridOutput.h"

#include "core/Prompter.h"
#include "core/ShopContext.h"
#include "widgets/DataGrid.h"
#include "widgets/GridPrintLayout.h"
#include "widgets/GridWorkbook.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace quollin {

namespace {

GridOutput::FileOpener &fileOpener()
{
    static GridOutput::FileOpener opener = [](const QString &path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return opener;
}

// The hourglass for as long as the export runs, however it ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Replaces `target` by `source` in one step, so that the target is either
// the old file or the whole new one.
bool replaceFile(const QString &source, const QString &target, QString &error)
{
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(source.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), code);
    if (code)
        error = QString::fromLocal8Bit(code.message());
    return !code;
}

// A new empty file beside `target` under a name of its own, for the
// workbook to be written into. It is made with the mode of any new file
// (0666 less the umask), which the workbook keeps when it is renamed over
// the target: a temporary file's 0600 would hide the export from the other
// users the shop shares its files with.
QString reserveBeside(const QFileInfo &target, QString &error)
{
    const QString pattern =
        target.dir().filePath(QStringLiteral(".") + target.completeBaseName() + QStringLiteral("-%1.part"));
    const QFileDevice::Permissions anyNewFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                              | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QFile file(pattern.arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, anyNewFile))
            return file.fileName();
        error = file.errorString();
        // Only a name already taken is worth another try.
        if (!file.exists())
            break;
    }
    return {};
}

} // namespace

GridOutput::GridOutput(DataGrid *grid, const ShopContext &shop, Prompter &prompter, Titles titles, QObject *parent)
    : QObject(parent), m_grid(grid), m_shop(shop), m_prompter(prompter), m_titles(std::move(titles))
{
    m_exportAction = new QAction(QStringLiteral("导出Excel"), this);
    m_printAction = new QAction(QStringLiteral("打 印"), this);
    connect(m_exportAction, &QAction::triggered, this, &GridOutput::exportToSpreadsheet);
    connect(m_printAction, &QAction::triggered, this, &GridOutput::printPreview);
}

void GridOutput::setFileOpener(FileOpener opener) { fileOpener() = std::move(opener); }

QString GridOutput::withSuffix(const QString &path)
{
    if (QFileInfo(path).suffix().isEmpty())
        return path + QStringLiteral(".xlsx");
    return path;
}

GridReport GridOutput::report() const
{
    GridReport report;
    report.model = m_grid->model();
    // A printout or an export shows the whole list's sums, never a gap.
    if (GridModel *model = m_grid->model())
        model->settle();
    report.operatorName = m_shop.rights().operatorName();
    report.madeAt = QDateTime::currentDateTime();
    const QHeaderView *header = m_grid->header();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        report.columns.push_back(logical);
        report.widths.push_back(header->sectionSize(logical));
    }
    return report;
}

QString GridOutput::exportToSpreadsheet()
{
    // The question before replacing a file is this export's own (the suffix
    // may be added after the dialog).
    QString path = m_prompter.saveFileName(QStringLiteral("导出Excel"), QString(),
                                           QStringLiteral("Microsoft Excel xlsx文件 (*.xlsx)"),
                                           Prompter::Overwrite::CallerAsks);
    if (path.trimmed().isEmpty())
        return {};
    const GridReport report = this->report();
    if (!report.model || report.rowCount() == 0 || report.columns.empty())
        return {};
    path = withSuffix(path);
    const QFileInfo target(path);
    if (target.exists()
        && !m_prompter.titledQuestion(QStringLiteral("提示"),
                                      QStringLiteral("已存在文件（") + target.fileName() + QStringLiteral("），是否覆盖？")))
        return {};

    // Written under a name of its own beside the target, which it replaces
    // only once complete: a cancelled or failed export leaves the old file
    // (or none) and no half-written one.
    QString reserveError;
    const QString temporary = reserveBeside(target, reserveError);
    if (temporary.isEmpty()) {
        m_prompter.information(reserveError + QStringLiteral("：") + path);
        return {};
    }

    const int rows = report.rowCount();
    QProgressDialog progress(QStringLiteral("正在导出数据，请稍候......"), QStringLiteral("取消"), 0, rows,
                             m_grid->window());
    progress.setWindowTitle(QStringLiteral("导出Excel"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    GridWorkbook::Result result;
    {
        WaitCursor wait;
        // A step per row for small grids; about a thousand steps for large ones.
        const int step = std::max(1, rows / 1000);
        result = GridWorkbook::write(report, m_titles.exportTitle, temporary, [&progress, step, rows](int done) {
            if (done % step == 0 || done == rows)
                progress.setValue(done);
            return !progress.wasCanceled();
        });
    }
    progress.close();
    if (!result.ok) {
        QFile::remove(temporary);
        if (!result.cancelled)
            m_prompter.information(result.error + QStringLiteral("：") + path);
        return {};
    }
    QString error;
    if (!replaceFile(temporary, path, error)) {
        QFile::remove(temporary);
        m_prompter.information(error + QStringLiteral("：") + path);
        return {};
    }
    fileOpener()(path);
    return path;
}

void GridOutput::paintPages(QPrinter *printer) const
{
    const GridReport report = this->report();
    if (!report.model)
        return;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const GridPrintLayout layout(report, m_titles.printHeading,
                                 GridPrintLayout::operatorLineFor(report.operatorName, report.madeAt.date()),
                                 page.size(), printer->resolution());
    QPainter painter(printer);
    for (int index = 0; index < layout.pageCount(); ++index) {
        if (index > 0)
            printer->newPage();
        layout.render(painter, index);
    }
}

void GridOutput::printPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setColorMode(QPrinter::Color);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                           QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, m_grid->window());
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(m_titles.printHeading);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &GridOutput::paintPages);
    preview.exec();
}

} // namespace quollin
