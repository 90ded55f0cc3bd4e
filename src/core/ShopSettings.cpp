#include "core/ShopSettings.h"

namespace quollin {

namespace {
const QString kZeroStock = QStringLiteral("n0");
const QString kAlarm = QStringLiteral("number");
const QString kSerial = QStringLiteral("danhao");
const QString kSerialDay = QStringLiteral("riqi");
const QString kSkin = QStringLiteral("skin");
const QString kBackupPath = QStringLiteral("save");
const QString kDailyBackup = QStringLiteral("autobackup");
const QString kCompany = QStringLiteral("company");
const QString kAddress = QStringLiteral("address");
const QString kTicketPrinter = QStringLiteral("posprinter");
const QString kCashDrawer = QStringLiteral("drawer");

QString numbered(const char *stem, int which)
{
    Q_ASSERT(which >= 1 && which <= 4);
    return QLatin1String(stem) + QString::number(which);
}
} // namespace

std::optional<bool> ShopSettings::hideZeroStock() const
{
    const QString v = m_store.read(kZeroStock);
    if (v == QLatin1String("no"))
        return true;
    if (v == QLatin1String("yes"))
        return false;
    return std::nullopt;
}

void ShopSettings::setHideZeroStock(bool hidden)
{
    m_store.write(kZeroStock, hidden ? QStringLiteral("no") : QStringLiteral("yes"));
}

QString ShopSettings::alarmLevel() const { return m_store.read(kAlarm); }
void ShopSettings::setAlarmLevel(const QString &text) { m_store.write(kAlarm, text); }
QString ShopSettings::lastSerial() const { return m_store.read(kSerial); }
void ShopSettings::setLastSerial(const QString &text) { m_store.write(kSerial, text); }
QString ShopSettings::serialDay() const { return m_store.read(kSerialDay); }
void ShopSettings::setSerialDay(const QString &day) { m_store.write(kSerialDay, day); }
QString ShopSettings::skin() const { return m_store.read(kSkin); }
void ShopSettings::setSkin(const QString &value) { m_store.write(kSkin, value); }
QString ShopSettings::backupPath() const { return m_store.read(kBackupPath); }
void ShopSettings::setBackupPath(const QString &path) { m_store.write(kBackupPath, path); }
bool ShopSettings::dailyBackup() const { return m_store.read(kDailyBackup) != QLatin1String("no"); }
void ShopSettings::setDailyBackup(bool on) { m_store.write(kDailyBackup, on ? QStringLiteral("yes") : QStringLiteral("no")); }
QString ShopSettings::columnSwitch(const QString &key) const { return m_store.read(key); }
void ShopSettings::setColumnSwitch(const QString &key, const QString &value) { m_store.write(key, value); }
QString ShopSettings::pos(int which) const { return m_store.read(numbered("pos", which)); }
bool ShopSettings::setPos(int which, const QString &text) { return m_store.write(numbered("pos", which), text); }
QString ShopSettings::dan(int which) const { return m_store.read(numbered("dan", which)); }
bool ShopSettings::setDan(int which, const QString &text) { return m_store.write(numbered("dan", which), text); }
QString ShopSettings::company() const { return m_store.read(kCompany); }
bool ShopSettings::setCompany(const QString &text) { return m_store.write(kCompany, text); }
QString ShopSettings::address() const { return m_store.read(kAddress); }
bool ShopSettings::setAddress(const QString &text) { return m_store.write(kAddress, text); }

QString ShopSettings::ticketPrinter() const { return m_store.read(kTicketPrinter); }
bool ShopSettings::setTicketPrinter(const QString &target) { return m_store.write(kTicketPrinter, target.trimmed()); }
bool ShopSettings::cashDrawer() const { return m_store.read(kCashDrawer) == QLatin1String("yes"); }
bool ShopSettings::setCashDrawer(bool on)
{
    return m_store.write(kCashDrawer, on ? QStringLiteral("yes") : QStringLiteral("no"));
}

} // namespace quollin
