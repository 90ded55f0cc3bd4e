#pragma once

#include "goods/GoodsRecord.h"
#include "goods/GoodsStore.h"

#include "widgets/FloatingPanel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quollin {

class Prompter;
class Shop;

// The floating stock-in panel over the goods list: records a new stock-in, or
// changes the goods row it was filled from. The checks and derived amounts are
// GoodsStore's; the panel reads its boxes and reports.
class StockInPanel : public FloatingPanel {
    Q_OBJECT
public:
    enum class Mode { New, Change };

    StockInPanel(Shop &shop, Prompter &prompter, QWidget *parent);

    Mode mode() const { return m_mode; }
    bool changeEnabled() const;
    // The row a change writes to: the one the panel was filled from.
    qint64 changeTarget() const { return m_target; }

    // The sale panel opened for this row: "修改入库" may now change it, and
    // the remark and date boxes show the row's own, so that nothing of
    // another row is left in the panel.
    void allowChangeOf(const GoodsRecord &row);
    void disableChange();
    void openForNew();
    void openForChange(const GoodsRecord &row);
    void prefill(const GoodsRecord &row);
    void setDropDowns(const GoodsDropDowns &lists);
    void clearValues();

    QComboBox *nameBox() const { return m_name; }
    QComboBox *specificationBox() const { return m_specification; }
    QComboBox *codeBox() const { return m_code; }
    QComboBox *categoryBox() const { return m_category; }
    QLineEdit *dateBox() const { return m_date; }
    QLineEdit *purchasePriceBox() const { return m_price; }
    QLineEdit *quantityBox() const { return m_quantity; }
    QLineEdit *salePriceBox() const { return m_salePrice; }
    QComboBox *supplierBox() const { return m_supplier; }
    QLabel *purchasePriceLabel() const { return m_priceLabel; }
    QCheckBox *hidePurchaseTick() const { return m_hidePurchase; }
    QLineEdit *remarksBox() const { return m_remarks; }
    QPushButton *newButton() const { return m_newButton; }
    QPushButton *changeButton() const { return m_changeButton; }

signals:
    // A stock-in was written; the text is the notice to show.
    void saved(const QString &notice, Mode mode);

public slots:
    void saveNew();
    void saveChange();
    void closePanel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StockInBoxes boxes() const;
    void setMode(Mode mode);
    bool report(const StockInCheck &check);
    QWidget *widgetFor(StockInBox box) const;

    Shop &m_shop;
    GoodsStore &m_store;
    Prompter &m_prompter;
    Mode m_mode = Mode::New;
    qint64 m_target = 0;

    QComboBox *m_name, *m_specification, *m_code, *m_category, *m_supplier;
    QLineEdit *m_date, *m_price, *m_quantity, *m_salePrice, *m_remarks;
    QLabel *m_priceLabel;
    QCheckBox *m_hidePurchase;
    QPushButton *m_newButton, *m_changeButton;
    QList<QWidget *> m_enterOrder;
};

} // namespace quollin
