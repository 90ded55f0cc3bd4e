#include "core/NumberText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quollin::NumberText {

namespace {

// A non-negative value as decimal digits: integer part and fraction, taken
// from its 15-significant-digit form.
struct Digits {
    QString integer;
    QString fraction;
};

Digits toDigits(double magnitude)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    // buffer: d.dddddddddddddde[+-]xx
    const QString text = QString::fromLatin1(buffer);
    const qsizetype ePos = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(ePos);
    mantissa.remove(QLatin1Char('.'));
    const int exponent = text.mid(ePos + 1).toInt();

    Digits d;
    if (exponent >= 0) {
        while (mantissa.size() < exponent + 1)
            mantissa.append(QLatin1Char('0'));
        d.integer = mantissa.left(exponent + 1);
        d.fraction = mantissa.mid(exponent + 1);
    } else {
        d.integer = QStringLiteral("0");
        d.fraction = QString(-exponent - 1, QLatin1Char('0')) + mantissa;
    }
    while (d.fraction.endsWith(QLatin1Char('0')))
        d.fraction.chop(1);
    return d;
}

// Adds one unit in the last place of integer+fraction.
void incrementLastPlace(Digits &d)
{
    QString all = d.integer + d.fraction;
    qsizetype i = all.size() - 1;
    while (i >= 0) {
        if (all[i] == QLatin1Char('9')) {
            all[i] = QLatin1Char('0');
            --i;
        } else {
            all[i] = QChar(all[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        all.prepend(QLatin1Char('1'));
    const qsizetype integerLength = all.size() - d.fraction.size();
    d.integer = all.left(integerLength);
    d.fraction = all.mid(integerLength);
}

// decimals < 0: no rounding beyond the 15 significant digits.
QString rounded(double value, int decimals, bool keepZeros)
{
    if (!std::isfinite(value))
        return QString();
    Digits d = toDigits(std::fabs(value));
    if (decimals >= 0 && d.fraction.size() > decimals) {
        const bool up = d.fraction[decimals] >= QLatin1Char('5');
        d.fraction.truncate(decimals);
        if (up)
            incrementLastPlace(d);
    }
    if (keepZeros) {
        while (d.fraction.size() < decimals)
            d.fraction.append(QLatin1Char('0'));
    } else {
        while (d.fraction.endsWith(QLatin1Char('0')))
            d.fraction.chop(1);
    }
    // A plain scan: this runs for every amount a sale stores, and building a
    // regular expression each time cost more than the rest of the formatting.
    const auto nonZero = [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); };
    const bool zero = std::none_of(d.integer.cbegin(), d.integer.cend(), nonZero)
                      && std::none_of(d.fraction.cbegin(), d.fraction.cend(), nonZero);
    QString out = (value < 0 && !zero) ? QStringLiteral("-") : QString();
    out += d.integer;
    if (!d.fraction.isEmpty())
        out += QLatin1Char('.') + d.fraction;
    return out;
}

} // namespace

QString general(double value) { return rounded(value, -1, false); }

QString fixed2(double value) { return rounded(value, 2, true); }

QString grid(double value, int maxDecimals) { return rounded(value, maxDecimals, false); }

double roundHalfAwayFromZero(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    return rounded(value, decimals, false).toDouble();
}

std::optional<double> parseDecimal(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    const QString trimmed = text.trimmed();
    if (!pattern.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace quollin::NumberText
