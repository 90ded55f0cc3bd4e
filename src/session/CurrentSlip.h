#pragma once

#include "sales/SlipSerial.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace quollin {

class ShopSettings;
class SlipBook;

// The slip the till is working on, shared by the windows that sell onto it,
// list it and tender it: the daily serial, the number and customer listed,
// and the cash received. The sale panel sets the number and customer from
// its boxes; the slip panel lists what is set; the number commands ("+",
// "-", and the slip panel's own) step the serial here. Session state only:
// nothing here is written to the file, and the serial reaches the settings
// after each confirmation that passes its checks.
class CurrentSlip : public QObject {
    Q_OBJECT
public:
    CurrentSlip(SlipBook &slips, ShopSettings &settings, QObject *parent = nullptr);

    SlipSerial &serial() { return m_serial; }
    // The serial as stored, when the main window shows.
    void restore();
    // After a confirmation past its checks.
    void store();

    // Opening the sale panel: a new day's count goes on after the slips the
    // file already holds for it (and the day is remembered at once); a new
    // number moves on past slips other tills have sold on meanwhile. Read
    // errors are returned for the operator; the serial then stays.
    QStringList prepareForSale(const QDate &today);
    // A new number moves on to the first serial from it whose slip holds no
    // lines in the file. An engine message when that could not be read.
    QString takeFreeSerial(const QDate &today);

    QString number() const { return m_number; }
    QString customer() const { return m_customer; }
    // The slip to list now and its customer: listed() follows every time,
    // for the same number too (its lines are read again).
    void show(const QString &number, const QString &customer);
    // A sale went onto the slip listed, under this customer: its line comes
    // with the sale, so only the customer changes.
    void setCustomer(const QString &customer);

    QString cash() const { return m_cash; }
    void setCash(const QString &cash);

    // "+" and "下一单": the next serial, a new one, moved on to a free one;
    // a new tender starts. An engine message when the free serial could not
    // be read (the step is made all the same).
    QString next(const QDate &today);
    // "-" and "上一单": back one (not below 0); a new tender starts.
    void previous();

signals:
    // show(): list the slip number() for customer().
    void listed();
    void customerChanged();
    void cashChanged();
    // The serial stepped: the slip number is to be built from it again.
    // Forward is a new slip, which starts without a customer.
    void stepped(bool forward);

private:
    SlipBook &m_slips;
    ShopSettings &m_settings;
    SlipSerial m_serial;
    QString m_number;
    QString m_customer;
    QString m_cash;
    // The number last taken from a server's counter: no other till has it.
    QString m_reservedNumber;
};

} // namespace quollin
