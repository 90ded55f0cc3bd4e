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
class Tpos;

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
    QLineEdit *cashBox() const { return m_cash; }
    QLineEdit *changeBox() const { return m_change; }
    QPushButton *ticketButton() const { return m_ticketButton; }
    QPushButton *slipPrintButton() const { return m_slipButton; }

    // Where tickets go: the default printer, or a PDF file.
    LayoutPrinter &ticketPrinter() { return m_printer; }
    // The texts of tickets and slips come from the print settings window's
    // boxes; without one, from the stored settings.
    void setPrintSettings(const Tpos *window) { m_printSettings = window; }
    // The ticket's print date is this box's text (the stock-in date box).
    void setDateSource(const QLineEdit *box) { m_dateSource = box; }

signals:
    void previousRequested();
    void nextRequested();

public slots:
    // Lists the lines of exactly this slip.
    void showSlip(const QString &slipNumber, const QString &customer);
    void toggle();
    // The next and previous number commands start a new tender.
    void resetCash();
    // "POS小票打印": the tender check, the ticket, then the next number.
    void printTicket();
    // "销售单打印": the slip in a preview, then the next number.
    void printSlip();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void saleRecorded(const RecordedSale &sale);
    void reload();
    // The change rule; loud: a cash text that is no number is reported.
    void updateChange(bool loud);
    PrintTexts printTexts() const;

    Shop &m_shop;
    Prompter &m_prompter;
    QString m_number;
    QString m_customer;
    DataGrid *m_grid;
    GridModel *m_model;
    QLabel *m_caption;
    QLineEdit *m_total;
    QLineEdit *m_cash;
    QLineEdit *m_change;
    QPushButton *m_ticketButton;
    QPushButton *m_slipButton;
    LayoutPrinter m_printer;
    const Tpos *m_printSettings = nullptr;
    const QLineEdit *m_dateSource = nullptr;
};

} // namespace quollin
