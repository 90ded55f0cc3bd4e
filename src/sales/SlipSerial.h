#pragma once

#include <QDate>
#include <QString>

namespace quollin {

// The daily slip serial and the day it was counted for. It starts from the
// stored serial of the last saved sale plus one, advances only by the next
// and previous commands, and restarts the first time the sale panel opens on
// a day other than the counted one: at 1, or after the highest serial that
// day's slips already hold.
class SlipSerial {
public:
    SlipSerial() = default;
    // From the stored texts: the last saved serial (a text that is no whole
    // number counts as absent) and the day it was counted for.
    static SlipSerial fromStored(const QString &lastSerial, const QString &countedDay);

    int serial() const { return m_serial; }
    QString countedDay() const { return m_day; }

    // On opening the sale panel: a day other than the counted one starts the
    // count after highestToday (the highest serial of that day's slips in the
    // file) and becomes the counted day, so that later openings the same day
    // keep counting. True when it restarted.
    bool restartForDay(const QDate &today, int highestToday = 0);

    void next() { ++m_serial; }
    // Stops at 0.
    void previous();

    // The number of today's slip with the current serial.
    QString number(const QDate &today) const;
    // What is stored after a saved sale.
    QString storedText() const { return QString::number(m_serial); }

private:
    int m_serial = 1;
    QString m_day;
};

} // namespace quollin
