#include "sales/SlipNumber.h"

namespace quollin {

QString SlipNumber(const QDate &day, int serial)
{
    // asprintf's "%.2d" pads with zeros but never cuts, so serial 1000 keeps
    // all four digits.
    return QString::asprintf("%d%.2d%.2d%.3d", day.year(), day.month(), day.day(), serial);
}

std::optional<int> SlipSerialOf(const QString &number, const QDate &day)
{
    const QString prefix = SlipNumber(day, 0).chopped(3);
    const QString trimmed = number.trimmed();
    if (!trimmed.startsWith(prefix) || trimmed.size() <= prefix.size())
        return std::nullopt;
    const QStringView digits = QStringView(trimmed).mid(prefix.size());
    // Only plain digits: toInt would take a sign or blanks.
    for (const QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool whole = false;
    const qlonglong serial = digits.toLongLong(&whole);
    if (!whole || serial > kMaxSlipSerial)
        return std::nullopt;
    return int(serial);
}

} // namespace quollin
