#pragma once

#include "sales/PrintLayout.h"

#include <QString>

#include <functional>

class QPainter;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace quollin {

// Paints one page of a layout, its dots scaled to the device's resolution.
void PaintLayoutPage(QPainter &painter, const PrintLayout &layout, int page, double deviceDotsPerInch);

// Sends a layout to the system's default printer, or to a PDF file when one
// is set. Qt reports little about printers: whether a job started and ended
// is checked here, so that a caller acts only on a document that was printed.
class LayoutPrinter {
public:
    // Empty: the default printer.
    void setPdfFile(const QString &path) { m_pdfFile = path; }
    QString pdfFile() const { return m_pdfFile; }

    // Prints on a page of the layout's size. Empty when the whole document
    // went to the printer; otherwise what the operator reads, naming the
    // document (for example "小票").
    QString print(const PrintLayout &layout, const QString &document) const;

private:
    QString m_pdfFile;
};

// A print preview of the layout on its page size, from which the operator
// prints or saves a PDF; returns when the preview is closed. `extend` may
// add to the dialog before it opens.
void PreviewLayout(const PrintLayout &layout, QWidget *parent,
                   const std::function<void(QPrintPreviewDialog &)> &extend = {});

} // namespace quollin
