#pragma once

#include <QByteArray>

#include <optional>

namespace quollin {

// Stored and compared text is GBK (code page 936): pinyin initials and the
// byte checks of amounts work on its bytes. One character at a time, so that
// callers always know where a character starts and ends.
//
// The GBK bytes of one Unicode code point: one byte for ASCII, two for the
// rest; no value when GBK has no such character (Hangul, emoji, any code point
// outside the Basic Multilingual Plane, a lone surrogate).
std::optional<QByteArray> GbkBytes(char32_t codePoint);

} // namespace quollin
