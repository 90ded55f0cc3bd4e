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

// The keys of every number box: Enter (the box's owner moves the focus on),
// keys that move about or edit (Backspace, Delete, arrows, Tab, Escape and
// combinations with Ctrl or Alt such as a paste) and the ASCII digits and
// point pass; every other key that would type is dropped. What a paste
// brings is the validator's to judge.
enum class NumberKey { Enter, Pass, Drop };
NumberKey classifyNumberKey(const QKeyEvent *key);

} // namespace quollin
