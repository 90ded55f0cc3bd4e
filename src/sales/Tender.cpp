#include "sales/Tender.h"

#include "core/NumberText.h"

namespace quollin {

std::optional<QString> Tender::change(const QString &cash, const QString &total)
{
    if (cash.isEmpty())
        return std::nullopt;
    const std::optional<double> given = NumberText::parseDecimal(cash);
    const std::optional<double> due = NumberText::parseDecimal(total);
    if (!given || !due)
        return std::nullopt;
    return NumberText::general(*given - *due);
}

Tender::Verdict Tender::check(const QString &total, const QString &cash)
{
    if (total == QLatin1String("0"))
        return Verdict::NoSale;
    if (cash.isEmpty())
        return Verdict::NoCash;
    const std::optional<double> given = NumberText::parseDecimal(cash);
    const std::optional<double> due = NumberText::parseDecimal(total);
    if (!given || !due)
        return Verdict::NotANumber;
    // Both sides as the boxes show them: 0.1 + 0.2 shows as 0.3 and is
    // covered by a cash of 0.3.
    return *due <= *given ? Verdict::Print : Verdict::ShortCash;
}

QString Tender::message(Verdict verdict)
{
    switch (verdict) {
    case Verdict::NoSale: return QStringLiteral("先进行销售");
    case Verdict::NoCash: return QStringLiteral("输入现金额");
    case Verdict::NotANumber: return QStringLiteral("现金额不是有效的数字，请重新输入");
    case Verdict::ShortCash: return QStringLiteral("现金不足");
    case Verdict::Print: break;
    }
    return {};
}

QString Tender::cashOnTicket(const QString &cash)
{
    return NumberText::fixed2(NumberText::parseDecimal(cash).value_or(0.0));
}

QString Tender::changeOnTicket(const QString &cash, const QString &total)
{
    const double given = NumberText::parseDecimal(cash).value_or(0.0);
    const double due = NumberText::parseDecimal(total).value_or(0.0);
    return NumberText::fixed2(given - due);
}

} // namespace quollin
