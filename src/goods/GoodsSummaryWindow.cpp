#include "goods/GoodsSummaryWindow.h"

#include "core/Columns.h"
#include "core/EngineMessage.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "goods/GoodsQuery.h"
#include "goods/GoodsSummary.h"
#include "widgets/DataGrid.h"
#include "widgets/GridOutput.h"

#include <QMenu>
#include <QResizeEvent>

namespace quollin {

namespace {

constexpr int kClientWidth = 988;
constexpr int kClientHeight = 572;
// The grid leaves this much of the window's height free below it.
constexpr int kBelowGrid = 35;

} // namespace

std::vector<GridColumn> GoodsSummaryWindow::columns()
{
    const QString info = QStringLiteral("商 品 信 息");
    auto text = [&info](const char *field, const QString &title) {
        GridColumn c;
        c.field = QLatin1String(field);
        c.group = info;
        c.title = title;
        c.kind = GridKind::Text;
        c.width = 120;
        return c;
    };
    // Amounts and quantities as every grid shows them ("#0.##", "#0.###"):
    // the amounts are sums in fen, and the footer adds them in fen again.
    auto sum = [](const QString &field, const QString &group, const QString &title, GridKind kind) {
        GridColumn c;
        c.field = field;
        c.group = group;
        c.title = title;
        c.kind = kind;
        c.footer = FooterKind::Sum;
        c.alignment = Qt::AlignCenter;
        c.footerAlignment = Qt::AlignCenter;
        c.width = 80;
        return c;
    };
    const QString in = QStringLiteral("进 货");
    const QString out = QStringLiteral("销 售");
    const QString stock = QStringLiteral("存 货");
    const QString quantity = QStringLiteral("数 量");
    const QString amount = QStringLiteral("金 额");
    std::vector<GridColumn> columns{
        text(GoodsColumn::Name, QStringLiteral("名 称")),
        text(GoodsColumn::Specification, QStringLiteral("规格型号")),
        text(GoodsColumn::Code, QStringLiteral("编 码")),
        text(GoodsColumn::Category, QStringLiteral("类 别")),
        sum(GoodsSummary::purchasedQuantityField(), in, quantity, GridKind::Quantity),
        sum(GoodsSummary::purchaseAmountField(), in, amount, GridKind::Amount),
        sum(GoodsSummary::soldQuantityField(), out, quantity, GridKind::Quantity),
        sum(GoodsSummary::salesAmountField(), out, amount, GridKind::Amount),
        sum(GoodsSummary::stockQuantityField(), stock, quantity, GridKind::Quantity),
        sum(GoodsSummary::stockAmountField(), stock, amount, GridKind::Amount),
    };
    columns[0].footer = FooterKind::Text;
    columns[0].footerText = QStringLiteral("总计");
    columns[0].footerAlignment = Qt::AlignCenter;
    return columns;
}

GoodsSummaryWindow::GoodsSummaryWindow(Shop &shop, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                          | Qt::WindowCloseButtonHint),
      m_shop(shop), m_summary(shop.goodsSummary()), m_prompter(prompter)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("汇总统计"));
    resize(kClientWidth, kClientHeight);

    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("summaryGrid"));
    m_grid->setGridName(QStringLiteral("汇总统计"));
    m_model = new GridModel(columns(), this);
    m_grid->setModel(m_model);
    m_grid->setFitToWidth(true);
    connect(m_grid, &DataGrid::titleClicked, this, &GoodsSummaryWindow::titleClicked);

    m_menu = new QMenu(m_grid);
    m_menu->setObjectName(QStringLiteral("summaryMenu"));
    m_output = new GridOutput(m_grid, shop, prompter,
                              {QStringLiteral("商品进销存统计报表"), QStringLiteral("商 品 进 销 存 统 计 报 表")}, this);
    m_menu->addAction(m_output->exportAction());
    m_menu->addAction(m_output->printAction());
    m_grid->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_menu->popup(m_grid->view()->viewport()->mapToGlobal(at)); });

    // Whatever window committed the change, an open summary follows it.
    connect(&m_shop, &ShopContext::changed, this, &GoodsSummaryWindow::changed);
    connect(&m_shop, &ShopContext::databaseReopened, this, [this] {
        if (isVisible())
            reload();
    });
    connect(&m_shop, &ShopContext::databaseClosing, m_model, &GridModel::clear);
}

void GoodsSummaryWindow::read()
{
    m_model->clear();
    GridRows rows = m_model->emptyRows();
    // A sum the operator may not see is not read and stays empty.
    const QStringList hidden = m_summary.hiddenFields();
    for (int column = 0; column < rows.columnCount(); ++column)
        m_grid->setColumnVisible(rows.columnField(column), !hidden.contains(rows.columnField(column)));
    m_summary.read(rows);
    m_model->setRows(std::move(rows));
    if (m_sortColumn >= 0)
        m_model->sortBy(m_sortColumn, m_sortOrder);
}

namespace {

QString keyPart(bool null, const QVariant &value) { return null ? QStringLiteral("\x01") : value.toString(); }

} // namespace

QStringList GoodsSummaryWindow::articleKey(int row) const
{
    QStringList parts;
    for (int column = 0; column < 4; ++column)
        parts << keyPart(m_model->isNull(row, column), m_model->value(row, column));
    return parts;
}

int GoodsSummaryWindow::rowOfArticle(const QStringList &key) const
{
    // Field by field, so that most rows are passed over on the name alone.
    for (int row = 0; row < m_model->rowCount(); ++row) {
        int column = 0;
        while (column < 4 && keyPart(m_model->isNull(row, column), m_model->value(row, column)) == key.at(column))
            ++column;
        if (column == 4)
            return row;
    }
    return -1;
}

void GoodsSummaryWindow::reload()
{
    const int current = m_grid->currentRow();
    const QStringList key = current >= 0 ? articleKey(current) : QStringList();
    try {
        read();
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    const int rows = m_model->rowCount();
    int target = rows - 1;
    if (!key.isEmpty()) {
        if (const int row = rowOfArticle(key); row >= 0)
            target = row;
    }
    m_grid->setCurrentRow(target);
}

bool GoodsSummaryWindow::updateArticleOf(qint64 goodsId)
{
    GridRows line = m_model->emptyRows();
    m_summary.readArticleOf(goodsId, line);
    if (line.rowCount() != 1)
        return false;
    // The line shows each field's least spelling over the article's rows;
    // a sale or a line taken back changes none of them, so the line held
    // carries the same four texts.
    QStringList key;
    for (int column = 0; column < 4; ++column)
        key << keyPart(line.isNull(0, column), line.value(0, column));
    const int row = rowOfArticle(key);
    if (row < 0)
        return false;
    QVariantList values;
    for (int column = 0; column < line.columnCount(); ++column)
        values << line.value(0, column);
    m_model->setRowValues(row, values);
    return true;
}

void GoodsSummaryWindow::changed(const ChangeSet &changes)
{
    if (!isVisible() || changes.goods.isEmpty())
        return;
    // Only a sale or a sale line taken back changes goods rows together with
    // sale lines, and neither renames an article: their lines change in
    // place. New, removed or renamed goods rows move lines: read again.
    const RowChanges &goods = changes.goods;
    const bool inPlace = !goods.isAll() && goods.addedRows().isEmpty() && goods.removedRows().isEmpty()
                         && (changes.sale || !changes.saleLines.isEmpty());
    if (inPlace) {
        try {
            const int current = m_grid->currentRow();
            const QStringList key = current >= 0 ? articleKey(current) : QStringList();
            bool found = true;
            for (const qint64 id : goods.changedRows())
                found = found && updateArticleOf(id);
            if (found) {
                // A sort by a sum may move the changed lines; the cursor
                // stays on its article.
                if (m_sortColumn >= 4) {
                    m_model->sortBy(m_sortColumn, m_sortOrder);
                    if (!key.isEmpty())
                        m_grid->setCurrentRow(rowOfArticle(key));
                }
                return;
            }
        } catch (const DbError &e) {
            m_prompter.information(engineMessage(e));
            return;
        }
    }
    reload();
}

void GoodsSummaryWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        if (const QWidget *over = parentWidget())
            move(over->frameGeometry().center() - rect().center());
        // A new showing: the lines as the file holds them now, in its order,
        // the cursor on the last one.
        m_sortColumn = -1;
        m_grid->clearSortMarks();
        m_model->clear();
        reload();
    }
    QDialog::showEvent(event);
}

void GoodsSummaryWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Closed, the report holds nothing: the next showing reads again.
    if (!event->spontaneous())
        m_model->clear();
}

void GoodsSummaryWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_grid->setGeometry(0, 0, width(), qMax(0, height() - kBelowGrid));
}

void GoodsSummaryWindow::titleClicked(int column)
{
    const SortStep step = sortClick(m_grid->sortMark(column));
    m_sortColumn = column;
    m_sortOrder = step.descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_model->sortBy(column, m_sortOrder);
    m_grid->clearSortMarks();
    m_grid->setSortMark(column, step.markAfter);
}

} // namespace quollin
