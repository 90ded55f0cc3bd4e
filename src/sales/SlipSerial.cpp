#include "sales/SlipSerial.h"

#include "core/DateText.h"
#include "sales/SlipNumber.h"

#include <algorithm>

namespace quollin {

namespace {

// A serial read from the file beyond the range counts as none.
int valid(int serial) { return serial >= 0 && serial <= kMaxSlipSerial ? serial : 0; }

int after(int serial) { return std::min(serial + 1, kMaxSlipSerial); }

} // namespace

SlipSerial SlipSerial::fromStored(const QString &lastSerial, const QString &countedDay)
{
    SlipSerial s;
    bool whole = false;
    const qlonglong stored = lastSerial.trimmed().toLongLong(&whole);
    s.m_serial = whole && stored >= 0 && stored < kMaxSlipSerial ? int(stored) + 1 : 1;
    s.m_day = countedDay.trimmed();
    return s;
}

bool SlipSerial::restartForDay(const QDate &today, int highestToday)
{
    const QString day = DateText::date(today);
    if (day == m_day)
        return false;
    m_serial = after(valid(highestToday));
    m_day = day;
    m_new = true;
    return true;
}

void SlipSerial::takeFree(int freeSerial)
{
    if (m_new)
        m_serial = std::clamp(freeSerial, 0, kMaxSlipSerial);
}

void SlipSerial::next()
{
    m_serial = after(m_serial);
    m_new = true;
}

void SlipSerial::previous()
{
    if (m_serial > 0)
        --m_serial;
    m_new = false;
}

void SlipSerial::soldOn(int serial)
{
    m_serial = std::clamp(serial, 0, kMaxSlipSerial);
    m_new = false;
}

QString SlipSerial::number(const QDate &today) const { return SlipNumber(today, m_serial); }

} // namespace quollin
