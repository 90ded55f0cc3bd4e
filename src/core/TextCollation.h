#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

struct sqlite3;

namespace quollin {

// The one order of text in the program: Chinese by pinyin, as a Chinese
// Windows program sorts it, letters without regard to case. Blanks and
// punctuation come first, then digits, Latin letters, other alphabets and
// Chinese last. Drop-down lists read from the engine and text sorts made in
// memory both use it, so a list built from rows in hand equals the engine's.
//
// Texts the collator holds equal although they differ in more than letter
// case (full- and half-width letters, a zero-width character) are ordered by
// their case-folded code units: only texts that differ in case alone are
// equal, so "Coke" and "coke" are one entry of a distinct list and "Coke" and
// "Cokes" two.
namespace TextCollation {

// The order's name in statements: "… COLLATE " + kName.
inline constexpr char kName[] = "PINYIN_NOCASE";
// " COLLATE PINYIN_NOCASE", to append to an expression.
QString clause();

// Negative, zero or positive as a sorts before, with or after b.
int compare(QStringView a, QStringView b);
// The same on UTF-8, as the engine holds text.
int compareUtf8(QByteArrayView a, QByteArrayView b);
inline bool less(QStringView a, QStringView b) { return compare(a, b) < 0; }

// Each text's place in the order, for sorting many texts at once: equal
// texts share a place, and a place is lower exactly when its text sorts
// before. Made from the collator's sort keys, each text's key once.
std::vector<quint32> places(const std::vector<QString> &texts);

// The distinct texts of a pooled column among those marked used, as the
// engine's distinct lists give them: entry 0 is the empty cell (NULL) and
// comes first when used; texts of one place are one entry, the least by
// code point. Only the texts in use are ranked.
QStringList distinct(const std::vector<QString> &texts, const std::vector<char> &used);

// UTF-16 in code point order, as the engine compares UTF-8 bytes: a
// surrogate (part of a code point above U+FFFF) sorts after every other unit.
int compareCodePoints(const QString &a, const QString &b);

// The same order without the shortcut for texts of plain ASCII, for the
// tests that prove the shortcut gives the same answers.
int compareByCollator(QStringView a, QStringView b);
int compareUtf8ByCollator(QByteArrayView a, QByteArrayView b);

// Makes the order known to one connection under kName; throws DbError.
void registerWith(sqlite3 *db);

} // namespace TextCollation

} // namespace quollin
