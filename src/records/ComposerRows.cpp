#include "records/ComposerRows.h"

#include "core/Money.h"
#include "core/NumberText.h"

namespace quollin {

ComposerRow ComposerRow::fromLine(const QString &code, const QString &name, const QString &specification,
                                  double quantity, double price, double amount)
{
    return ComposerRow{.code = code,
                       .name = name,
                       .specification = specification,
                       .quantity = NumberText::general(quantity),
                       .price = NumberText::general(price),
                       .amount = Money::fromValue(amount).fixed2()};
}

int ComposerRows::add(const ComposerRow &row)
{
    for (int i = 0; i < kRows; ++i) {
        if (m_rows[size_t(i)].isEmpty()) {
            m_rows[size_t(i)] = row;
            return i;
        }
    }
    return -1;
}

void ComposerRows::clearRow(int index)
{
    if (index >= 0 && index < kRows)
        m_rows[size_t(index)] = ComposerRow{};
}

void ComposerRows::clear() { m_rows.fill(ComposerRow{}); }

int ComposerRows::filledCount() const
{
    int n = 0;
    for (const ComposerRow &r : m_rows)
        n += r.isEmpty() ? 0 : 1;
    return n;
}

QString ComposerRows::total() const
{
    Money sum;
    for (const ComposerRow &r : m_rows)
        sum += Money::fromText(r.amount).value_or(Money());
    return sum.fixed2();
}

} // namespace quollin
