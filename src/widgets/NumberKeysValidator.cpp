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

NumberKey classifyNumberKey(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Return: case Qt::Key_Enter:
        return NumberKey::Enter;
    case Qt::Key_Backspace: case Qt::Key_Delete: case Qt::Key_Tab: case Qt::Key_Backtab:
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Escape:
        return NumberKey::Pass;
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return NumberKey::Pass;
    const QString text = key->text();
    const bool typed = text.size() == 1 && text.at(0).unicode() < 128
                       && (text.at(0).isDigit() || text.at(0) == QLatin1Char('.'));
    return typed ? NumberKey::Pass : NumberKey::Drop;
}

} // namespace quollin
