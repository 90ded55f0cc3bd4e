#include "goods/StockInPanel.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/DateText.h"
#include "core/NumberText.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "widgets/ChoiceList.h"
#include "widgets/DateBoxKeeper.h"
#include "widgets/NamedWidgets.h"
#include "widgets/NumberKeysValidator.h"
#include "widgets/SpinLineEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <tuple>

namespace quollin {

namespace {

QString numberText(const std::optional<double> &value) { return value ? NumberText::general(*value) : QString(); }

} // namespace

StockInPanel::StockInPanel(Shop &shop, Prompter &prompter, QWidget *parent)
    : FloatingPanel(parent), m_shop(shop), m_store(shop.goods()), m_prompter(prompter)
{
    setObjectName(QStringLiteral("stockInPanel"));
    setToolTip(QStringLiteral("利用回车Enter键和Tab键进行切换"));
    setAccessibleName(QStringLiteral("商品入库"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 4, 10, 10);
    grid->setVerticalSpacing(4);
    auto *title = new QLabel(QStringLiteral("<b>商品入库</b>"), this);
    auto *close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setAccessibleName(QStringLiteral("关闭"));
    close->setAutoRaise(true);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(close, 0, 3, Qt::AlignRight);
    connect(close, &QToolButton::clicked, this, &StockInPanel::closePanel);

    int row = 1;
    auto choice = [&](const QString &caption, const char *objectName) {
        auto *label = new QLabel(caption, this);
        auto *box = Named(new QComboBox(this), caption, objectName);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMinimumWidth(150);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1, 1, 3);
        ++row;
        return box;
    };
    auto place = [&](const QString &caption, const char *objectName, auto *box) {
        auto *label = new QLabel(caption, this);
        Named(box, caption, objectName);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1, 1, 3);
        ++row;
        return std::pair{label, box};
    };
    auto text = [&](const QString &caption, const char *objectName) {
        return place(caption, objectName, new QLineEdit(this)).second;
    };
    // The arrows step whole numbers 0 to 100 by 1; typed text is limited only
    // by the validator below.
    auto spin = [&](const QString &caption, const char *objectName) {
        auto *box = new SpinLineEdit(this);
        box->setSpin(0, 100, 1);
        return place(caption, objectName, box);
    };
    m_name = choice(QStringLiteral("商品名称："), "stockInName");
    m_name->setToolTip(QStringLiteral("直接点击已经输入好的记录，自动填充内容"));
    m_specification = choice(QStringLiteral("规格型号："), "stockInSpecification");
    m_code = choice(QStringLiteral("商品编码："), "stockInCode");
    m_category = choice(QStringLiteral("类 别："), "stockInCategory");
    m_date = text(QStringLiteral("入库日期："), "stockInDate");
    m_date->setInputMask(DateBoxKeeper::dateMask());
    m_date->setText(DateText::today());
    // Tickets print the date this box holds.
    m_shop.setPrintDate(m_date->text());
    connect(m_date, &QLineEdit::textChanged, this, [this](const QString &date) { m_shop.setPrintDate(date); });
    std::tie(m_priceLabel, m_price) = spin(QStringLiteral("进货单价："), "stockInPrice");
    m_quantity = spin(QStringLiteral(" 数 量："), "stockInQuantity").second;
    m_salePrice = spin(QStringLiteral("销售单价："), "stockInSalePrice").second;
    // Digits and the point only, typed or pasted; the strict reader still
    // refuses "1.2.3".
    for (QLineEdit *box : {m_price, m_quantity, m_salePrice})
        box->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::None, box));
    m_supplier = choice(QStringLiteral("供货商："), "stockInSupplier");
    m_remarks = text(QStringLiteral("备 注："), "stockInRemarks");

    // Lets the operator enter goods while a customer looks at the screen.
    // Starts unticked every time; it is not remembered.
    const QString hideCaption = QStringLiteral("隐藏进货单价和利润");
    m_hidePurchase = Named(new QCheckBox(hideCaption, this), hideCaption, "stockInHidePurchase");
    grid->addWidget(m_hidePurchase, row++, 1, 1, 3);
    connect(m_hidePurchase, &QCheckBox::toggled, this, [this](bool hidden) {
        m_priceLabel->setVisible(!hidden);
        m_price->setVisible(!hidden);
    });

    m_newButton = NamedButton(QStringLiteral("新建入库"), "stockInNew", this);
    m_changeButton = NamedButton(QStringLiteral("修改入库"), "stockInChange", this);
    grid->addWidget(m_newButton, row, 1, 1, 3);
    grid->addWidget(m_changeButton, row, 1, 1, 3);
    connect(m_newButton, &QPushButton::clicked, this, &StockInPanel::saveNew);
    connect(m_changeButton, &QPushButton::clicked, this, &StockInPanel::saveChange);

    m_enterOrder = {m_name, m_specification, m_code, m_category, m_date, m_price,
                    m_quantity, m_salePrice, m_supplier, m_remarks, m_newButton};
    for (QWidget *w : std::as_const(m_enterOrder))
        w->installEventFilter(this);
    setMode(Mode::New);
    m_changeButton->setEnabled(false);
    adjustSize();
    hide();
}

bool StockInPanel::changeEnabled() const { return m_changeButton->isEnabled(); }

void StockInPanel::setMode(Mode mode)
{
    m_mode = mode;
    m_newButton->setVisible(mode == Mode::New);
    m_changeButton->setVisible(mode == Mode::Change);
}

void StockInPanel::allowChangeOf(const GoodsRecord &row)
{
    m_target = row.id;
    m_changeButton->setEnabled(m_shop.rights().mayRun(OperatorRestrictions::Command::ChangeGoods));
    m_remarks->setText(row.remarks);
    if (!row.day1.isEmpty())
        m_date->setText(row.day1);
}

void StockInPanel::disableChange() { m_changeButton->setEnabled(false); }

void StockInPanel::openForNew()
{
    clearValues();
    setMode(Mode::New);
    m_target = 0;
    show();
    raise();
    m_name->setFocus();
}

void StockInPanel::openForChange(const GoodsRecord &row)
{
    if (row.name.isEmpty())
        return;
    show();
    raise();
    setMode(Mode::Change);
    m_changeButton->setEnabled(m_shop.rights().mayRun(OperatorRestrictions::Command::ChangeGoods));
    m_target = row.id;
    m_name->setEditText(row.name);
    m_specification->setEditText(row.specification);
    m_code->setEditText(row.code);
    m_category->setEditText(row.category);
    m_price->setText(numberText(row.purchasePrice));
    m_quantity->setText(numberText(row.quantity));
    m_salePrice->setText(numberText(row.salePrice));
    m_remarks->setText(row.remarks);
    m_date->setText(row.day1);
    m_supplier->setEditText(row.supplier);
}

void StockInPanel::prefill(const GoodsRecord &row)
{
    if (row.name.isEmpty())
        return;
    m_name->setEditText(row.name);
    m_specification->setEditText(row.specification);
    m_code->setEditText(row.code);
    m_category->setEditText(row.category);
    m_supplier->setEditText(row.supplier);
    m_price->setText(numberText(row.purchasePrice));
    m_quantity->setText(numberText(row.quantity));
    m_salePrice->setText(numberText(row.salePrice));
    m_remarks->setText(row.remarks);
}

void StockInPanel::setDropDowns(const GoodsDropDowns &lists)
{
    const std::pair<QComboBox *, const QStringList *> boxes[] = {
        {m_name, &lists.names},         {m_specification, &lists.specifications}, {m_code, &lists.codes},
        {m_category, &lists.categories}, {m_supplier, &lists.suppliers}};
    for (auto [box, values] : boxes)
        setChoices(box, *values);
}

void StockInPanel::clearValues()
{
    for (QLineEdit *box : {m_price, m_quantity, m_salePrice, m_remarks})
        box->clear();
}

StockInBoxes StockInPanel::boxes() const
{
    StockInBoxes b;
    b.name = m_name->currentText();
    b.specification = m_specification->currentText();
    b.code = m_code->currentText();
    b.category = m_category->currentText();
    b.date = m_date->text() == QLatin1String("--") ? QString() : m_date->text();
    b.purchasePrice = m_price->text();
    b.quantity = m_quantity->text();
    b.salePrice = m_salePrice->text();
    b.supplier = m_supplier->currentText();
    b.remarks = m_remarks->text();
    return b;
}

QWidget *StockInPanel::widgetFor(StockInBox box) const
{
    switch (box) {
    case StockInBox::Name: return m_name;
    case StockInBox::Code: return m_code;
    case StockInBox::Category: return m_category;
    case StockInBox::Date: return m_date;
    case StockInBox::PurchasePrice: return m_price;
    case StockInBox::Quantity: return m_quantity;
    case StockInBox::SalePrice: return m_salePrice;
    default: return nullptr;
    }
}

// Shows why a command was refused and puts the focus on the box concerned.
bool StockInPanel::report(const StockInCheck &check)
{
    if (check.ok())
        return true;
    m_prompter.warning(check.error);
    if (QWidget *box = widgetFor(check.box))
        box->setFocus();
    return false;
}

void StockInPanel::saveNew()
{
    try {
        if (!report(m_store.addStockIn(boxes())))
            return;
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    clearValues();
    m_changeButton->setEnabled(false);
    emit saved(QStringLiteral("数据入库成功..."), Mode::New);
}

void StockInPanel::saveChange()
{
    if (m_target == 0) {
        m_prompter.information(QStringLiteral("请先选择要修改的商品记录！"));
        return;
    }
    if (!m_prompter.confirm(QStringLiteral("你确实要修改选中资料吗？")))
        return;
    try {
        const StockInCheck check = m_store.changeStockIn(m_target, boxes());
        if (!report(check))
            return;
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    hide();
    clearValues();
    m_changeButton->setEnabled(false);
    m_target = 0;
    emit saved(QStringLiteral("修改数据成功..."), Mode::Change);
}

void StockInPanel::closePanel()
{
    hide();
    clearValues();
    m_changeButton->setEnabled(false);
}

bool StockInPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const qsizetype at = m_enterOrder.indexOf(static_cast<QWidget *>(watched));
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && at >= 0 && at + 1 < m_enterOrder.size()) {
            qsizetype to = at + 1;
            // A hidden purchase price is passed over.
            while (m_enterOrder.at(to)->isHidden() && to + 1 < m_enterOrder.size())
                ++to;
            QWidget *next = m_enterOrder.at(to);
            if (next == m_newButton && m_mode == Mode::Change)
                next = m_changeButton;
            next->setFocus();
            return true;
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}

} // namespace quollin
