#pragma once

#include "core/SettingsStore.h"

#include <QString>

#include <optional>

namespace quollin {

// The settings store's values by meaning. Each key is spelled here once; a
// window asks for what it restores and saves, never for a key text.
class ShopSettings {
public:
    explicit ShopSettings(SettingsStore &store) : m_store(store) {}

    SettingsStore &store() { return m_store; }
    bool exists() const { return m_store.exists(); }

    // n0: "no" hides goods without stock, "yes" lists them all; anything
    // else keeps the designed default (none chosen).
    std::optional<bool> hideZeroStock() const;
    void setHideZeroStock(bool hidden);

    // number: the stock alarm level as typed; empty when never set.
    QString alarmLevel() const;
    void setAlarmLevel(const QString &text);

    // danhao: the serial of the last saved slip, as stored.
    QString lastSerial() const;
    void setLastSerial(const QString &text);

    // riqi: the day the slip serial was last counted for (yyyy-mm-dd).
    QString serialDay() const;
    void setSerialDay(const QString &day);

    // skin: "0".."4", empty for the built-in look.
    QString skin() const;
    void setSkin(const QString &value);

    // save: the backup file the backup window last held, as typed; empty
    // when never set (the window then offers its default).
    QString backupPath() const;
    void setBackupPath(const QString &path);

    // autobackup: the daily automatic backup runs unless this reads "no".
    bool dailyBackup() const;
    void setDailyBackup(bool on);

    // A column switch of a grid (rukuyin1.., xiaoshouyin1..): "yes", "no" or
    // anything else, which leaves the columns as they are.
    QString columnSwitch(const QString &key) const;
    void setColumnSwitch(const QString &key, const QString &value);

    // The texts of tickets and slips. pos1..pos4: ticket title, slogans 1
    // and 2, closing line; dan1..dan4: slip header, contact line, slogans 1
    // and 2 (which runs 1 to 4); company and address: the shop's name and
    // address line. Writes are false when the store could not be written.
    QString pos(int which) const;
    bool setPos(int which, const QString &text);
    QString dan(int which) const;
    bool setDan(int which, const QString &text);
    QString company() const;
    bool setCompany(const QString &text);
    QString address() const;
    bool setAddress(const QString &text);

    // posprinter: where tickets go; empty for the system printer, otherwise
    // a receipt printer's device file or host:port.
    QString ticketPrinter() const;
    bool setTicketPrinter(const QString &target);
    // drawer: "yes" opens the cash drawer on the receipt printer after a
    // ticket; off unless chosen.
    bool cashDrawer() const;
    bool setCashDrawer(bool on);

private:
    SettingsStore &m_store;
};

} // namespace quollin
