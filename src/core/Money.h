#pragma once

#include <QString>

#include <compare>
#include <optional>

struct sqlite3;

namespace quollin {

// An amount of money in whole fen. Stored amounts are doubles; every sum,
// comparison and printed total goes through this type instead, so that
// 1.1 + 2.2 − 3.3 is nothing and not 4.4e-16, and a total never shows a
// residue the shop did not sell.
//
//     Money total;
//     for (const SlipLine &line : lines)
//         total += Money::fromValue(line.amount);
//     box->setText(total.general());
class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromFen(qint64 fen) { return Money(fen); }
    // A stored or computed value, rounded to the fen as the number texts
    // round it (15 significant digits first, then halves away from zero):
    // 2.675 → 2.68, 0.125 → 0.13. Not finite counts as nothing.
    static Money fromValue(double yuan);
    // A number text (see NumberText::parseDecimal), rounded likewise; no
    // value for a text that is no number.
    static std::optional<Money> fromText(const QString &text);

    constexpr qint64 fen() const { return m_fen; }
    // The nearest double: what a spreadsheet cell or a chart takes.
    double value() const { return double(m_fen) / 100.0; }
    constexpr bool isZero() const { return m_fen == 0; }
    constexpr bool isNegative() const { return m_fen < 0; }

    // The general number format, exact: "3.3", "0.05", "0", "-8".
    QString general() const;
    // The pattern "0.00": "3.30", "0.00", "-8.00".
    QString fixed2() const;

    // Sums saturate at the ends of the range instead of wrapping; no shop
    // comes near 9 × 10^16 yuan.
    Money &operator+=(Money other);
    Money &operator-=(Money other);
    friend Money operator+(Money a, Money b) { return a += b; }
    friend Money operator-(Money a, Money b) { return a -= b; }
    friend constexpr auto operator<=>(Money a, Money b) = default;

private:
    constexpr explicit Money(qint64 fen) : m_fen(fen) {}
    qint64 m_fen = 0;
};

// Makes the SQL function fen(x) known to a connection: x rounded to whole fen
// as Money::fromValue does, as an integer (NULL for NULL or a text that is no
// number). SUM(fen(x)) is then exact, where SUM(x) adds binary residue.
void registerMoneyFunctions(sqlite3 *db);

} // namespace quollin
