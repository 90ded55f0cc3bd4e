#pragma once

#include "widgets/GridReport.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace quollin {

// A grid laid out on printed pages, before anything is drawn: a page header
// "Page. N" over a double line on every page, the heading (bold, 14 points,
// centred) on the first, the two title lines of the columns on each page, the
// rows scaled to the page width and as tall as their wrapped text needs, and
// after the last row the footer line and the operator/date line, right-aligned.
// All lengths are in the paint device's pixels; the page is the area inside
// the margins, its top-left corner at the painter's origin.
class GridPrintLayout {
public:
    struct Page {
        int firstRow = 0;
        int rowCount = 0;
        bool heading = false;    // the heading stands above the grid
        bool footer = false;     // the footer line follows the rows
        bool operatorLine = false;
    };

    // `dpi` is the device's resolution; fonts are sized for it.
    GridPrintLayout(const GridReport &report, const QString &heading, const QString &operatorLine,
                    const QSizeF &page, qreal dpi);

    int pageCount() const { return int(m_pages.size()); }
    const Page &page(int index) const { return m_pages[size_t(index)]; }
    QString heading() const { return m_heading; }
    QString operatorLine() const { return m_operatorLine; }
    QFont headingFont() const { return m_headingFont; }
    // Column widths on the page, in the report's column order.
    const std::vector<qreal> &columnWidths() const { return m_widths; }
    qreal rowHeight(int row) const { return m_rowHeights[size_t(row)]; }

    // Draws one page; the painter's origin is the page's top-left corner.
    void render(QPainter &painter, int pageIndex) const;

    // "制表人：name    日期：yyyy-mm-dd", the line under a printed grid.
    static QString operatorLineFor(const QString &operatorName, const QDate &date);

private:
    qreal pageHeaderHeight() const;
    qreal headingHeight() const;
    qreal titleHeight() const;
    qreal lineHeight() const;
    QString cellText(int row, int reportColumn) const;
    void drawTitles(QPainter &painter, qreal top) const;
    void drawRow(QPainter &painter, int row, qreal top) const;
    void drawFooter(QPainter &painter, qreal top) const;

    GridReport m_report;
    QString m_heading;
    QString m_operatorLine;
    QSizeF m_page;
    qreal m_dpi;
    QFont m_font;
    QFont m_boldFont;
    QFont m_headingFont;
    qreal m_padding;
    std::vector<qreal> m_widths;
    std::vector<qreal> m_rowHeights;
    std::vector<Page> m_pages;
};

} // namespace quollin
