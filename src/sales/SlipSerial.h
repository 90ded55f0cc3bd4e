#pragma once

#include <QDate>
#include <QString>

namespace quollin {

// The daily slip serial and the day it was counted for. It starts from the
// stored serial of the last saved sale plus one, and restarts the first time
// the sale panel opens on a day other than the counted one.
//
// Several tills may sell into one file, so a number handed out as a new slip
// (at start, on a new day, by the next command) is moved on to the first
// serial whose slip holds no lines yet: the caller reads it from the file and
// passes it in. Such a number stays new until this till's first sale on it;
// the previous command steps back to earlier slips on purpose and hands out
// no new number.
class SlipSerial {
public:
    SlipSerial() = default;
    // From the stored texts: the last saved serial (a text that is no whole
    // number from 0 to the highest serial counts as absent) and the day it
    // was counted for.
    static SlipSerial fromStored(const QString &lastSerial, const QString &countedDay);

    int serial() const { return m_serial; }
    QString countedDay() const { return m_day; }
    // True while the current number was handed out as a new slip and holds
    // no sale of this till's yet.
    bool isNew() const { return m_new; }

    // On opening the sale panel: a day other than the counted one starts the
    // count after highestToday and becomes the counted day, so that later
    // openings the same day keep counting. True when it restarted.
    bool restartForDay(const QDate &today, int highestToday = 0);
    // A new number that has not been sold on yet moves on to freeSerial, the
    // first serial from it on whose slip holds no lines, so that it is still
    // new when other tills have used it meanwhile.
    void takeFree(int freeSerial);

    // The next number, a new one; it stops at the highest serial.
    void next();
    // Stops at 0.
    void previous();
    // A sale went onto this serial: the number is no longer new.
    void soldOn(int serial);
    // The operator typed a number of his own.
    void numberTyped() { m_new = false; }

    // The number of today's slip with the current serial.
    QString number(const QDate &today) const;
    // What is stored after a saved sale.
    QString storedText() const { return QString::number(m_serial); }

private:
    int m_serial = 1;
    QString m_day;
    bool m_new = true;
};

} // namespace quollin
