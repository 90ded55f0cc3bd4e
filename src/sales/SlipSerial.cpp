#include "sales/SlipSerial.h"

#include "core/DateText.h"
#include "sales/SlipNumber.h"

namespace quollin {

SlipSerial SlipSerial::fromStored(const QString &lastSerial, const QString &countedDay)
{
    SlipSerial s;
    bool whole = false;
    const int stored = lastSerial.trimmed().toInt(&whole);
    s.m_serial = whole && stored >= 0 && stored < INT_MAX ? stored + 1 : 1;
    s.m_day = countedDay.trimmed();
    return s;
}

bool SlipSerial::restartForDay(const QDate &today, int highestToday)
{
    const QString day = DateText::date(today);
    if (day == m_day)
        return false;
    m_serial = highestToday >= 0 && highestToday < INT_MAX ? highestToday + 1 : 1;
    m_day = day;
    return true;
}

void SlipSerial::previous()
{
    if (m_serial > 0)
        --m_serial;
}

QString SlipSerial::number(const QDate &today) const { return SlipNumber(today, m_serial); }

} // namespace quollin
