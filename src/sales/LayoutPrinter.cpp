#include "sales/LayoutPrinter.h"

#include "core/PrintableText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace quollin {

namespace {

void setPage(QPrinter &printer, const PrintLayout &layout)
{
    printer.setFullPage(true);
    // A roll is narrower than it is long; the page must not be turned.
    printer.setPageLayout(QPageLayout(
        QPageSize(layout.pageMillimetres, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

bool paintAll(QPrinter &printer, QPainter &painter, const PrintLayout &layout)
{
    for (int page = 0; page < layout.pageCount; ++page) {
        if (page > 0 && !printer.newPage())
            return false;
        PaintLayoutPage(painter, layout, page, printer.resolution());
    }
    return true;
}

} // namespace

void PaintLayoutPage(QPainter &painter, const PrintLayout &layout, int page, double deviceDotsPerInch)
{
    const double scale = deviceDotsPerInch / layout.dotsPerInch;
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(deviceDotsPerInch * 0.2 / 25.4); // 0.2 mm
    painter.setPen(pen);
    for (const PlacedRule &rule : layout.rules) {
        if (rule.page == page)
            painter.drawLine(QLineF(rule.line.p1() * scale, rule.line.p2() * scale));
    }
    for (const PlacedText &text : layout.texts) {
        const QString printed = PrintableText(text.text);
        if (text.page != page || printed.isEmpty())
            continue;
        QFont font(text.font.family);
        font.setPointSizeF(text.font.points);
        font.setBold(text.font.bold);
        painter.setFont(font);
        const QRectF box(text.box.x() * scale, text.box.y() * scale, text.box.width() * scale,
                         text.box.height() * scale);
        if (text.shrinkToFit) {
            for (double points = text.font.points;
                 points > 1 && painter.fontMetrics().horizontalAdvance(printed) > int(box.width());) {
                points -= 0.25;
                font.setPointSizeF(points);
                painter.setFont(font);
            }
        }
        // What does not fit its box is shortened visibly rather than cut
        // off or drawn over its neighbour.
        const QString shown = painter.fontMetrics().elidedText(printed, Qt::ElideRight, int(box.width()));
        painter.drawText(box, int(text.align) | Qt::TextSingleLine | Qt::TextDontClip, shown);
    }
    painter.restore();
}

QString LayoutPrinter::print(const PrintLayout &layout, const QString &document) const
{
    QPrinter printer(QPrinter::HighResolution);
    if (m_pdfFile.isEmpty()) {
        if (QPrinterInfo::availablePrinters().isEmpty())
            return QStringLiteral("没有安装打印机，%1没有打印。请先安装打印机。").arg(document);
        const QPrinterInfo target = QPrinterInfo::defaultPrinter();
        if (target.isNull())
            return QStringLiteral("没有设置默认打印机，%1没有打印。").arg(document);
        if (target.state() == QPrinter::Error)
            return QStringLiteral("打印机“%1”出错或拒绝打印，%2没有打印。请检查打印机。")
                .arg(target.printerName(), document);
        printer.setPrinterName(target.printerName());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdfFile);
    }
    setPage(printer, layout);

    QPainter painter;
    if (!painter.begin(&printer))
        return m_pdfFile.isEmpty()
                   ? QStringLiteral("打印机无法开始打印，%1没有打印。请检查打印机。").arg(document)
                   : QStringLiteral("无法写入文件“%1”，%2没有保存。").arg(m_pdfFile, document);
    const bool painted = paintAll(printer, painter, layout);
    if (!painted)
        printer.abort();
    if (!painter.end() || !painted || printer.printerState() == QPrinter::Aborted
        || printer.printerState() == QPrinter::Error)
        return QStringLiteral("打印被取消或出错，%1没有打印完整。请检查打印机后重新打印。").arg(document);
    return {};
}

void PreviewLayout(const PrintLayout &layout, QWidget *parent, const std::function<void(QPrintPreviewDialog &)> &extend)
{
    QPrinter printer(QPrinter::HighResolution);
    setPage(printer, layout);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&layout](QPrinter *target) {
        QPainter painter(target);
        paintAll(*target, painter, layout);
    });
    if (extend)
        extend(preview);
    preview.exec();
}

} // namespace quollin
