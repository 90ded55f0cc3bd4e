#include "core/Money.h"

#include "core/Database.h"
#include "core/NumberText.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace quollin {

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

qint64 saturated(qint64 a, qint64 b, bool subtract)
{
    qint64 out = 0;
    const bool overflow = subtract ? __builtin_sub_overflow(a, b, &out) : __builtin_add_overflow(a, b, &out);
    if (!overflow)
        return out;
    return (subtract ? b < 0 : b > 0) ? kMax : kMin;
}

void fenFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    std::optional<double> value;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        value = sqlite3_value_double(argv[0]);
        break;
    case SQLITE_TEXT:
        value = NumberText::parseDecimal(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0])));
        break;
    default:
        break;
    }
    if (value && std::isfinite(*value))
        sqlite3_result_int64(context, Money::fromValue(*value).fen());
    else
        sqlite3_result_null(context);
}

} // namespace

Money Money::fromValue(double yuan)
{
    if (!std::isfinite(yuan))
        return {};
    const double scaled = yuan * 100.0;
    // Away from a half fen the nearest fen is beyond doubt: the 15-digit
    // form the texts use moves a value far less than the distance left.
    // Near a half (2.675 is 2.67499999… in binary) and for huge values the
    // text rounding decides, so that the total agrees with the grid's cells.
    const double fraction = std::fabs(scaled - std::trunc(scaled));
    if (std::fabs(scaled) < 1e12 && std::fabs(fraction - 0.5) > 1e-3)
        return Money(qint64(std::round(scaled)));
    QString digits = NumberText::fixed2(yuan);
    digits.remove(QLatin1Char('.'));
    bool ok = false;
    const qint64 fen = digits.toLongLong(&ok);
    if (ok)
        return Money(fen);
    return Money(yuan < 0 ? kMin : kMax);
}

std::optional<Money> Money::fromText(const QString &text)
{
    const std::optional<double> value = NumberText::parseDecimal(text);
    if (!value)
        return std::nullopt;
    return fromValue(*value);
}

QString Money::general() const
{
    // Through the unsigned magnitude: the lowest value has no positive twin.
    const quint64 magnitude = m_fen < 0 ? quint64(0) - quint64(m_fen) : quint64(m_fen);
    QString out = m_fen < 0 ? QStringLiteral("-") : QString();
    out += QString::number(magnitude / 100);
    const quint64 cents = magnitude % 100;
    if (cents != 0) {
        out += QLatin1Char('.') + QString::number(cents / 10);
        if (cents % 10 != 0)
            out += QString::number(cents % 10);
    }
    return out;
}

QString Money::fixed2() const
{
    const quint64 magnitude = m_fen < 0 ? quint64(0) - quint64(m_fen) : quint64(m_fen);
    return (m_fen < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) + QLatin1Char('.')
         + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

Money &Money::operator+=(Money other)
{
    m_fen = saturated(m_fen, other.m_fen, false);
    return *this;
}

Money &Money::operator-=(Money other)
{
    m_fen = saturated(m_fen, other.m_fen, true);
    return *this;
}

void registerMoneyFunctions(sqlite3 *db)
{
    const int rc = sqlite3_create_function_v2(db, "fen", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &fenFunction,
                                              nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)), rc);
}

} // namespace quollin
