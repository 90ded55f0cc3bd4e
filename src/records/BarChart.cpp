#include "records/BarChart.h"

#include "core/NumberText.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace quollin {

namespace {

// Bars take 15 percent of a slot.
constexpr double kBarWidth = 0.15;

// The fewest decimals that write every tick of the value axis as it is:
// totals of a few yuan tick at 0.5 or 0.2, which "%.0f" would write as
// "0 / 0 / 1".
int tickDecimals(const QValueAxis &axis)
{
    const int ticks = std::max(2, axis.tickCount());
    const double step = (axis.max() - axis.min()) / (ticks - 1);
    constexpr int kMost = 6;
    for (int decimals = 0; decimals < kMost; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        bool exact = true;
        for (int i = 0; i < ticks && exact; ++i) {
            const double v = (axis.min() + i * step) * scale;
            exact = std::fabs(v - std::round(v)) < 1e-6 * std::max(1.0, std::fabs(v));
        }
        if (exact)
            return decimals;
    }
    return kMost;
}

} // namespace

BarChart::BarChart(const QString &title, int lastSlot, const QString &unit, const QColor &colour, QWidget *parent)
    : QChartView(parent), m_colour(colour)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSize(titleFont.pointSize() + 2);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    // Labels are texts of their own ("3月"): a printf label format would
    // not carry the Chinese unit.
    auto *x = new QCategoryAxis(chart);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(0);
    // One label a slot for the months, every other day for the days.
    const int step = lastSlot <= 12 ? 1 : 2;
    for (int slot = 0; slot <= lastSlot; slot += step)
        x->append(QString::number(slot) + unit, slot);
    x->setRange(0, lastSlot);
    m_x = x;
    m_x->setGridLineVisible(false);
    m_x->setMinorGridLineVisible(false);
    m_y = new QValueAxis(chart);
    m_y->setGridLineVisible(false);
    m_y->setMinorGridLineVisible(false);
    m_y->setLabelFormat(QStringLiteral("%.0f"));
    m_y->setRange(0, 1);
    chart->addAxis(m_x, Qt::AlignBottom);
    chart->addAxis(m_y, Qt::AlignLeft);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    setAccessibleName(title);
    connect(chart, &QChart::plotAreaChanged, this, &BarChart::placeLabels);
}

void BarChart::setBars(std::vector<StatBar> bars)
{
    QChart *c = chart();
    c->removeAllSeries();
    for (QGraphicsSimpleTextItem *label : m_labels)
        delete label;
    m_labels.clear();
    m_bars = std::move(bars);
    std::sort(m_bars.begin(), m_bars.end(), [](const StatBar &a, const StatBar &b) { return a.slot < b.slot; });

    double low = 0, high = 0;
    for (const StatBar &bar : m_bars) {
        low = std::min(low, bar.total);
        high = std::max(high, bar.total);
    }
    if (low == 0 && high == 0)
        high = 1;
    // Room above (and below) the bars for their values.
    const double room = (high - low) * 0.12;
    m_y->setRange(low < 0 ? low - room : 0, high > 0 ? high + room : 0);
    m_y->applyNiceNumbers();
    m_y->setLabelFormat(QStringLiteral("%.%1f").arg(tickDecimals(*m_y)));

    for (const StatBar &bar : m_bars) {
        auto *top = new QLineSeries;
        auto *base = new QLineSeries;
        top->append(bar.slot - kBarWidth / 2, bar.total);
        top->append(bar.slot + kBarWidth / 2, bar.total);
        base->append(bar.slot - kBarWidth / 2, 0);
        base->append(bar.slot + kBarWidth / 2, 0);
        auto *area = new QAreaSeries(top, base);
        top->setParent(area);
        base->setParent(area);
        area->setBrush(m_colour);
        area->setPen(QPen(m_colour.darker(140), 1));
        c->addSeries(area);
        area->attachAxis(m_x);
        area->attachAxis(m_y);
        auto *label = new QGraphicsSimpleTextItem(NumberText::amount(bar.total), c);
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        label->setFont(small);
        label->setZValue(10);
        m_labels.push_back(label);
    }
    placeLabels();
}

QStringList BarChart::valueLabels() const
{
    QStringList texts;
    for (const QGraphicsSimpleTextItem *label : m_labels)
        texts << label->text();
    return texts;
}

QStringList BarChart::valueAxisLabels() const
{
    QStringList texts;
    const int ticks = std::max(2, m_y->tickCount());
    const double step = (m_y->max() - m_y->min()) / (ticks - 1);
    const QByteArray format = m_y->labelFormat().toLatin1();
    for (int i = 0; i < ticks; ++i)
        texts << QString::asprintf(format.constData(), m_y->min() + i * step);
    return texts;
}

void BarChart::placeLabels()
{
    for (size_t i = 0; i < m_labels.size() && i < m_bars.size(); ++i) {
        const StatBar &bar = m_bars[i];
        const QPointF at = chart()->mapToPosition(QPointF(bar.slot, bar.total));
        const QRectF box = m_labels[i]->boundingRect();
        // Above a bar that rises, below one that falls.
        const double y = bar.total >= 0 ? at.y() - box.height() - 2 : at.y() + 2;
        m_labels[i]->setPos(at.x() - box.width() / 2, y);
    }
}

} // namespace quollin
