#include "sales/SalePanel.h"

#include "core/EngineMessage.h"
#include "core/DateText.h"
#include "core/InputChecks.h"
#include "core/NumberText.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "sales/SlipNumber.h"
#include "widgets/ChoiceList.h"
#include "widgets/DateBoxKeeper.h"
#include "widgets/NamedWidgets.h"
#include "widgets/NumberKeysValidator.h"
#include "widgets/SpinLineEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

namespace quollin {

namespace {

constexpr int kWidth = 339;
constexpr int kHeight = 469;

QString numberText(const std::optional<double> &value) { return value ? NumberText::general(*value) : QString(); }

} // namespace

SalePanel::SalePanel(Shop &shop, Prompter &prompter, QWidget *parent)
    : FloatingPanel(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("salePanel"));
    setAccessibleName(QStringLiteral("商品销售"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 2, 10, 8);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(4);
    grid->setColumnStretch(1, 1);

    auto *title = new QLabel(QStringLiteral("<b>商品销售</b>"), this);
    m_close = new QToolButton(this);
    m_close->setText(QStringLiteral("×"));
    m_close->setAccessibleName(QStringLiteral("关闭"));
    m_close->setAutoRaise(true);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(m_close, 0, 3, Qt::AlignRight);
    connect(m_close, &QToolButton::clicked, this, &SalePanel::closePanel);

    int row = 1;
    auto caption = [&](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        grid->addWidget(label, row, 0);
    };
    // The goods row's values: read-only boxes drawn as labels, so that a
    // screen reader reads them as it reads the stock and amount boxes, the
    // caption as the name and the value as the text.
    auto shown = [&](const QString &text, const char *objectName) {
        auto *value = Named(new QLineEdit(this), text, objectName);
        value->setReadOnly(true);
        value->setFrame(false);
        value->setFocusPolicy(Qt::NoFocus);
        value->setAttribute(Qt::WA_MacShowFocusRect, false);
        QPalette flat = value->palette();
        flat.setColor(QPalette::Base, Qt::transparent);
        value->setPalette(flat);
        caption(text, value);
        grid->addWidget(value, row++, 1, 1, 3);
        return value;
    };
    auto box = [&](const QString &text, const char *objectName, int span = 3) {
        auto *edit = Named(new QLineEdit(this), text, objectName);
        caption(text, edit);
        grid->addWidget(edit, row, 1, 1, span);
        return edit;
    };

    m_name = shown(QStringLiteral("商品名称："), "saleName");
    m_specification = shown(QStringLiteral("规格型号："), "saleSpecification");
    m_code = shown(QStringLiteral("商品编码："), "saleCode");
    m_category = shown(QStringLiteral("类 别："), "saleCategory");
    m_suggested = shown(QStringLiteral("建议销售价："), "saleSuggestedPrice");

    m_price = box(QStringLiteral("实际销售价："), "salePrice", 1);
    m_price->setToolTip(QStringLiteral("利用回车Enter键和Tab键进行切换"));
    auto *discount = Named(new SpinLineEdit(this), QStringLiteral("折"), "saleDiscount");
    discount->setSpin(0, 100, 5);
    discount->setText(QStringLiteral("100"));
    m_discount = discount;
    m_discount->setMaximumWidth(60);
    grid->addWidget(m_discount, row, 2);
    grid->addWidget(new QLabel(QStringLiteral("折"), this), row++, 3);

    auto *quantity = Named(new SpinLineEdit(this), QStringLiteral("销售数量："), "saleQuantity");
    quantity->setSpin(0, 9999, 1);
    quantity->setText(QStringLiteral("1"));
    m_quantity = quantity;
    caption(QStringLiteral("销售数量："), m_quantity);
    grid->addWidget(m_quantity, row, 1, 1, 2);
    m_return = new QToolButton(this);
    m_return->setText(QStringLiteral("退"));
    m_return->setAccessibleName(QStringLiteral("退"));
    m_return->setObjectName(QStringLiteral("saleReturn"));
    m_return->setToolTip(QStringLiteral("先输入退货数量，点此按钮后再销售确认"));
    grid->addWidget(m_return, row++, 3);
    connect(m_return, &QToolButton::clicked, this, &SalePanel::toggleReturn);

    m_stock = box(QStringLiteral("库存数量："), "saleStock");
    m_stock->setReadOnly(true);
    ++row;
    m_amount = box(QStringLiteral("销售金额："), "saleAmount");
    m_amount->setReadOnly(true);
    ++row;
    m_arrears = box(QStringLiteral("欠款金额："), "saleArrears");
    m_arrears->setText(QStringLiteral("0"));
    ++row;
    m_date = box(QStringLiteral("销售日期："), "saleDate");
    m_date->setInputMask(DateBoxKeeper::dateMask());
    m_date->setText(DateText::today());
    ++row;

    m_slipNumber = box(QStringLiteral("销售单号："), "saleSlipNumber", 1);
    m_plus = new QToolButton(this);
    m_plus->setText(QStringLiteral("+"));
    m_plus->setAccessibleName(QStringLiteral("+"));
    m_plus->setToolTip(QStringLiteral("单号增加"));
    m_minus = new QToolButton(this);
    m_minus->setText(QStringLiteral("-"));
    m_minus->setAccessibleName(QStringLiteral("-"));
    m_minus->setToolTip(QStringLiteral("单号减少"));
    auto *slipButtons = new QHBoxLayout;
    slipButtons->setSpacing(2);
    slipButtons->addWidget(m_plus);
    slipButtons->addWidget(m_minus);
    auto *note = new QLabel(QStringLiteral("单据打印必填"), this);
    note->setStyleSheet(QStringLiteral("color: #c00000"));
    slipButtons->addWidget(note);
    grid->addLayout(slipButtons, row++, 2, 1, 2);
    connect(m_plus, &QToolButton::clicked, this, &SalePanel::nextSlip);
    connect(m_minus, &QToolButton::clicked, this, &SalePanel::previousSlip);

    m_customer = Named(new QComboBox(this), QStringLiteral("客户名称："), "saleCustomer");
    m_customer->setEditable(true);
    m_customer->setInsertPolicy(QComboBox::NoInsert);
    caption(QStringLiteral("客户名称："), m_customer);
    grid->addWidget(m_customer, row++, 1, 1, 3);
    m_address = box(QStringLiteral("地 址："), "saleAddress");
    ++row;
    m_phone = box(QStringLiteral("联系方式："), "salePhone");
    ++row;
    m_remark = box(QStringLiteral("备 注："), "saleRemark");
    ++row;

    m_confirm = NamedButton(QStringLiteral("确认销售"), "saleConfirm", this);
    m_confirm->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    m_confirm->setIconSize(QSize(24, 24));
    m_confirm->setMinimumHeight(34);
    m_preview = NamedButton(QStringLiteral("预览"), "salePreview", this);
    m_preview->setMinimumHeight(34);
    auto *commands = new QHBoxLayout;
    commands->addWidget(m_confirm, 2);
    commands->addWidget(m_preview, 1);
    grid->addLayout(commands, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);
    connect(m_confirm, &QPushButton::clicked, this, &SalePanel::confirm);
    m_confirm->installEventFilter(this);
    connect(m_preview, &QPushButton::clicked, this, &SalePanel::previewRequested);

    // Reached only by moving the focus onto it: it lies outside the panel's
    // drawn area, after the remark box in the tab order.
    m_keyboardConfirm = NamedButton(QStringLiteral("销售确认"), "saleKeyboardConfirm", this);
    m_keyboardConfirm->setGeometry(0, kHeight + 20, 80, 24);
    connect(m_keyboardConfirm, &QPushButton::clicked, this, &SalePanel::confirmByKeyboard);
    setTabOrder(m_remark, m_keyboardConfirm);

    connect(m_price, &QLineEdit::textChanged, this, &SalePanel::recalculate);
    connect(m_quantity, &QLineEdit::textChanged, this, &SalePanel::recalculate);
    connect(m_discount, &QLineEdit::textChanged, this, &SalePanel::discountChanged);
    connect(m_slipNumber, &QLineEdit::textChanged, this, &SalePanel::slipNumberEdited);
    // A number of the operator's own is no new slip handed out here.
    connect(m_slipNumber, &QLineEdit::textEdited, this, [this] { m_shop.currentSlip().serial().numberTyped(); });
    connect(m_customer, &QComboBox::editTextChanged, this, &SalePanel::customerEdited);
    m_customer->installEventFilter(this);
    for (QLineEdit *edit : {m_price, m_discount, m_quantity, m_arrears})
        edit->installEventFilter(this);
    // A paste or drop meets the keys' rule; only the quantity may carry the
    // minus of a return.
    for (QLineEdit *edit : {m_price, m_discount, m_arrears})
        edit->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::None, edit));
    m_quantity->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::LeadingMinus, m_quantity));
    m_enterOrder = {m_price, m_discount, m_quantity, m_arrears, m_date, m_slipNumber,
                    m_customer, m_address, m_phone, m_remark};
    for (QWidget *w : std::as_const(m_enterOrder))
        w->installEventFilter(this);

    setFixedSize(kWidth, kHeight);
    hide();

    connect(&m_shop, &ShopContext::signedIn, this, &SalePanel::signedIn);
    connect(&m_shop, &ShopContext::databaseClosing, this, &SalePanel::closePanel);
    // A corrected or deleted line may add or take away a customer.
    // Corrected or deleted lines may change the customers; a sale's own
    // customer was typed here.
    connect(&m_shop, &ShopContext::changed, this, [this](const ChangeSet &changes) {
        if (!changes.sale && !changes.saleLines.isEmpty())
            refillCustomers();
    });
    connect(&m_shop.currentSlip(), &CurrentSlip::stepped, this, &SalePanel::stepped);
}

void SalePanel::reportAll(const QStringList &messages)
{
    for (const QString &message : messages)
        m_prompter.information(message);
}

void SalePanel::signedIn()
{
    const bool editable = m_shop.rights().mayRun(OperatorRestrictions::Command::EditSaleDate);
    m_date->setReadOnly(!editable);
    m_date->setToolTip(editable ? QString() : QStringLiteral("只有超级管理员可以修改销售日期"));
    refillCustomers();
}

void SalePanel::open(const GoodsRecord &row)
{
    if (row.name.isEmpty()) {
        m_price->setFocus();
        return;
    }
    m_row = row;
    m_scanned = false;
    show();
    raise();
    emit opened(row);
    m_name->setText(row.name);
    m_specification->setText(row.specification);
    m_code->setText(row.code);
    m_category->setText(row.category);
    m_suggested->setText(numberText(row.salePrice));
    m_price->setText(numberText(row.salePrice));
    m_stock->setText(numberText(row.stockQuantity));
    recalculate();
    reportAll(m_shop.currentSlip().prepareForSale(QDate::currentDate()));
    buildSlipNumber();
    m_price->setFocus();
}

void SalePanel::openScanned(const GoodsRecord &row)
{
    open(row);
    if (!isVisible())
        return;
    m_quantity->setText(QStringLiteral("1"));
    m_scanned = true;
    m_confirm->setFocus(); // Enter on the focused button clicks it
}

void SalePanel::recalculate()
{
    const auto p = NumberText::parseDecimal(m_price->text());
    const auto q = NumberText::parseDecimal(m_quantity->text());
    // A box that holds no number leaves the amount as it was; the
    // confirmation refuses it by name.
    if (p && q)
        m_amount->setText(NumberText::general(*p * *q));
}

void SalePanel::discountChanged()
{
    const auto discount = NumberText::parseDecimal(m_discount->text());
    const auto suggested = NumberText::parseDecimal(m_suggested->text());
    if (discount && suggested)
        m_price->setText(NumberText::general(*discount * *suggested / 100));
}

void SalePanel::toggleReturn()
{
    const std::optional<QString> toggled = toggleReturnSign(m_quantity->text());
    if (!toggled) {
        m_prompter.warning(QStringLiteral("销售数量“") + m_quantity->text().trimmed() + QStringLiteral("”不是有效的数字"));
        m_quantity->setFocus();
        return;
    }
    m_quantity->setText(*toggled);
}

SaleInput SalePanel::input() const
{
    SaleInput in;
    in.goodsId = m_row.id;
    in.price = m_price->text();
    in.quantity = m_quantity->text();
    in.arrears = m_arrears->text();
    in.saleDate = m_date->text();
    in.slipNumber = m_slipNumber->text();
    in.opensSlip = m_shop.currentSlip().serial().isNew();
    in.customer = m_customer->currentText();
    in.address = m_address->text();
    in.phone = m_phone->text();
    in.remark = m_remark->text();
    return in;
}

QWidget *SalePanel::boxFor(SaleBox box) const
{
    switch (box) {
    case SaleBox::Price: return m_price;
    case SaleBox::Quantity: return m_quantity;
    case SaleBox::Arrears: return m_arrears;
    case SaleBox::Date: return m_date;
    case SaleBox::None: break;
    }
    return nullptr;
}

bool SalePanel::report(const SaleResult &result)
{
    switch (result.refusal) {
    case SaleRefusal::ZeroQuantity:
        m_prompter.information(result.message);
        return true;
    case SaleRefusal::OutOfStock:
        m_prompter.information(result.message);
        if (result.stockQuantity) {
            m_quantity->setText(NumberText::general(*result.stockQuantity));
            m_stock->setText(NumberText::general(*result.stockQuantity));
        }
        return true;
    case SaleRefusal::MissingValue:
    case SaleRefusal::NotANumber:
    case SaleRefusal::BadDate:
        m_prompter.warning(result.message);
        if (QWidget *box = boxFor(result.box))
            box->setFocus();
        return false;
    case SaleRefusal::GoodsRow:
    case SaleRefusal::Database:
    case SaleRefusal::None:
        m_prompter.information(result.message);
        return false;
    }
    return false;
}

void SalePanel::confirm()
{
    if (m_row.id == 0)
        return;
    recalculate();
    const qint64 id = m_row.id;
    const SaleResult result = m_shop.sales().confirm(input());
    if (!result.ok) {
        // The customer box keeps what the operator typed, so the next try is
        // filed under the right customer.
        if (report(result))
            closingSteps(false);
        return;
    }
    hide();
    filedUnder(result.slipNumber);
    emit sold(result, id);
    addCustomer(TrimmedInput(m_customer->currentText()));
    clearValues();
    closingSteps(true);
}

void SalePanel::confirmByKeyboard()
{
    if (m_row.id == 0)
        return;
    recalculate();
    if (!RequireText(m_price, QStringLiteral("实际销售价必须输入！"), m_prompter)
        || !RequireText(m_quantity, QStringLiteral("销售数量必须输入！"), m_prompter))
        return;
    const SaleResult result = m_shop.sales().confirm(input(), RecordedSale::Origin::Keyboard);
    if (!result.ok) {
        report(result);
        return;
    }
    hide();
    filedUnder(result.slipNumber);
    m_prompter.information(QStringLiteral("销售数据成功！"));
    clearValues();
}

void SalePanel::filedUnder(const QString &slipNumber)
{
    SlipSerial &serial = m_shop.currentSlip().serial();
    if (slipNumber == m_slipNumber->text().trimmed()) {
        serial.soldOn(serial.serial());
        return;
    }
    // Another till sold on the new number first: the sale opened the next
    // free one, and the panel goes on with it.
    serial.soldOn(SlipSerialOf(slipNumber, QDate::currentDate()).value_or(serial.serial()));
    m_slipNumber->setText(slipNumber);
}

void SalePanel::closingSteps(bool saved)
{
    if (saved)
        m_shop.currentSlip().setCustomer(m_customer->currentText());
    else
        refreshSlip();
    m_shop.currentSlip().store();
}

void SalePanel::clearValues()
{
    m_quantity->setText(QStringLiteral("1"));
    m_arrears->setText(QStringLiteral("0"));
    m_price->clear();
}

void SalePanel::closePanel()
{
    hide();
    clearValues();
    emit closed();
}

void SalePanel::buildSlipNumber()
{
    // A new number in the box refreshes the slip through the box's own rule;
    // the same number still has to be listed again.
    const QString number = m_shop.currentSlip().serial().number(QDate::currentDate());
    if (number == m_slipNumber->text())
        refreshSlip();
    else
        m_slipNumber->setText(number);
}

void SalePanel::nextSlip()
{
    const QString message = m_shop.currentSlip().next(QDate::currentDate());
    if (!message.isEmpty())
        m_prompter.information(message);
}

void SalePanel::previousSlip() { m_shop.currentSlip().previous(); }

void SalePanel::stepped(bool forward)
{
    buildSlipNumber();
    // A new slip starts without a customer.
    if (forward)
        refillCustomers();
}

void SalePanel::refreshSlip() { m_shop.currentSlip().show(m_slipNumber->text(), m_customer->currentText()); }

void SalePanel::refillCustomers()
{
    // A refill is no choice of the operator's: its passing first entry must
    // not fetch a stranger's address and phone into the boxes.
    const QSignalBlocker quiet(m_customer);
    try {
        setChoices(m_customer, m_shop.slips().customers());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_customer->setCurrentIndex(-1);
    m_customer->setEditText(QString());
    m_address->clear();
    m_phone->clear();
}

void SalePanel::addCustomer(const QString &name)
{
    // A sale only ever adds its own customer to the known ones; reading the
    // whole list again would cost a scan of every sale line.
    if (name.isEmpty() || m_customer->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
        return;
    int at = 0;
    while (at < m_customer->count() && m_customer->itemText(at) < name)
        ++at;
    const QString text = m_customer->currentText();
    const QSignalBlocker quiet(m_customer);
    m_customer->insertItem(at, name);
    m_customer->setCurrentIndex(-1);
    m_customer->setEditText(text);
}

void SalePanel::slipNumberEdited()
{
    const QString number = m_slipNumber->text().trimmed();
    if (number.isEmpty())
        return;
    try {
        const std::optional<SlipCustomer> customer = m_shop.slips().customerOfSlip(number);
        // The customer first: its own lookup fills address and phone, which
        // the slip's values then replace.
        m_customer->setEditText(customer ? customer->name : QString());
        m_address->setText(customer ? customer->address : QString());
        m_phone->setText(customer ? customer->phone : QString());
        m_remark->setText(customer ? customer->remark : QString());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    refreshSlip();
}

void SalePanel::customerEdited()
{
    const QString name = m_customer->currentText().trimmed();
    if (name.isEmpty())
        return;
    try {
        const std::optional<SlipCustomer> known = m_shop.slips().addressOf(name);
        m_address->setText(known ? known->address : QString());
        m_phone->setText(known ? known->phone : QString());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

bool SalePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && watched == m_customer && m_customer->currentText().trimmed().isEmpty()) {
        m_address->clear();
        m_phone->clear();
    }
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // A scanner types on regardless of the focus: its next code must
        // not vanish into the button, nor its Enter sell this row instead.
        if (watched == m_confirm) {
            const QString text = key->text();
            if (m_scanned && isVisible() && !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace()) {
                emit scanTyped(text);
                return true;
            }
            return FloatingPanel::eventFilter(watched, event);
        }
        const bool numberBox = watched == m_price || watched == m_discount || watched == m_quantity || watched == m_arrears;
        // Letters and signs never reach a number box from the keyboard.
        if (numberBox && classifyNumberKey(key) == NumberKey::Drop)
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const qsizetype at = m_enterOrder.indexOf(static_cast<QWidget *>(watched));
            if (at >= 0 && at + 1 < m_enterOrder.size()) {
                m_enterOrder.at(at + 1)->setFocus();
                return true;
            }
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}

} // namespace quollin
