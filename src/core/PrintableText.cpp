#include "core/PrintableText.h"

#include <QList>

namespace quollin {

namespace {
bool printable(char32_t c, bool keepLineBreaks)
{
    if (keepLineBreaks && (c == '\n' || c == '\t'))
        return true;
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

QString kept(const QString &text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (printable(c, keepLineBreaks))
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}
} // namespace

QString PrintableText(const QString &text) { return kept(text, false); }

QString MessageText(const QString &text) { return kept(text, true); }

} // namespace quollin
