#pragma once

#include "sales/LayoutPrinter.h"
#include "widgets/FloatingPanel.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quollin {

class DataGrid;
class GridModel;
class Prompter;
class Shop;
struct PrintTexts;
struct RecordedSale;

// The floating slip panel: the lines of the session's current slip, their
// total, the customer they are for, and the tender of the cash received. A
// sale on that slip, or a correction of sale lines, shows here by itself.
class SlipPanel : public FloatingPanel {
    Q_OBJECT
public:
    SlipPanel(Shop &shop, Prompter &prompter, QWidget *parent);

    DataGrid *grid() const { return m_grid; }
    GridModel *model() const { return m_model; }
    QLineEdit *totalBox() const { return m_total; }
    QLabel *customerCaption() const { return m_caption; }
    QString slipNumber() const { return m_number; }
    QLineEdit *cashBox() const { return m_cash; }
    QLineEdit *changeBox() const { return m_change; }
    QPushButton *ticketButton() const { return m_ticketButton; }
    QPushButton *slipPrintButton() const { return m_slipButton; }

    // Where tickets go: the default printer, or a PDF file.
    LayoutPrinter &ticketPrinter() { return m_printer; }

public slots:
    void toggle();
    // "POS小票打印": the tender check, the ticket, then the next number.
    void printTicket();
    // "销售单打印": the slip in a preview, then the next number.
    void printSlip();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Lists the lines of exactly the current slip.
    void showSlip();
    void showCustomer(const QString &customer);
    void saleRecorded(const RecordedSale &sale);
    void showTotal();
    void nextSlip();
    // The change rule; loud: a cash text that is no number is reported.
    void updateChange(bool loud);

    Shop &m_shop;
    Prompter &m_prompter;
    QString m_number;
    DataGrid *m_grid;
    GridModel *m_model;
    QLabel *m_caption;
    QLineEdit *m_total;
    QLineEdit *m_cash;
    QLineEdit *m_change;
    QPushButton *m_ticketButton;
    QPushButton *m_slipButton;
    LayoutPrinter m_printer;
};

} // namespace quollin
