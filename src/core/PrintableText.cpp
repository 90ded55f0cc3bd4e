#include "core/PrintableText.h"

#include <QList>

namespace quollin {

namespace {
bool printable(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}
} // namespace

QString PrintableText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (printable(c))
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

} // namespace quollin
