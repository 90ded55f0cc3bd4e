#include "widgets/NumberKeysValidator.h"

namespace quollin {

NumberKeysValidator::NumberKeysValidator(Sign sign, QObject *parent) : QValidator(parent), m_sign(sign) {}

QValidator::State NumberKeysValidator::validate(QString &input, int &) const
{
    qsizetype from = 0;
    if (m_sign == Sign::LeadingMinus && input.startsWith(QLatin1Char('-')))
        from = 1;
    for (qsizetype i = from; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return Invalid;
    }
    return Acceptable;
}

} // namespace quollin
