#include "core/SettingsStore.h"

#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace quollin {

namespace {

constexpr const char *kOrganisation = "brennick";
constexpr const char *kApplication = "jxc";

std::unique_ptr<QSettings> openStore(const QString &iniFile)
{
    if (iniFile.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QLatin1String(kOrganisation), QLatin1String(kApplication));
    return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
}

// Every value is a string. An ini file edited by hand may hold "a, b", which
// the ini reader turns into a list; give it back as it was written.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

bool SettingsStore::exists() const
{
    if (!m_iniFile.isEmpty())
        return QFileInfo::exists(m_iniFile);
    return !openStore(m_iniFile)->allKeys().isEmpty();
}

QString SettingsStore::read(const QString &name) const
{
    return asText(openStore(m_iniFile)->value(name));
}

QHash<QString, QString> SettingsStore::read(const QStringList &names) const
{
    const auto store = openStore(m_iniFile);
    QHash<QString, QString> out;
    for (const QString &name : names)
        out.insert(name, asText(store->value(name)));
    return out;
}

bool SettingsStore::write(const QString &name, const QString &value)
{
    const auto store = openStore(m_iniFile);
    store->setValue(name, value);
    store->sync();
    return store->status() == QSettings::NoError;
}

QString SettingsStore::location() const { return openStore(m_iniFile)->fileName(); }

} // namespace quollin
