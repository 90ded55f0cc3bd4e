#pragma once

#include <QString>

#include <optional>
#include <string_view>

namespace quollin {

// The single-byte characters that the initials keep as they are: digits,
// Latin letters in either case and some punctuation. Every other single byte
// (blank, quotes, ":;<=>?&]", control characters) is dropped.
inline constexpr std::string_view PassThroughSet =
    "0123456789abcdefghijklmnopqrstuvwxyz"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "!.#$%()*+-,/[\\|^~`@{}_";
static_assert(PassThroughSet.size() == 84);

bool InPassThroughSet(char c);

// The initial of a first-level GB2312 character, from the code ranges in which
// GB2312 orders those characters by pinyin; no value outside B0A1–D7F9. The
// test is on the number hi × 256 + lo alone.
std::optional<char> Gb2312Initial(unsigned char hi, unsigned char lo);

// The pinyin initials of a goods name or model text (规格), by which goods are
// found: "可口可乐" → "kkkl", "ABC饼干" → "ABCbg", "可乐 500ml" → "kl500ml".
// Works on the GBK form of the text, one character at a time: a pass-through
// byte is copied, another single byte is dropped, a two-byte character gives
// its lower-case initial or "!" when it has none, and a character GBK cannot
// hold gives "!". The result is ASCII and never has more bytes than the GBK
// text.
QString PinyinInitials(const QString &text);

} // namespace quollin
