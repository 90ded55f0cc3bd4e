#include "core/PinyinInitials.h"

#include "core/GbkCodec.h"
#include "core/LevelTwoLists.h"

#include <QList>
#include <QStringView>

#include <array>

namespace quollin {

namespace {

struct InitialRange {
    char letter;
    unsigned first;
    unsigned last;
};

// First-level GB2312 is in pinyin order; no character starts with i, u or v.
constexpr std::array<InitialRange, 23> FirstLevelRanges = {{
    {'a', 0xB0A1, 0xB0C4}, {'b', 0xB0C5, 0xB2C0}, {'c', 0xB2C1, 0xB4ED},
    {'d', 0xB4EE, 0xB6E9}, {'e', 0xB6EA, 0xB7A1}, {'f', 0xB7A2, 0xB8C0},
    {'g', 0xB8C1, 0xB9FD}, {'h', 0xB9FE, 0xBBF6}, {'j', 0xBBF7, 0xBFA5},
    {'k', 0xBFA6, 0xC0AB}, {'l', 0xC0AC, 0xC2E7}, {'m', 0xC2E8, 0xC4C2},
    {'n', 0xC4C3, 0xC5B5}, {'o', 0xC5B6, 0xC5BD}, {'p', 0xC5BE, 0xC6D9},
    {'q', 0xC6DA, 0xC8BA}, {'r', 0xC8BB, 0xC8F5}, {'s', 0xC8F6, 0xCBF9},
    {'t', 0xCBFA, 0xCDD9}, {'w', 0xCDDA, 0xCEF3}, {'x', 0xCEF4, 0xD1B8},
    {'y', 0xD1B9, 0xD4D0}, {'z', 0xD4D1, 0xD7F9},
}};

constexpr char NoInitial = '!';

} // namespace

bool InPassThroughSet(char c)
{
    return PassThroughSet.find(c) != std::string_view::npos;
}

std::optional<char> Gb2312Initial(unsigned char hi, unsigned char lo)
{
    // GBK's additions share the lead bytes of GB2312 but sit below its cells
    // (second byte under A1); they are not the ordered first-level characters.
    if (lo < 0xA1)
        return std::nullopt;
    const unsigned code = hi * 256u + lo;
    for (const InitialRange &range : FirstLevelRanges) {
        if (code >= range.first && code <= range.last)
            return range.letter;
    }
    return std::nullopt;
}

QString PinyinInitials(const QString &text)
{
    QString result;
    result.reserve(text.size());
    // Whole code points: a surrogate pair is one character (and not in GBK); a
    // lone surrogate becomes U+FFFD, not in GBK either.
    for (const char32_t codePoint : QStringView(text).toUcs4()) {
        const std::optional<QByteArray> bytes = GbkBytes(codePoint);
        if (!bytes) {
            result += QLatin1Char(NoInitial);
            continue;
        }
        if (bytes->size() == 1) {
            const char c = bytes->at(0);
            if (InPassThroughSet(c))
                result += QLatin1Char(c);
            continue;
        }
        const auto hi = static_cast<unsigned char>(bytes->at(0));
        const auto lo = static_cast<unsigned char>(bytes->at(1));
        std::optional<char> letter = Gb2312Initial(hi, lo);
        if (!letter)
            letter = LevelTwoInitial(hi, lo);
        result += QLatin1Char(letter.value_or(NoInitial));
    }
    return result;
}

} // namespace quollin
