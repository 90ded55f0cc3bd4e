#include "sales/SlipPanel.h"

#include "core/EngineMessage.h"
#include "core/Columns.h"
#include "core/DateText.h"
#include "core/Money.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "sales/PdfFallback.h"
#include "sales/PrintTexts.h"
#include "sales/SlipLayout.h"
#include "sales/SlipLines.h"
#include "sales/Tender.h"
#include "sales/TicketLayout.h"
#include "widgets/NumberKeysValidator.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/NamedWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

namespace quollin {

namespace {

constexpr int kWidth = 561;
constexpr int kHeight = 281;

std::vector<GridColumn> lineColumns()
{
    using namespace SaleLineColumn;
    std::vector<GridColumn> columns{
        {.field = QLatin1String(Name), .title = QStringLiteral("商品名称"), .kind = GridKind::Text,
         .footer = FooterKind::Text, .footerText = QStringLiteral("销售单号："), .width = 130},
        {.field = QLatin1String(Specification), .title = QStringLiteral("规格型号"), .kind = GridKind::Text,
         .footer = FooterKind::Text, .width = 110},
        {.field = QLatin1String(Quantity), .title = QStringLiteral("数量"), .kind = GridKind::Quantity,
         .footer = FooterKind::Sum, .width = 60},
        {.field = QLatin1String(Price), .title = QStringLiteral("单价"), .kind = GridKind::Plain, .width = 60},
        {.field = QLatin1String(Amount), .title = QStringLiteral("金额"), .kind = GridKind::Amount,
         .footer = FooterKind::Sum, .width = 70},
    };
    return columns;
}

// The cells of one line, in the order of lineColumns().
QVariantList cellsOf(const SlipLine &line) { return {line.name, line.specification, line.quantity, line.price, line.amount}; }

constexpr int kAmountColumn = 4;

} // namespace

SlipPanel::SlipPanel(Shop &shop, Prompter &prompter, QWidget *parent)
    : FloatingPanel(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("slipPanel"));
    setAccessibleName(QStringLiteral("销售单"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 2, 8, 8);
    column->setSpacing(4);

    auto *top = new QHBoxLayout;
    QPushButton *previous = NamedButton(QStringLiteral("上一单"), "slipPrevious", this);
    QPushButton *next = NamedButton(QStringLiteral("下一单"), "slipNext", this);
    m_caption = new QLabel(QStringLiteral("客户名称："), this);
    m_caption->setObjectName(QStringLiteral("slipCustomer"));
    auto *close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setAccessibleName(QStringLiteral("关闭"));
    close->setAutoRaise(true);
    top->addWidget(previous);
    top->addWidget(next);
    top->addSpacing(12);
    top->addWidget(m_caption, 1);
    top->addWidget(close);
    column->addLayout(top);
    connect(previous, &QPushButton::clicked, this, [this] { m_shop.currentSlip().previous(); });
    connect(next, &QPushButton::clicked, this, &SlipPanel::nextSlip);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("slipGrid"));
    m_grid->setGridName(QStringLiteral("销售单明细"));
    m_model = new GridModel(lineColumns(), this);
    m_grid->setModel(m_model);
    column->addWidget(m_grid, 1);

    auto *tender = new QHBoxLayout;
    auto *totalLabel = new QLabel(QStringLiteral("合计："), this);
    m_total = Named(new QLineEdit(QStringLiteral("0"), this), QStringLiteral("合计："), "slipTotal");
    m_total->setReadOnly(true);
    m_total->setMaximumWidth(80);
    totalLabel->setBuddy(m_total);
    auto *cashLabel = new QLabel(QStringLiteral("现金："), this);
    m_cash = Named(new QLineEdit(this), QStringLiteral("现金："), "slipCash");
    m_cash->setMaximumWidth(70);
    cashLabel->setBuddy(m_cash);
    m_cash->installEventFilter(this);
    m_cash->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::None, m_cash));
    auto *changeLabel = new QLabel(QStringLiteral("找零："), this);
    m_change = Named(new QLineEdit(QStringLiteral("0"), this), QStringLiteral("找零："), "slipChange");
    m_change->setReadOnly(true);
    m_change->setMaximumWidth(70);
    changeLabel->setBuddy(m_change);
    m_ticketButton = NamedButton(QStringLiteral("POS小票打印"), "slipTicket", this);
    m_slipButton = NamedButton(QStringLiteral("销售单打印"), "slipPrint", this);
    tender->addWidget(totalLabel);
    tender->addWidget(m_total);
    tender->addWidget(cashLabel);
    tender->addWidget(m_cash);
    tender->addWidget(changeLabel);
    tender->addWidget(m_change);
    tender->addStretch(1);
    tender->addWidget(m_ticketButton);
    tender->addWidget(m_slipButton);
    column->addLayout(tender);
    connect(m_total, &QLineEdit::textChanged, this, [this] { updateChange(false); });
    connect(m_cash, &QLineEdit::textChanged, this, [this](const QString &cash) {
        m_shop.currentSlip().setCash(cash);
        updateChange(false);
    });
    connect(m_cash, &QLineEdit::editingFinished, this, [this] { updateChange(true); });
    connect(m_ticketButton, &QPushButton::clicked, this, &SlipPanel::printTicket);
    connect(m_slipButton, &QPushButton::clicked, this, &SlipPanel::printSlip);

    setFixedSize(kWidth, kHeight);
    hide();

    CurrentSlip &current = m_shop.currentSlip();
    connect(&current, &CurrentSlip::listed, this, &SlipPanel::showSlip);
    connect(&current, &CurrentSlip::customerChanged, this, [this] { showCustomer(m_shop.currentSlip().customer()); });
    connect(&current, &CurrentSlip::cashChanged, this, [this] { m_cash->setText(m_shop.currentSlip().cash()); });
    connect(&m_shop, &ShopContext::changed, this, [this](const ChangeSet &changes) {
        if (changes.sale)
            saleRecorded(*changes.sale);
        else if (!changes.saleLines.isEmpty() && !m_number.isEmpty())
            showSlip();
    });
    connect(&m_shop, &ShopContext::databaseReopened, this, [this] {
        if (!m_number.isEmpty())
            showSlip();
    });
}

void SlipPanel::showCustomer(const QString &customer) { m_caption->setText(QStringLiteral("客户名称：") + customer); }

void SlipPanel::saleRecorded(const RecordedSale &sale)
{
    if (sale.slipNumber != m_number)
        return;
    // The slip held is the file's up to this sale: its new line is added,
    // the rest is not read again.
    showCustomer(sale.customer);
    try {
        if (const std::optional<SlipLine> line = m_shop.slips().line(sale.lineId))
            m_model->appendRow(cellsOf(*line), sale.lineId);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    showTotal();
}

void SlipPanel::showSlip()
{
    m_number = m_shop.currentSlip().number();
    showCustomer(m_shop.currentSlip().customer());
    GridRows rows = m_model->emptyRows();
    try {
        for (const SlipLine &line : m_shop.slips().lines(m_number)) {
            const int row = rows.addRow();
            const QVariantList cells = cellsOf(line);
            for (int column = 0; column < cells.size(); ++column)
                rows.set(row, column, cells.at(column));
        }
    } catch (const DbError &e) {
        m_model->clear();
        m_total->setText(QStringLiteral("0"));
        m_prompter.information(engineMessage(e));
        return;
    }
    m_model->setFooterText(1, m_number);
    m_model->setRows(std::move(rows));
    showTotal();
}

void SlipPanel::showTotal()
{
    // The total is the footer's own sum in fen, returns counted with their
    // sign: a sale and its return make "0", not a binary residue.
    m_total->setText(Money::fromValue(m_model->sum(kAmountColumn)).general());
}

void SlipPanel::nextSlip()
{
    const QString message = m_shop.currentSlip().next(QDate::currentDate());
    if (!message.isEmpty())
        m_prompter.information(message);
}

void SlipPanel::updateChange(bool loud)
{
    // While the operator types, a lone point is only on its way to a number;
    // leaving the box with it is reported.
    const QString cash = m_cash->text();
    if (const std::optional<QString> change = Tender::change(cash, m_total->text()))
        m_change->setText(*change);
    else if (loud && !cash.isEmpty())
        m_prompter.information(Tender::message(Tender::Verdict::NotANumber));
}

bool SlipPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_cash && event->type() == QEvent::KeyPress) {
        switch (classifyNumberKey(static_cast<QKeyEvent *>(event))) {
        case NumberKey::Enter:
            m_ticketButton->setFocus(Qt::OtherFocusReason);
            return true;
        case NumberKey::Pass:
            return false;
        case NumberKey::Drop:
            return true;
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}

void SlipPanel::printTicket()
{
    const Tender::Verdict verdict = Tender::check(m_total->text(), m_cash->text());
    if (verdict != Tender::Verdict::Print) {
        m_prompter.information(Tender::message(verdict));
        if (verdict != Tender::Verdict::NoSale)
            m_cash->setFocus(Qt::OtherFocusReason);
        return;
    }
    const PrintTexts texts = m_shop.printTexts();
    TicketInput in;
    in.title = texts.ticketTitle;
    in.slogan1 = texts.ticketSlogan1;
    in.slogan2 = texts.ticketSlogan2;
    in.closing = texts.ticketClosing;
    in.slipNumber = m_number;
    in.cashier = m_shop.rights().operatorName();
    in.date = m_shop.printDate();
    in.time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    in.total = m_total->text();
    in.cash = Tender::cashOnTicket(m_cash->text());
    in.change = Tender::changeOnTicket(m_cash->text(), m_total->text());
    try {
        in.lines = m_shop.slips().lines(m_number);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    // The next number only for a ticket that was printed (or kept as a PDF):
    // through the system printer, or as ESC/POS bytes to a receipt printer
    // without a driver.
    const PrintOutcome outcome = PrintTicket(m_printer, TicketLayout::build(in), texts, m_prompter);
    if (!outcome.done) {
        if (!outcome.message.isEmpty())
            m_prompter.information(outcome.message);
        return;
    }
    nextSlip();
}

void SlipPanel::printSlip()
{
    if (m_total->text() == QLatin1String("0")) {
        m_prompter.information(Tender::message(Tender::Verdict::NoSale));
        nextSlip();
        return;
    }
    const PrintTexts texts = m_shop.printTexts();
    SlipInput in = SlipInput::withTexts(texts, m_number, m_shop.rights().operatorName());
    try {
        in.lines = m_shop.slips().lines(m_number);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    const SlipDocument slip = SlipLayout::build(in);
    if (!slip.notice.isEmpty())
        m_prompter.information(slip.notice);
    PreviewLayoutOrKeepAsPdf(slip.layout, QStringLiteral("销售单") + m_number, m_prompter, window());
    nextSlip();
}

void SlipPanel::toggle()
{
    setVisible(!isVisible());
    if (isVisible())
        raise();
}

} // namespace quollin
