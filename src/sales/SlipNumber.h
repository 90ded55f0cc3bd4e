#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace quollin {

// The highest daily serial a slip number is built with. No shop writes a
// million slips a day: a larger serial, stored or typed, is a damaged value,
// and keeping below it leaves the arithmetic far from overflow.
inline constexpr int kMaxSlipSerial = 999999;

// A slip's number: year, month and day of the given date and the daily
// serial, written together without separators (20240305003). The serial is
// padded to three digits and grows to four from 1000 on.
QString SlipNumber(const QDate &day, int serial);

// The serial of a number built for that day; none for a number of another
// day, one typed in another form, or one beyond kMaxSlipSerial.
std::optional<int> SlipSerialOf(const QString &number, const QDate &day);

} // namespace quollin
