#include "widgets/PasswordBox.h"

#include <QProxyStyle>
#include <QRegularExpressionValidator>

namespace quollin {

namespace {

class StarEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

PasswordBox::PasswordBox(QWidget *parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    setMaxLength(10);
    // Other keys are dropped as they are typed; pasted text must pass too.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9]{0,10}")), this));
    auto *style = new StarEchoStyle;
    style->setParent(this);
    setStyle(style);
}

} // namespace quollin
