#pragma once

#include <QDate>
#include <QString>

namespace quollin {

// A slip's number: year, month and day of the given date and the daily
// serial, written together without separators (20240305003). The serial is
// padded to three digits and grows to four from 1000 on.
QString SlipNumber(const QDate &day, int serial);

} // namespace quollin
