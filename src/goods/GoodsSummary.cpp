#include "goods/GoodsSummary.h"

#include "core/Database.h"
#include "core/ShopContext.h"
#include "core/TextCollation.h"

namespace quollin {

QStringList GoodsSummary::hiddenFields() const
{
    if (m_shop.maySee(OperatorRestrictions::Column::SummaryAmounts))
        return {};
    return {purchaseAmountField(), salesAmountField(), stockAmountField()};
}

Statement GoodsSummary::statement()
{
    const QStringList hidden = hiddenFields();
    // Sum of the stored field, under the report's name for it. Amounts add
    // up in whole fen (fen(), see Money), so that a line's amount is exact
    // to the fen and carries no binary residue.
    struct Sum {
        const char *stored;
        QString field;
        bool money;
    };
    const Sum sums[] = {
        {"2", purchasedQuantityField(), false}, {"3", purchaseAmountField(), true},
        {"5", soldQuantityField(), false},      {"6", salesAmountField(), true},
        {"7", stockQuantityField(), false},     {"8", stockAmountField(), true},
    };
    // Texts that differ only in letter case are one article, as in the
    // lists; the line shows the least spelling by code point.
    QString sql = QStringLiteral("SELECT min(a) AS a,min(b) AS b,min(c) AS c,min(d) AS d");
    for (const Sum &sum : sums)
        if (!hidden.contains(sum.field))
            sql += QString(sum.money ? QStringLiteral(", sum(fen(\"%1\"))/100.0 AS %2") : QStringLiteral(", sum(\"%1\") AS %2"))
                       .arg(QLatin1String(sum.stored), sum.field);
    // No ORDER BY: the lines come in the engine's grouping order; the window
    // sorts what it holds.
    const QString collated = TextCollation::clause();
    sql += QStringLiteral(" FROM data GROUP BY a%1,b%1,c%1,d%1").arg(collated);
    return m_shop.db().prepare(sql);
}

std::vector<GoodsSummaryLine> GoodsSummary::lines()
{
    Statement s = statement();
    const QStringList hidden = hiddenFields();
    auto amount = [&](const QString &field) -> std::optional<double> {
        if (hidden.contains(field))
            return std::nullopt;
        return s.real(s.columnIndex(field.toUtf8().constData()));
    };
    std::vector<GoodsSummaryLine> out;
    while (s.next()) {
        GoodsSummaryLine line;
        line.name = s.text("a");
        line.specification = s.text("b");
        line.code = s.text("c");
        line.category = s.text("d");
        line.purchasedQuantity = s.real(purchasedQuantityField().toUtf8().constData());
        line.soldQuantity = s.real(soldQuantityField().toUtf8().constData());
        line.stockQuantity = s.real(stockQuantityField().toUtf8().constData());
        line.purchaseAmount = amount(purchaseAmountField());
        line.salesAmount = amount(salesAmountField());
        line.stockAmount = amount(stockAmountField());
        out.push_back(std::move(line));
    }
    return out;
}

} // namespace quollin
