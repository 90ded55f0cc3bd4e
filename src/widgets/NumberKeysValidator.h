#pragma once

#include <QValidator>

class QKeyEvent;

namespace quollin {

// The rule of the number boxes' keys as a validator, so that a paste, a drop,
// an input method or an automation client's text meets the same rule as
// typing: ASCII digits and points only, and where the box may hold a return,
// one minus in front. Whether the text reads as a number in range is the
// command's check, not this one's: "1.2.3" passes here.
class NumberKeysValidator : public QValidator {
    Q_OBJECT
public:
    enum class Sign { None, LeadingMinus };
    NumberKeysValidator(Sign sign, QObject *parent);

    State validate(QString &input, int &position) const override;

private:
    Sign m_sign;
};

// The cash boxes' keys (the slip panel's and the composer's): Enter moves on
// to the ticket button, Backspace and Tab work as usual, ASCII digits and the
// point are typed, everything else is dropped.
enum class CashKey { Enter, Pass, Drop };
CashKey classifyCashKey(const QKeyEvent *key);

} // namespace quollin
