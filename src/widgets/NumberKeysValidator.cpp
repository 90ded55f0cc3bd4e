#include "widgets/NumberKeysValidator.h"

#include <QKeyEvent>

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

CashKey classifyCashKey(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return CashKey::Enter;
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return CashKey::Pass;
    const QString text = key->text();
    const bool typed = text.size() == 1 && (text.at(0).isDigit() || text.at(0) == QLatin1Char('.'))
                       && text.at(0).unicode() < 128 && !(key->modifiers() & Qt::ControlModifier);
    return typed ? CashKey::Pass : CashKey::Drop;
}

} // namespace quollin
