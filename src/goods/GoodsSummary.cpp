#include "goods/GoodsSummary.h"

#include "core/Columns.h"
#include "core/Database.h"
#include "core/ShopContext.h"
#include "core/TextCollation.h"
#include "widgets/GridReader.h"

#include <QChar>

#include <array>

namespace quollin {

QStringList GoodsSummary::hiddenFields() const
{
    if (m_shop.maySee(OperatorRestrictions::Column::SummaryAmounts))
        return {};
    return {purchaseAmountField(), salesAmountField(), stockAmountField()};
}

namespace {

// For each UTF-16 code point, the least and the greatest code point that
// folds to the same character: texts equal but for letter case lie, code
// point by code point, between the two.
struct FoldBounds {
    std::array<char16_t, 0x10000> least{}, greatest{};
    FoldBounds()
    {
        std::array<char16_t, 0x10000> classLeast, classGreatest;
        classLeast.fill(0xFFFF);
        classGreatest.fill(0);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t f = QChar::toCaseFolded(c);
            if (f >= 0x10000)
                continue;
            classLeast[f] = std::min<char16_t>(classLeast[f], char16_t(c));
            classGreatest[f] = std::max<char16_t>(classGreatest[f], char16_t(c));
        }
        for (char32_t c = 0; c < 0x10000; ++c) {
            const char32_t f = QChar::toCaseFolded(c);
            least[c] = f < 0x10000 ? std::min<char16_t>(classLeast[f], char16_t(c)) : char16_t(c);
            greatest[c] = f < 0x10000 ? std::max<char16_t>(classGreatest[f], char16_t(c)) : char16_t(c);
        }
    }
};

// The binary range every text equal to this one in the program's text
// order falls into, so that the name's index finds an article's rows.
std::pair<QString, QString> caseRange(const QString &text)
{
    static const FoldBounds bounds;
    QList<char32_t> low, high;
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x10000) {
            low << bounds.least[c];
            high << bounds.greatest[c];
        } else {
            const char32_t variants[] = {c, QChar::toLower(c), QChar::toUpper(c), QChar::toCaseFolded(c)};
            low << *std::min_element(std::begin(variants), std::end(variants));
            high << *std::max_element(std::begin(variants), std::end(variants));
        }
    }
    return {QString::fromUcs4(low.constData(), low.size()), QString::fromUcs4(high.constData(), high.size())};
}

} // namespace

QString GoodsSummary::grouping()
{
    return QStringLiteral(" GROUP BY a%1,b%1,c%1,d%1").arg(TextCollation::clause());
}

QString GoodsSummary::selectSums() const
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
    return sql + QStringLiteral(" FROM data");
}

void GoodsSummary::read(GridRows &rows)
{
    // No ORDER BY: the lines come in the engine's grouping order; the window
    // sorts what it holds.
    Statement s = m_shop.db().prepare(selectSums() + grouping());
    const GridReader reader(s, rows, hiddenFields());
    while (s.next())
        reader.appendRow(s, rows);
}

void GoodsSummary::readArticleOf(qint64 goodsId, GridRows &rows)
{
    using namespace GoodsColumn;
    const char *const keyFields[] = {Name, Specification, Code, Category};
    Statement row = m_shop.db().prepare(QStringLiteral("SELECT a,b,c,d FROM data WHERE \"ID\"=:id"));
    row.bind(":id", goodsId);
    if (!row.next())
        return;
    // The article is every row whose four fields equal this row's in the
    // grouping's own order; an empty field groups with the empty ones only.
    QString where;
    QList<std::pair<QByteArray, QString>> values;
    for (int at = 0; at < 4; ++at) {
        const QString field = QLatin1String(keyFields[at]);
        if (!where.isEmpty())
            where += QStringLiteral(" AND ");
        if (row.isNull(at)) {
            where += field + QStringLiteral(" IS NULL");
            continue;
        }
        const QString value = row.text(at);
        const QByteArray name = ":k" + QByteArray::number(at);
        where += field + QLatin1Char('=') + QLatin1String(name) + TextCollation::clause();
        values << std::pair{name, value};
        if (at == 0) {
            // The plain comparison of the range is what the name's index answers.
            const auto [low, high] = caseRange(value);
            where += QStringLiteral(" AND a>=:low AND a<=:high");
            values << std::pair{QByteArray(":low"), low} << std::pair{QByteArray(":high"), high};
        }
    }
    row.reset();
    Statement s = m_shop.db().prepare(selectSums() + QStringLiteral(" WHERE ") + where + grouping());
    for (const auto &[name, value] : std::as_const(values))
        s.bind(name.constData(), value);
    const GridReader reader(s, rows, hiddenFields());
    if (s.next())
        reader.appendRow(s, rows);
}

std::vector<GoodsSummaryLine> GoodsSummary::lines()
{
    Statement s = m_shop.db().prepare(selectSums() + grouping());
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
