#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace quollin::DateText {

// The one date form of the program, shown, typed and stored: yyyy-mm-dd.
inline QString date(const QDate &d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }
// A date and time of day, as the operator log keeps them.
inline QString dateTime(const QDateTime &t) { return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")); }
inline QDate parseDate(const QString &text) { return QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd")); }
inline QString today() { return date(QDate::currentDate()); }

} // namespace quollin::DateText
