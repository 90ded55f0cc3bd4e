#include "sales/Tender.h"

#include "core/Money.h"

namespace quollin {

// Cash and total are money: compared and subtracted in whole fen, so that a
// cash equal to the total is never short and the change never shows residue.

std::optional<QString> Tender::change(const QString &cash, const QString &total)
{
    if (cash.isEmpty())
        return std::nullopt;
    const std::optional<Money> given = Money::fromText(cash);
    const std::optional<Money> due = Money::fromText(total);
    if (!given || !due)
        return std::nullopt;
    return (*given - *due).general();
}

Tender::Verdict Tender::check(const QString &total, const QString &cash)
{
    const std::optional<Money> due = Money::fromText(total);
    if (due && due->isZero())
        return Verdict::NoSale;
    if (cash.isEmpty())
        return Verdict::NoCash;
    const std::optional<Money> given = Money::fromText(cash);
    if (!given || !due)
        return Verdict::NotANumber;
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
    return Money::fromText(cash).value_or(Money()).fixed2();
}

QString Tender::changeOnTicket(const QString &cash, const QString &total)
{
    const Money given = Money::fromText(cash).value_or(Money());
    const Money due = Money::fromText(total).value_or(Money());
    return (given - due).fixed2();
}

} // namespace quollin
