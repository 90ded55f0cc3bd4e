#include "sales/SlipPanel.h"

#include "core/EngineMessage.h"
#include "core/Database.h"
#include "core/NumberText.h"
#include "core/Prompter.h"
#include "core/Shop.h"
#include "widgets/DataGrid.h"
#include "widgets/GridModel.h"
#include "widgets/NamedWidgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace quollin {

namespace {

constexpr int kWidth = 561;
constexpr int kHeight = 281;

std::vector<GridColumn> lineColumns()
{
    std::vector<GridColumn> columns{
        {.field = QStringLiteral("a"), .title = QStringLiteral("商品名称"), .kind = GridKind::Text,
         .footer = FooterKind::Text, .footerText = QStringLiteral("销售单号："), .width = 130},
        {.field = QStringLiteral("b"), .title = QStringLiteral("规格型号"), .kind = GridKind::Text,
         .footer = FooterKind::Text, .width = 110},
        {.field = QStringLiteral("3"), .title = QStringLiteral("数量"), .kind = GridKind::Quantity,
         .footer = FooterKind::Sum, .width = 60},
        {.field = QStringLiteral("2"), .title = QStringLiteral("单价"), .kind = GridKind::Plain, .width = 60},
        {.field = QStringLiteral("4"), .title = QStringLiteral("金额"), .kind = GridKind::Amount,
         .footer = FooterKind::Sum, .width = 70},
    };
    return columns;
}

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
    connect(previous, &QPushButton::clicked, this, &SlipPanel::previousRequested);
    connect(next, &QPushButton::clicked, this, &SlipPanel::nextRequested);
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
    m_total->setMaximumWidth(120);
    totalLabel->setBuddy(m_total);
    tender->addStretch(1);
    tender->addWidget(totalLabel);
    tender->addWidget(m_total);
    column->addLayout(tender);

    setFixedSize(kWidth, kHeight);
    hide();

    connect(&m_shop, &ShopContext::saleRecorded, this, &SlipPanel::saleRecorded);
    connect(&m_shop, &ShopContext::saleLinesChanged, this, &SlipPanel::reload);
    connect(&m_shop, &ShopContext::databaseReopened, this, &SlipPanel::reload);
}

void SlipPanel::saleRecorded(const RecordedSale &sale)
{
    if (sale.slipNumber == m_number)
        showSlip(m_number, sale.customer);
}

void SlipPanel::reload()
{
    if (!m_number.isEmpty())
        showSlip(m_number, m_customer);
}

void SlipPanel::showSlip(const QString &slipNumber, const QString &customer)
{
    m_number = slipNumber.trimmed();
    m_customer = customer;
    m_caption->setText(QStringLiteral("客户名称：") + customer);
    GridRows rows = m_model->emptyRows();
    try {
        m_shop.slips().scanLines(m_number, [&rows](const Statement &s) {
            const int row = rows.addRow();
            for (int column = 0; column < rows.columnCount(); ++column) {
                const int at = s.columnIndex(rows.columnField(column).toLatin1().constData());
                if (s.isNull(at))
                    continue;
                if (rows.isNumericColumn(column))
                    rows.setNumber(row, column, s.real(at));
                else
                    rows.setText(row, column, s.text(at));
            }
        });
    } catch (const DbError &e) {
        m_model->clear();
        m_total->setText(QStringLiteral("0"));
        m_prompter.information(engineMessage(e));
        return;
    }
    m_model->setFooterText(1, m_number);
    m_model->setRows(std::move(rows));
    // The total is the footer's own sum, returns counted with their sign.
    m_total->setText(NumberText::general(m_model->sum(4)));
}

void SlipPanel::toggle()
{
    setVisible(!isVisible());
    if (isVisible())
        raise();
}

} // namespace quollin
