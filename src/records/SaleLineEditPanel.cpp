#include "records/SaleLineEditPanel.h"

#include "core/NumberText.h"
#include "widgets/NamedWidgets.h"
#include "widgets/NumberKeysValidator.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace quollin {

namespace {

QString numberText(const std::optional<double> &value) { return value ? NumberText::general(*value) : QString(); }

} // namespace

SaleLineEditPanel::SaleLineEditPanel(QWidget *parent) : FloatingPanel(parent)
{
    setObjectName(QStringLiteral("saleLineEditPanel"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 4, 12, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("×"));
    m_close->setAccessibleName(QStringLiteral("关闭"));
    m_close->setAutoRaise(true);
    grid->addWidget(m_close, 0, 4, Qt::AlignRight);
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);

    int row = 1;
    int column = 0;
    auto add = [&](const QString &caption, const char *name, bool editable) {
        auto *label = new QLabel(caption, this);
        auto *box = Named(new QLineEdit(this), caption, name);
        box->setReadOnly(!editable);
        box->setMinimumWidth(130);
        label->setBuddy(box);
        grid->addWidget(label, row, column);
        grid->addWidget(box, row, column + 1);
        // Two columns: goods and sale on the left, what may be corrected on
        // the right.
        ++row;
        return box;
    };
    m_name = add(QStringLiteral("商品名称："), "editName", false);
    m_spec = add(QStringLiteral("规格型号："), "editSpec", false);
    m_code = add(QStringLiteral("商品编码："), "editCode", false);
    m_category = add(QStringLiteral("类 别："), "editCategory", false);
    m_date = add(QStringLiteral("销售日期："), "editDate", false);
    m_price = add(QStringLiteral("销售单价："), "editPrice", false);
    m_quantity = add(QStringLiteral("销售数量："), "editQuantity", false);
    m_amount = add(QStringLiteral("销售金额："), "editAmount", false);
    const int lastLeft = row;
    row = 1;
    column = 2;
    m_arrears = add(QStringLiteral("欠款金额："), "editArrears", true);
    grid->addWidget(new QLabel(QStringLiteral("无欠款填0"), this), row - 1, 4);
    m_slip = add(QStringLiteral("销售单号："), "editSlip", true);
    m_customer = add(QStringLiteral("客户名称："), "editCustomer", true);
    m_address = add(QStringLiteral("地 址："), "editAddress", true);
    m_phone = add(QStringLiteral("联系方式："), "editPhone", true);
    m_remark = add(QStringLiteral("备 注："), "editRemark", true);
    m_arrears->installEventFilter(this);
    // A paste or an automation client's text meets the keys' rule.
    m_arrears->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::None, m_arrears));

    m_delete = NamedButton(QStringLiteral("删 除"), "editDelete", this);
    m_modify = NamedButton(QStringLiteral("修 改"), "editModify", this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_delete);
    buttons->addWidget(m_modify);
    grid->addLayout(buttons, lastLeft - 1, 2, 1, 3);
    connect(m_modify, &QPushButton::clicked, this, &SaleLineEditPanel::modifyRequested);
    connect(m_delete, &QPushButton::clicked, this, &SaleLineEditPanel::deleteRequested);
    hide();
}

void SaleLineEditPanel::open(const SaleLine &line, Mode mode)
{
    m_mode = mode;
    m_lineId = line.id;
    m_name->setText(line.name);
    m_spec->setText(line.specification);
    m_code->setText(line.code);
    m_category->setText(line.category);
    m_date->setText(line.saleDate);
    m_price->setText(numberText(line.price));
    m_quantity->setText(numberText(line.quantity));
    m_amount->setText(numberText(line.amount));
    m_arrears->setText(numberText(line.arrears));
    m_slip->setText(line.slipNumber);
    m_customer->setText(line.customer);
    m_address->setText(line.address);
    m_phone->setText(line.phone);
    m_remark->setText(line.remark);
    m_modify->setVisible(mode == Mode::Modify);
    m_delete->setVisible(mode == Mode::Delete);
    adjustSize();
    show();
    raise();
}

SaleLineCorrection SaleLineEditPanel::correction() const
{
    return {m_arrears->text(), m_slip->text(), m_customer->text(),
            m_address->text(), m_phone->text(), m_remark->text()};
}

void SaleLineEditPanel::clearShown()
{
    m_lineId = 0;
    for (QLineEdit *box : {m_name, m_spec, m_code, m_category, m_date, m_price, m_quantity, m_amount, m_slip,
                           m_customer, m_address, m_phone, m_remark})
        box->clear();
}

QLineEdit *SaleLineEditPanel::box(const QString &caption) const
{
    for (QLineEdit *b : findChildren<QLineEdit *>())
        if (b->accessibleName() == caption)
            return b;
    return nullptr;
}

bool SaleLineEditPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the arrears box goes on to the slip number.
    if (watched == m_arrears && event->type() == QEvent::KeyPress) {
        switch (classifyNumberKey(static_cast<QKeyEvent *>(event))) {
        case NumberKey::Enter:
            m_slip->setFocus();
            return true;
        case NumberKey::Pass:
            return false;
        case NumberKey::Drop:
            return true;
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}

} // namespace quollin
