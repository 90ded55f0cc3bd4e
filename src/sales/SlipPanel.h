#pragma once

#include "widgets/FloatingPanel.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quollin {

class DataGrid;
class GridModel;
class Prompter;
class SlipBook;

// The floating slip panel: the lines of the slip whose number the sale panel
// holds, their total, and the customer they are for.
class SlipPanel : public FloatingPanel {
    Q_OBJECT
public:
    SlipPanel(SlipBook &book, Prompter &prompter, QWidget *parent);

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
    SlipBook &m_book;
    Prompter &m_prompter;
    QString m_number;
    DataGrid *m_grid;
    GridModel *m_model;
    QLabel *m_caption;
    QLineEdit *m_total;
};

} // namespace quollin
