#pragma once

#include "goods/GoodsRecord.h"
#include "sales/SaleTransaction.h"
#include "sales/SlipBook.h"

#include "widgets/FloatingPanel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace quollin {

class Prompter;
class Shop;
struct RecordedSale;

// The floating sale panel of the main window: sells the goods row it was
// opened from, one row a confirmation, under the slip number in its box. The
// sale itself is the shop's sale desk's; the panel reads its boxes, keeps the
// slip number and the customer boxes, and reports. The serial, and the slip
// the other windows list, are the session's current slip: the panel sets the
// number and customer there and builds its number when the serial steps.
class SalePanel : public FloatingPanel {
    Q_OBJECT
public:
    SalePanel(Shop &shop, Prompter &prompter, QWidget *parent);

    // The goods row the panel was opened from; 0 when none.
    qint64 goodsId() const { return m_row.id; }
    const GoodsRecord &goodsRow() const { return m_row; }

    // The goods row's values, read-only boxes that look like labels: the
    // caption is the accessible name, the value the text.
    QLineEdit *nameLabel() const { return m_name; }
    QLineEdit *specificationLabel() const { return m_specification; }
    QLineEdit *codeLabel() const { return m_code; }
    QLineEdit *categoryLabel() const { return m_category; }
    QLineEdit *suggestedPriceLabel() const { return m_suggested; }
    QLineEdit *priceBox() const { return m_price; }
    QLineEdit *discountBox() const { return m_discount; }
    QLineEdit *quantityBox() const { return m_quantity; }
    QLineEdit *stockBox() const { return m_stock; }
    QLineEdit *amountBox() const { return m_amount; }
    QLineEdit *arrearsBox() const { return m_arrears; }
    QLineEdit *dateBox() const { return m_date; }
    QLineEdit *slipNumberBox() const { return m_slipNumber; }
    QComboBox *customerBox() const { return m_customer; }
    QLineEdit *addressBox() const { return m_address; }
    QLineEdit *phoneBox() const { return m_phone; }
    QLineEdit *remarkBox() const { return m_remark; }
    QPushButton *confirmButton() const { return m_confirm; }
    QPushButton *keyboardConfirmButton() const { return m_keyboardConfirm; }
    QToolButton *returnButton() const { return m_return; }

signals:
    // The panel opened for a row: the stock-in panel may now change it.
    void opened(const GoodsRecord &row);
    // Closed by its close mark.
    void closed();
    // A sale was saved by the picture button (the other windows learn of it
    // from the shop; this is for the notice).
    void sold(const SaleResult &result, qint64 goodsId);
    void previewRequested();
    // A character typed while a scanned row waits on the picture button:
    // the start of the next scan, which replaces this sale.
    void scanTyped(const QString &text);

public slots:
    // A double click on a goods row.
    void open(const GoodsRecord &row);
    // A scanned code's row: opened as above with quantity 1 and the focus
    // on the picture button, where Enter sells one; a character typed
    // there instead is the next scan (scanTyped).
    void openScanned(const GoodsRecord &row);
    void confirm();
    void confirmByKeyboard();
    void toggleReturn();
    // Quantity 1, arrears 0, price emptied; the rest stays.
    void clearValues();
    // The close mark: hide and clear.
    void closePanel();
    void nextSlip();
    void previousSlip();
    // Today's number with the current serial into the box, and its slip listed.
    void buildSlipNumber();
    // Lists every known customer in the customer box and empties its text.
    void refillCustomers();
    // The slip in the box, with the customer typed, listed again.
    void refreshSlip();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Only an operator who may edit the sale date gets an editable box; the
    // rule dates everybody else's sale today in any case.
    void signedIn();
    SaleInput input() const;
    void recalculate();
    void discountChanged();
    void slipNumberEdited();
    void customerEdited();
    // The serial stepped ("+", "-" or the slip panel's commands).
    void stepped(bool forward);
    void reportAll(const QStringList &messages);
    // A saved sale's slip number: no longer a new slip, and shown when the
    // sale went onto another number than the box held.
    void filedUnder(const QString &slipNumber);
    // What runs after a sale (saved: its line reached the slip with it) or
    // a zero or short-stock refusal (the slip is listed again).
    void closingSteps(bool saved);
    // Shows a refusal; true when the closing steps still run.
    bool report(const SaleResult &result);
    QWidget *boxFor(SaleBox box) const;
    void addCustomer(const QString &name);

    Shop &m_shop;
    Prompter &m_prompter;
    GoodsRecord m_row;

    QLineEdit *m_name, *m_specification, *m_code, *m_category, *m_suggested;
    QLineEdit *m_price, *m_discount, *m_quantity, *m_stock, *m_amount, *m_arrears, *m_date, *m_slipNumber;
    QComboBox *m_customer;
    QLineEdit *m_address, *m_phone, *m_remark;
    QToolButton *m_return, *m_plus, *m_minus, *m_close;
    QPushButton *m_confirm, *m_preview, *m_keyboardConfirm;
    QList<QWidget *> m_enterOrder;
    bool m_scanned = false;
};

} // namespace quollin
