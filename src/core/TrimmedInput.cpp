#include "core/TrimmedInput.h"

namespace quollin {

namespace {
bool isBlankOrControl(QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }
} // namespace

QString TrimmedInput(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace quollin
