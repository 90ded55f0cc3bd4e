#pragma once

#include "records/SalesStatistics.h"

#include <QChartView>
#include <QColor>

#include <vector>

class QGraphicsSimpleTextItem;
class QValueAxis;

namespace quollin {

// A flat bar chart over a fixed range of slots (months 0–12 or days 0–32):
// one bar for each slot that has a total, its value written above it, no
// legend and no grid lines; the value axis follows the totals.
class BarChart : public QChartView {
    Q_OBJECT
public:
    // unit: the word after each x label ("月", "日").
    BarChart(const QString &title, int lastSlot, const QString &unit, const QColor &colour, QWidget *parent = nullptr);

    void setBars(std::vector<StatBar> bars);
    const std::vector<StatBar> &bars() const { return m_bars; }
    QValueAxis *xAxis() const { return m_x; }
    QValueAxis *yAxis() const { return m_y; }
    // The texts written above the bars, in slot order.
    QStringList valueLabels() const;
    // The texts the value axis writes at its ticks, from the bottom.
    QStringList valueAxisLabels() const;

private:
    void placeLabels();

    QValueAxis *m_x;
    QValueAxis *m_y;
    QColor m_colour;
    std::vector<StatBar> m_bars;
    std::vector<QGraphicsSimpleTextItem *> m_labels;
};

} // namespace quollin
