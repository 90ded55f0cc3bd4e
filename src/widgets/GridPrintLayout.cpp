#include "widgets/GridPrintLayout.h"

#include "core/DateText.h"
#include "core/PrintableText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quollin {

namespace {

constexpr qreal kGridPoints = 9;
constexpr qreal kHeadingPoints = 14;
const QColor kTitleGround(0xE4, 0xE4, 0xE4);
const QColor kFooterGround(0xF2, 0xF2, 0xF2);
const QColor kLine(0x80, 0x80, 0x80);
constexpr int kWrap = Qt::TextWordWrap | Qt::TextWrapAnywhere;

QFont sized(qreal points, qreal dpi, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    // Pixels of the device, so that the layout and the drawing agree.
    font.setPixelSize(std::max(1, int(std::lround(points * dpi / 72.0))));
    font.setBold(bold);
    return font;
}

Qt::Alignment alignmentOf(const GridColumn &c)
{
    if (c.alignment)
        return c.alignment;
    switch (c.kind) {
    case GridKind::Text:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case GridKind::Date:
        return Qt::AlignCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

} // namespace

QString GridPrintLayout::operatorLineFor(const QString &operatorName, const QDate &date)
{
    return QStringLiteral("制表人：") + operatorName + QStringLiteral("    日期：") + DateText::date(date);
}

GridPrintLayout::GridPrintLayout(const GridReport &report, const QString &heading, const QString &operatorLine,
                                 const QSizeF &page, qreal dpi)
    : m_report(report), m_heading(heading), m_operatorLine(operatorLine), m_page(page), m_dpi(dpi),
      m_font(sized(kGridPoints, dpi, false)), m_boldFont(sized(kGridPoints, dpi, true)),
      m_headingFont(sized(kHeadingPoints, dpi, true)), m_padding(std::max<qreal>(1, dpi / 48.0))
{
    // The grid scaled to the page width, the columns keeping their shares.
    const int shown = int(m_report.columns.size());
    qreal total = 0;
    for (int i = 0; i < shown; ++i)
        total += i < int(m_report.widths.size()) ? std::max(m_report.widths[size_t(i)], 1) : 64;
    for (int i = 0; i < shown; ++i) {
        const qreal w = i < int(m_report.widths.size()) ? std::max(m_report.widths[size_t(i)], 1) : 64;
        m_widths.push_back(total > 0 ? m_page.width() * w / total : 0);
    }

    // Each row as tall as its longest wrapped cell.
    const QFontMetricsF metrics(m_font);
    const qreal line = lineHeight();
    const int rows = m_report.rowCount();
    m_rowHeights.reserve(size_t(rows));
    for (int row = 0; row < rows; ++row) {
        qreal height = line;
        for (int i = 0; i < shown; ++i) {
            const QString text = cellText(row, i);
            const qreal inner = m_widths[size_t(i)] - 2 * m_padding;
            if (text.isEmpty() || metrics.horizontalAdvance(text) <= inner)
                continue;
            const QRectF needed = metrics.boundingRect(QRectF(0, 0, std::max<qreal>(inner, 1), 1e9), kWrap, text);
            height = std::max(height, needed.height() + 2 * m_padding);
        }
        m_rowHeights.push_back(height);
    }

    // Pages: rows until the next one would not fit; the footer and the
    // operator line go where room is left, or onto a page of their own.
    const qreal top = pageHeaderHeight();
    const qreal end = m_page.height();
    Page current;
    current.heading = true;
    qreal y = top + headingHeight() + titleHeight();
    for (int row = 0; row < rows; ++row) {
        const qreal h = m_rowHeights[size_t(row)];
        if (y + h > end && current.rowCount > 0) {
            m_pages.push_back(current);
            current = Page{};
            current.firstRow = row;
            y = top + titleHeight();
        }
        if (current.rowCount == 0)
            current.firstRow = row;
        ++current.rowCount;
        y += h;
    }
    if (y + line > end) {
        m_pages.push_back(current);
        current = Page{};
        current.firstRow = rows;
        y = top + titleHeight();
    }
    current.footer = true;
    y += line;
    if (y + line * 1.5 > end) {
        m_pages.push_back(current);
        current = Page{};
        current.firstRow = rows;
    }
    current.operatorLine = true;
    m_pages.push_back(current);
}

qreal GridPrintLayout::lineHeight() const { return QFontMetricsF(m_font).height() + 2 * m_padding; }

qreal GridPrintLayout::pageHeaderHeight() const { return QFontMetricsF(m_font).height() + 4 * m_padding + m_dpi / 12; }

qreal GridPrintLayout::headingHeight() const { return QFontMetricsF(m_headingFont).height() * 1.8; }

qreal GridPrintLayout::titleHeight() const { return 2 * lineHeight(); }

QString GridPrintLayout::cellText(int row, int reportColumn) const
{
    return PrintableText(m_report.model->displayText(row, m_report.columns[size_t(reportColumn)]));
}

void GridPrintLayout::render(QPainter &painter, int pageIndex) const
{
    const Page &p = m_pages[size_t(pageIndex)];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Page header: "Page. N" centred over a double line.
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    const qreal textHeight = QFontMetricsF(m_font).height();
    painter.drawText(QRectF(0, 0, m_page.width(), textHeight), Qt::AlignCenter,
                     QStringLiteral("Page. %1").arg(pageIndex + 1));
    const qreal first = textHeight + 2 * m_padding;
    const qreal gap = std::max<qreal>(2, m_dpi / 50);
    QPen rule(Qt::black);
    rule.setWidthF(std::max<qreal>(1, m_dpi / 150));
    painter.setPen(rule);
    painter.drawLine(QPointF(0, first), QPointF(m_page.width(), first));
    painter.drawLine(QPointF(0, first + gap), QPointF(m_page.width(), first + gap));

    qreal y = pageHeaderHeight();
    if (p.heading) {
        painter.setFont(m_headingFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y, m_page.width(), headingHeight()), Qt::AlignCenter, m_heading);
        y += headingHeight();
    }
    drawTitles(painter, y);
    y += titleHeight();
    for (int row = p.firstRow; row < p.firstRow + p.rowCount; ++row) {
        drawRow(painter, row, y);
        y += m_rowHeights[size_t(row)];
    }
    if (p.footer) {
        drawFooter(painter, y);
        y += lineHeight();
    }
    if (p.operatorLine) {
        painter.setFont(m_font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y + lineHeight() * 0.5, m_page.width(), lineHeight()),
                         Qt::AlignRight | Qt::AlignVCenter, PrintableText(m_operatorLine));
    }
    painter.restore();
}

void GridPrintLayout::drawTitles(QPainter &painter, qreal top) const
{
    const qreal line = lineHeight();
    const GridModel &model = *m_report.model;
    const int shown = int(m_report.columns.size());
    painter.setFont(m_boldFont);
    qreal x = 0;
    for (int i = 0; i < shown;) {
        const QString group = model.column(m_report.columns[size_t(i)]).group;
        int last = i;
        qreal span = m_widths[size_t(i)];
        while (!group.isEmpty() && last + 1 < shown && model.column(m_report.columns[size_t(last + 1)]).group == group)
            span += m_widths[size_t(++last)];
        if (group.isEmpty()) {
            // No group: the title over both lines.
            const QRectF cell(x, top, span, 2 * line);
            painter.fillRect(cell, kTitleGround);
            painter.setPen(kLine);
            painter.drawRect(cell);
            painter.setPen(Qt::black);
            painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignCenter | kWrap,
                             model.column(m_report.columns[size_t(i)]).title);
        } else {
            const QRectF upper(x, top, span, line);
            painter.fillRect(upper, kTitleGround);
            painter.setPen(kLine);
            painter.drawRect(upper);
            painter.setPen(Qt::black);
            painter.drawText(upper, Qt::AlignCenter, group);
            qreal cx = x;
            for (int c = i; c <= last; ++c) {
                const QRectF lower(cx, top + line, m_widths[size_t(c)], line);
                painter.fillRect(lower, kTitleGround);
                painter.setPen(kLine);
                painter.drawRect(lower);
                painter.setPen(Qt::black);
                painter.drawText(lower.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignCenter,
                                 model.column(m_report.columns[size_t(c)]).title);
                cx += m_widths[size_t(c)];
            }
        }
        x += span;
        i = last + 1;
    }
}

void GridPrintLayout::drawRow(QPainter &painter, int row, qreal top) const
{
    const GridModel &model = *m_report.model;
    const qreal height = m_rowHeights[size_t(row)];
    painter.setFont(m_font);
    // The grid's own colours: a highlighted row keeps its text colour.
    const QVariant colour = model.data(model.index(row, 0), Qt::ForegroundRole);
    const QColor text = colour.isValid() ? colour.value<QColor>() : QColor(Qt::black);
    qreal x = 0;
    for (int i = 0; i < int(m_report.columns.size()); ++i) {
        const QRectF cell(x, top, m_widths[size_t(i)], height);
        painter.setPen(kLine);
        painter.drawRect(cell);
        painter.setPen(text);
        const GridColumn &c = model.column(m_report.columns[size_t(i)]);
        painter.drawText(cell.adjusted(m_padding, m_padding, -m_padding, -m_padding), int(alignmentOf(c)) | kWrap,
                         cellText(row, i));
        x += m_widths[size_t(i)];
    }
}

void GridPrintLayout::drawFooter(QPainter &painter, qreal top) const
{
    const GridModel &model = *m_report.model;
    painter.setFont(m_boldFont);
    qreal x = 0;
    for (int i = 0; i < int(m_report.columns.size()); ++i) {
        const QRectF cell(x, top, m_widths[size_t(i)], lineHeight());
        painter.fillRect(cell, kFooterGround);
        painter.setPen(kLine);
        painter.drawRect(cell);
        const int column = m_report.columns[size_t(i)];
        const GridColumn &c = model.column(column);
        Qt::Alignment align = c.footerAlignment;
        if (!align)
            align = c.footer == FooterKind::Sum ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter;
        painter.setPen(Qt::black);
        painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), int(align),
                         PrintableText(m_report.footerText(column)));
        x += m_widths[size_t(i)];
    }
}

} // namespace quollin
