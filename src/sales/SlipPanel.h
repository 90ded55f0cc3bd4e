#pragma once

#include "widgets/FloatingPanel.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quollin {

class DataGrid;
class GridModel;
class Prompter;
class Shop;
struct RecordedSale;

// The floating slip panel: the lines of the slip whose number the sale panel
// holds, their total, and the customer they are for. A sale on that slip, or
// a correction of sale lines, shows here by itself.
class SlipPanel : public FloatingPanel {
    Q_OBJECT
public:
    SlipPanel(Shop &shop, Prompter &prompter, QWidget *parent);

    DataGrid *grid() const { return m_grid; }
    GridModel *model() const { return m_model; }
    QLineEdit *totalBox() const { return m_total; }
    QLabel *customerCaption() const { return m_caption; }
    QString slipNumber() const { return m_number; }

signals:
    void previousRequested();
    void nextRequested();

public slots:
    // Lists the lines of exactly this slip.
    void showSlip(const QString &slipNumber, const QString &customer);
    void toggle();

private:
    void saleRecorded(const RecordedSale &sale);
    void reload();

    Shop &m_shop;
    Prompter &m_prompter;
    QString m_number;
    QString m_customer;
    DataGrid *m_grid;
    GridModel *m_model;
    QLabel *m_caption;
    QLineEdit *m_total;
};

} // namespace quollin
