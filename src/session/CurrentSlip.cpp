#include "session/CurrentSlip.h"

#include "core/Database.h"
#include "core/DateText.h"
#include "core/EngineMessage.h"
#include "core/ShopSettings.h"
#include "sales/SlipBook.h"

namespace quollin {

CurrentSlip::CurrentSlip(SlipBook &slips, ShopSettings &settings, QObject *parent)
    : QObject(parent), m_slips(slips), m_settings(settings)
{
}

void CurrentSlip::restore() { m_serial = SlipSerial::fromStored(m_settings.lastSerial(), m_settings.serialDay()); }

void CurrentSlip::store() { m_settings.setLastSerial(m_serial.storedText()); }

QStringList CurrentSlip::prepareForSale(const QDate &today)
{
    QStringList messages;
    if (m_serial.countedDay() != DateText::date(today)) {
        int highest = 0;
        try {
            highest = m_slips.highestSerialOn(today);
        } catch (const DbError &e) {
            messages << engineMessage(e);
        }
        m_serial.restartForDay(today, highest);
        m_settings.setSerialDay(m_serial.countedDay());
    }
    // Other tills may have sold on the new number since it was handed out.
    if (const QString message = takeFreeSerial(today); !message.isEmpty())
        messages << message;
    return messages;
}

QString CurrentSlip::takeFreeSerial(const QDate &today)
{
    if (!m_serial.isNew())
        return {};
    try {
        // A number reserved from the server's counter is this till's alone.
        const bool reserves = m_slips.reservesNumbers();
        if (reserves && m_serial.number(today) == m_reservedNumber)
            return {};
        if (const std::optional<int> free = m_slips.freeSerialOn(today, m_serial.serial()))
            m_serial.takeFree(*free);
        if (reserves)
            m_reservedNumber = m_serial.number(today);
    } catch (const DbError &e) {
        return engineMessage(e);
    }
    return {};
}

void CurrentSlip::show(const QString &number, const QString &customer)
{
    m_number = number.trimmed();
    m_customer = customer;
    emit listed();
}

void CurrentSlip::setCustomer(const QString &customer)
{
    if (customer == m_customer)
        return;
    m_customer = customer;
    emit customerChanged();
}

void CurrentSlip::setCash(const QString &cash)
{
    if (cash == m_cash)
        return;
    m_cash = cash;
    emit cashChanged();
}

QString CurrentSlip::next(const QDate &today)
{
    m_serial.next();
    const QString message = takeFreeSerial(today);
    emit stepped(true);
    setCash(QStringLiteral("0"));
    return message;
}

void CurrentSlip::previous()
{
    m_serial.previous();
    emit stepped(false);
    setCash(QStringLiteral("0"));
}

} // namespace quollin
