#include "sales/PdfFallback.h"

#include "core/Prompter.h"
#include "sales/EscPosTicket.h"
#include "sales/PrintTexts.h"
#include "sales/TicketDevice.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QToolBar>

namespace quollin {

bool PrinterInstalled() { return !QPrinterInfo::availablePrinters().isEmpty(); }

PrintOutcome KeepAsPdf(const PrintLayout &layout, const QString &document, Prompter &prompter)
{
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(document + QStringLiteral(".pdf"));
    QString path = prompter.saveFileName(QStringLiteral("另存为PDF"), start, QStringLiteral("PDF文件 (*.pdf)"),
                                         Prompter::Overwrite::DialogAsks);
    if (path.trimmed().isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    LayoutPrinter pdf;
    pdf.setPdfFile(path);
    const QString failure = pdf.print(layout, document);
    return PrintOutcome{.done = failure.isEmpty(), .message = failure};
}

PrintOutcome PrintOrKeepAsPdf(const LayoutPrinter &printer, const PrintLayout &layout, const QString &document,
                              Prompter &prompter)
{
    if (!printer.pdfFile().isEmpty() || PrinterInstalled()) {
        const QString failure = printer.print(layout, document);
        return PrintOutcome{.done = failure.isEmpty(), .message = failure};
    }
    if (!prompter.askYesNo(QStringLiteral("没有安装打印机，%1无法打印。是否把%1另存为PDF文件？").arg(document)))
        return {};
    return KeepAsPdf(layout, document, prompter);
}

PrintOutcome PrintTicket(const LayoutPrinter &printer, const PrintLayout &ticket, const PrintTexts &texts,
                         Prompter &prompter)
{
    if (TicketDevice::kindOf(texts.ticketPrinter) == TicketDevice::Kind::SystemPrinter)
        return PrintOrKeepAsPdf(printer, ticket, QStringLiteral("小票"), prompter);
    const QString failure = TicketDevice::send(EscPosTicket::encode(ticket, texts.openDrawer), texts.ticketPrinter);
    return PrintOutcome{.done = failure.isEmpty(), .message = failure};
}

void PreviewLayoutOrKeepAsPdf(const PrintLayout &layout, const QString &document, Prompter &prompter,
                              QWidget *parent)
{
    if (PrinterInstalled()) {
        PreviewLayout(layout, parent);
        return;
    }
    PreviewLayout(layout, parent, [&](QPrintPreviewDialog &preview) {
        auto *save = new QAction(QStringLiteral("另存为PDF"), &preview);
        save->setObjectName(QStringLiteral("keepAsPdf"));
        QObject::connect(save, &QAction::triggered, &preview, [&] {
            const PrintOutcome outcome = KeepAsPdf(layout, document, prompter);
            if (!outcome.message.isEmpty())
                prompter.information(outcome.message);
        });
        if (auto *bar = preview.findChild<QToolBar *>())
            bar->addAction(save);
        else
            preview.addAction(save);
    });
}

} // namespace quollin
