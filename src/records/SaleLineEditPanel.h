#pragma once

#include "records/SaleLine.h"
#include "records/SaleLineStore.h"
#include "widgets/FloatingPanel.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace quollin {

// The panel over the records grid that shows one sale line: the goods and
// sale values to read, the arrears, slip number and customer data to
// correct. In modify mode it offers "修 改", in delete mode "删 除".
class SaleLineEditPanel : public FloatingPanel {
    Q_OBJECT
public:
    enum class Mode { Modify, Delete };

    explicit SaleLineEditPanel(QWidget *parent);

    // Shows the line in the given mode.
    void open(const SaleLine &line, Mode mode);
    Mode mode() const { return m_mode; }
    // The line shown; 0 after a deletion emptied the panel.
    qint64 lineId() const { return m_lineId; }
    SaleLineCorrection correction() const;
    // After a deletion: the shown values and the texts go, the arrears stay.
    void clearShown();

    QLineEdit *box(const QString &caption) const;
    QPushButton *modifyButton() const { return m_modify; }
    QPushButton *deleteButton() const { return m_delete; }
    QToolButton *closeMark() const { return m_close; }

signals:
    void modifyRequested();
    void deleteRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_name, *m_spec, *m_code, *m_category, *m_date, *m_price, *m_quantity, *m_amount;
    QLineEdit *m_arrears, *m_slip, *m_customer, *m_address, *m_phone, *m_remark;
    QPushButton *m_modify, *m_delete;
    QToolButton *m_close;
    Mode m_mode = Mode::Modify;
    qint64 m_lineId = 0;
};

} // namespace quollin
