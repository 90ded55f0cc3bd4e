#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quollin {

class GridRows;
class ShopContext;
class Statement;

// One line of the goods summary: every stock-in row of one article (equal
// name, specification, code and category) folded together.
struct GoodsSummaryLine {
    QString name, specification, code, category;
    double purchasedQuantity = 0;
    double soldQuantity = 0;
    double stockQuantity = 0;
    // Empty for an operator who may not see amounts: they are never read.
    std::optional<double> purchaseAmount, salesAmount, stockAmount;
};

// The goods summary report "汇总统计": the rows of table data grouped by
// article with their quantities and amounts summed. Read-only.
class GoodsSummary {
public:
    explicit GoodsSummary(ShopContext &shop) : m_shop(shop) {}

    // The result's fields: the four article fields a, b, c, d and the six sums.
    static QString purchasedQuantityField() { return QStringLiteral("进货数量"); }
    static QString purchaseAmountField() { return QStringLiteral("进货金额"); }
    static QString soldQuantityField() { return QStringLiteral("销售数量"); }
    static QString salesAmountField() { return QStringLiteral("销售金额"); }
    static QString stockQuantityField() { return QStringLiteral("库存数量"); }
    static QString stockAmountField() { return QStringLiteral("库存金额"); }

    // The sums the signed-in operator may not see; the statement leaves them
    // out, so a reader finds no such column and leaves its cells empty.
    QStringList hiddenFields() const;
    // Every line, one per article in the engine's grouping order, appended
    // to the rows by field; the sums the operator may not see stay empty.
    void read(GridRows &rows);
    // The one line of the article the goods row belongs to, appended to the
    // rows as read() would give it; nothing when the row is gone. Reads only
    // that article's rows, through the name's index.
    void readArticleOf(qint64 goodsId, GridRows &rows);
    std::vector<GoodsSummaryLine> lines();

private:
    // "SELECT <article fields and sums> FROM data".
    QString selectSums() const;
    static QString grouping();

    ShopContext &m_shop;
};

} // namespace quollin
