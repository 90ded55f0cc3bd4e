#pragma once

#include "records/ComposerRows.h"
#include "sales/LayoutPrinter.h"
#include "widgets/FloatingPanel.h"

#include <array>
#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace quollin {

class Prompter;
class Shop;
struct ComposerPrint;
struct PrintTexts;

// The six-line slip composer of the sales records window: up to six sale
// lines gathered from confirmed sales and from the records grid, with a cash
// tender of its own, printed as a POS ticket or as a six-line slip. It keeps
// its rows until they are printed, deleted or the panel is closed.
class SlipComposer : public FloatingPanel {
    Q_OBJECT
public:
    // The columns of a row, in the order shown.
    enum Column { Code, Name, Specification, Quantity, Price, Amount, ColumnCount };

    SlipComposer(Shop &shop, Prompter &prompter, QWidget *parent);

    // Puts the line into the first empty row; the row it went into, or -1
    // when all six hold a line (nothing is carried then).
    int carry(const ComposerRow &row);

    const ComposerRows &rows() const { return m_rows; }
    QLineEdit *customerBox() const { return m_customer; }
    QPlainTextEdit *remarkBox() const { return m_remark; }
    QLineEdit *box(int row, Column column) const { return m_boxes[size_t(row)][size_t(column)]; }
    QPushButton *deleteButton(int row) const { return m_deletes[size_t(row)]; }
    QLineEdit *totalBox() const { return m_total; }
    QLineEdit *cashBox() const { return m_cash; }
    QLineEdit *changeBox() const { return m_change; }
    QPushButton *ticketButton() const { return m_ticketButton; }
    QPushButton *slipButton() const { return m_slipButton; }
    QToolButton *closeButton() const { return m_close; }

    // Where tickets go when the print settings choose no receipt printer:
    // the default printer, or a PDF file.
    LayoutPrinter &ticketPrinter() { return m_printer; }
    // The print settings in force (the receipt printer and its drawer);
    // without them, the stored ones.
    void setPrintTexts(std::function<PrintTexts()> texts) { m_printTexts = std::move(texts); }
    // The shop's name and address line come from these boxes.
    void setShopLines(const QLineEdit *company, const QLineEdit *address);

    // What the ticket and the slip would print now.
    ComposerPrint printContent() const;

public slots:
    // "POS小票打印": the ticket, then the composer is cleared.
    void printTicket();
    // "销售单预览(6条)": the six-line slip in a preview, then the composer is
    // cleared and its customer and remark emptied.
    void previewSlip();
    // Rows, customer, cash and change emptied.
    void clear();
    // "删": one row emptied.
    void deleteRow(int row);
    // The close mark: every row emptied and the panel hidden.
    void closePanel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRows();
    void updateChange();

    Shop &m_shop;
    Prompter &m_prompter;
    ComposerRows m_rows;
    QLineEdit *m_customer;
    QPlainTextEdit *m_remark;
    std::array<std::array<QLineEdit *, ColumnCount>, ComposerRows::kRows> m_boxes{};
    std::array<QPushButton *, ComposerRows::kRows> m_deletes{};
    QLineEdit *m_total;
    QLineEdit *m_cash;
    QLineEdit *m_change;
    QPushButton *m_ticketButton;
    QPushButton *m_slipButton;
    QToolButton *m_close;
    LayoutPrinter m_printer;
    std::function<PrintTexts()> m_printTexts;
    const QLineEdit *m_company = nullptr;
    const QLineEdit *m_address = nullptr;
};

} // namespace quollin
