#include "records/SlipComposer.h"

#include "core/Prompter.h"
#include "session/Shop.h"
#include "records/ComposerPrint.h"
#include "records/ComposerTicketLayout.h"
#include "records/SixLineSlipLayout.h"
#include "sales/PdfFallback.h"
#include "sales/PrintTexts.h"
#include "sales/Tender.h"
#include "widgets/NumberKeysValidator.h"
#include "widgets/NamedWidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace quollin {

namespace {

const char *const kCaptions[] = {"商品编码", "商品名称", "规格型号", "数 量", "单 价", "金 额"};
const int kBoxWidths[] = {90, 150, 100, 60, 60, 70};

} // namespace

SlipComposer::SlipComposer(Shop &shop, Prompter &prompter, QWidget *parent)
    : FloatingPanel(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("slipComposer"));
    setAccessibleName(QStringLiteral("POS小票打印"));
    setToolTip(QStringLiteral("销售明细中点右键POS小票打印可添加多行记录"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 2, 8, 8);
    column->setSpacing(4);

    auto *top = new QHBoxLayout;
    auto *customerLabel = new QLabel(QStringLiteral("客户名称："), this);
    m_customer = Named(new QLineEdit(this), QStringLiteral("客户名称："), "composerCustomer");
    customerLabel->setBuddy(m_customer);
    m_close = new QToolButton(this);
    m_close->setObjectName(QStringLiteral("composerClose"));
    m_close->setText(QStringLiteral("×"));
    m_close->setAccessibleName(QStringLiteral("关闭"));
    m_close->setAutoRaise(true);
    top->addWidget(customerLabel);
    m_customer->setFixedWidth(240);
    top->addWidget(m_customer);
    top->addStretch(1);
    top->addWidget(m_close);
    column->addLayout(top);
    connect(m_close, &QToolButton::clicked, this, &SlipComposer::closePanel);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    for (int c = 0; c < ColumnCount; ++c) {
        auto *title = new QLabel(QString::fromUtf8(kCaptions[c]), this);
        title->setAlignment(Qt::AlignCenter);
        grid->addWidget(title, 0, c);
    }
    auto *remarkTitle = new QLabel(QStringLiteral("备 注"), this);
    remarkTitle->setAlignment(Qt::AlignCenter);
    grid->addWidget(remarkTitle, 0, ColumnCount + 1);
    for (int r = 0; r < ComposerRows::kRows; ++r) {
        for (int c = 0; c < ColumnCount; ++c) {
            const QByteArray name = "composer" + QByteArray::number(r) + "_" + QByteArray::number(c);
            auto *box = Named(new QLineEdit(this), QString::fromUtf8(kCaptions[c]), name.constData());
            box->setAccessibleDescription(QStringLiteral("第%1行").arg(r + 1));
            box->setReadOnly(true);
            box->setFocusPolicy(Qt::ClickFocus);
            box->setFixedWidth(kBoxWidths[c]);
            if (c >= Quantity)
                box->setAlignment(Qt::AlignRight);
            grid->addWidget(box, r + 1, c);
            m_boxes[size_t(r)][size_t(c)] = box;
        }
        const QByteArray name = "composerDelete" + QByteArray::number(r);
        QPushButton *remove = NamedButton(QStringLiteral("删"), name.constData(), this);
        remove->setAccessibleDescription(QStringLiteral("第%1行").arg(r + 1));
        remove->setToolTip(QStringLiteral("删除"));
        remove->setFixedWidth(28);
        grid->addWidget(remove, r + 1, ColumnCount);
        m_deletes[size_t(r)] = remove;
        connect(remove, &QPushButton::clicked, this, [this, r] { deleteRow(r); });
    }
    m_remark = Named(new QPlainTextEdit(this), QStringLiteral("备 注"), "composerRemark");
    m_remark->setFixedWidth(140);
    grid->addWidget(m_remark, 1, ColumnCount + 1, ComposerRows::kRows, 1);
    column->addLayout(grid);

    auto *bottom = new QHBoxLayout;
    auto *tender = new QGroupBox(QStringLiteral("小票现金结算"), this);
    tender->setObjectName(QStringLiteral("composerTender"));
    auto *tenderRow = new QHBoxLayout(tender);
    tenderRow->setContentsMargins(6, 2, 6, 4);
    const auto tenderBox = [&](const QString &caption, const char *name, const QString &text) {
        auto *label = new QLabel(caption, tender);
        auto *box = Named(new QLineEdit(text, tender), caption, name);
        box->setMaximumWidth(80);
        label->setBuddy(box);
        tenderRow->addWidget(label);
        tenderRow->addWidget(box);
        return box;
    };
    m_total = tenderBox(QStringLiteral("合计："), "composerTotal", QStringLiteral("0.00"));
    m_total->setReadOnly(true);
    m_cash = tenderBox(QStringLiteral("现金："), "composerCash", QString());
    m_change = tenderBox(QStringLiteral("找零："), "composerChange", QString());
    m_change->setReadOnly(true);
    m_cash->installEventFilter(this);
    m_cash->setValidator(new NumberKeysValidator(NumberKeysValidator::Sign::None, m_cash));
    connect(m_cash, &QLineEdit::editingFinished, this, &SlipComposer::updateChange);
    bottom->addWidget(tender);
    bottom->addStretch(1);
    m_ticketButton = NamedButton(QStringLiteral("POS小票打印"), "composerTicket", this);
    m_slipButton = NamedButton(QStringLiteral("销售单预览(6条)"), "composerSlip", this);
    bottom->addWidget(m_ticketButton);
    bottom->addWidget(m_slipButton);
    column->addLayout(bottom);
    connect(m_ticketButton, &QPushButton::clicked, this, &SlipComposer::printTicket);
    connect(m_slipButton, &QPushButton::clicked, this, &SlipComposer::previewSlip);

    setFixedSize(sizeHint());
    hide();
}

void SlipComposer::setShopLines(const QLineEdit *company, const QLineEdit *address)
{
    m_company = company;
    m_address = address;
}

int SlipComposer::carry(const ComposerRow &row)
{
    const int at = m_rows.add(row);
    if (at >= 0)
        showRows();
    return at;
}

void SlipComposer::showRows()
{
    for (int r = 0; r < ComposerRows::kRows; ++r) {
        const ComposerRow &row = m_rows.row(r);
        const QString texts[] = {row.code, row.name, row.specification, row.quantity, row.price, row.amount};
        for (int c = 0; c < ColumnCount; ++c)
            m_boxes[size_t(r)][size_t(c)]->setText(texts[c]);
    }
    // The total follows the rows at once.
    m_total->setText(m_rows.total());
}

void SlipComposer::updateChange()
{
    const QString cash = m_cash->text();
    if (cash.isEmpty())
        return;
    if (const std::optional<QString> change = Tender::change(cash, m_total->text()))
        m_change->setText(*change);
    else
        m_prompter.information(Tender::message(Tender::Verdict::NotANumber));
}

bool SlipComposer::eventFilter(QObject *watched, QEvent *event)
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

ComposerPrint SlipComposer::printContent() const
{
    ComposerPrint print;
    print.rows = m_rows;
    print.customer = m_customer->text();
    print.remark = m_remark->toPlainText();
    print.total = m_total->text();
    print.cash = m_cash->text();
    print.change = m_change->text();
    print.operatorName = m_shop.rights().operatorName();
    print.company = m_company ? m_company->text() : m_shop.settings().company();
    print.address = m_address ? m_address->text() : m_shop.settings().address();
    print.at = QDateTime::currentDateTime();
    return print;
}

void SlipComposer::printTicket()
{
    // Where the slip panel's tickets go; a ticket that did not print keeps
    // its rows for another try.
    const PrintTexts texts = m_printTexts ? m_printTexts() : m_shop.printTexts();
    const PrintOutcome outcome = PrintTicket(m_printer, ComposerTicketLayout::build(printContent()), texts, m_prompter);
    if (!outcome.done) {
        if (!outcome.message.isEmpty())
            m_prompter.information(outcome.message);
        return;
    }
    clear();
}

void SlipComposer::previewSlip()
{
    const SixLineSlip slip = SixLineSlipLayout::build(printContent());
    if (!slip.notice.isEmpty())
        m_prompter.information(slip.notice);
    PreviewLayoutOrKeepAsPdf(slip.layout, QStringLiteral("销售单"), m_prompter, window());
    clear();
    m_remark->clear();
}

void SlipComposer::clear()
{
    m_rows.clear();
    showRows();
    m_customer->clear();
    m_cash->clear();
    m_change->clear();
}

void SlipComposer::deleteRow(int row)
{
    m_rows.clearRow(row);
    showRows();
}

void SlipComposer::closePanel()
{
    m_rows.clear();
    showRows();
    hide();
}

} // namespace quollin
