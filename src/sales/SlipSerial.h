#pragma once

#include <QDate>
#include <QString>

namespace quollin {

// The daily slip serial and the day it belongs to. It starts from the stored
// serial of the last saved sale plus one, advances only by the next and
// previous commands, and restarts at 1 the first time the sale panel opens on
// a new day.
class SlipSerial {
public:
    SlipSerial() = default;
    // From the stored texts: the last saved serial (a text that is no whole
    // number counts as absent) and the last sale date.
    static SlipSerial fromStored(const QString &lastSerial, const QString &lastSaleDate);

    int serial() const { return m_serial; }
    QString lastSaleDate() const { return m_lastSaleDate; }

    // On opening the sale panel: a day other than the remembered one starts
    // the count at 1 and becomes the remembered day, so that later openings
    // the same day keep counting. True when it restarted.
    bool restartForDay(const QDate &today);

    void next() { ++m_serial; }
    // Stops at 0.
    void previous();

    // The number of today's slip with the current serial.
    QString number(const QDate &today) const;
    // What is stored after a saved sale.
    QString storedText() const { return QString::number(m_serial); }

private:
    int m_serial = 1;
    QString m_lastSaleDate;
};

} // namespace quollin
