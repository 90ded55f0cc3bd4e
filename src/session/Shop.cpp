#include "session/Shop.h"

#include "core/DateText.h"
#include "core/EngineMessage.h"
#include "core/ShopDatabase.h"

#include <QDateTime>

namespace quollin {

Shop::Shop(std::unique_ptr<Database> db, SettingsStore &settings, QObject *parent)
    : ShopContext(std::move(db), parent),
      m_settings(settings),
      m_goods(*this),
      m_goodsSummary(*this),
      m_slips(*this),
      m_sales(*this),
      m_accounts(*this),
      m_log(*this),
      m_backups(*this),
      m_goodsImport(*this),
      m_saleLines(*this),
      m_statistics(*this),
      m_currentSlip(m_slips, m_settings)
{
}

Shop::~Shop() = default;

Shop::SignIn Shop::signIn(const QString &name, const QString &password)
{
    SignIn result;
    try {
        const std::optional<QString> stored = m_accounts.verifiedName(name, password);
        if (!stored) {
            result.message = QStringLiteral("密码不正确！请重新输入！");
            return result;
        }
        // Without its log row a sign-in leaves no trace: it does not count.
        m_signInLogId = m_log.recordSignIn(*stored, QDateTime::currentDateTime());
        setOperator(*stored);
    } catch (const DbError &e) {
        m_signInLogId = 0;
        result.message = engineMessage(e);
        return result;
    }
    result.ok = true;
    emit signedIn(rights().operatorName());
    return result;
}

const PrintTexts &Shop::printTexts()
{
    if (!m_printTexts)
        m_printTexts = PrintTexts::load(m_settings);
    return *m_printTexts;
}

QString Shop::printDate() const { return m_printDate.isNull() ? DateText::today() : m_printDate; }

void Shop::recordClose()
{
    if (m_signInLogId == 0 || !isOpen())
        return;
    m_log.recordClose(m_signInLogId, QDateTime::currentDateTime());
}

void Shop::reopen()
{
    const QString path = databasePath();
    closeDatabase();
    reopenDatabase(ShopDatabase::open(path));
}

} // namespace quollin
