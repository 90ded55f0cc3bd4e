#pragma once

#include "core/OperatorLog.h"
#include "core/ShopContext.h"
#include "core/ShopSettings.h"
#include "goods/GoodsStore.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/GoodsImport.h"
#include "goods/GoodsSummary.h"
#include "operators/OperatorAccounts.h"
#include "records/SaleLineStore.h"
#include "records/SalesStatistics.h"
#include "sales/PrintTexts.h"
#include "sales/SaleDesk.h"
#include "sales/SlipBook.h"
#include "session/CurrentSlip.h"

#include <QString>

#include <memory>
#include <optional>

namespace quollin {

// One shop session: the open file, one of each rule object over it, the
// settings by meaning, and the operator signed in. Windows take the session,
// ask its rule objects and subscribe to its signals (ShopContext); they never
// hold the connection themselves, so closing and reopening the file (backup,
// restore) leaves no window with a dead handle.
class Shop : public ShopContext {
    Q_OBJECT
public:
    Shop(std::unique_ptr<Database> db, SettingsStore &settings, QObject *parent = nullptr);
    ~Shop() override;

    GoodsStore &goods() { return m_goods; }
    GoodsSummary &goodsSummary() { return m_goodsSummary; }
    SlipBook &slips() { return m_slips; }
    SaleDesk &sales() { return m_sales; }
    OperatorAccounts &accounts() { return m_accounts; }
    OperatorLog &log() { return m_log; }
    SaleLineStore &saleLines() { return m_saleLines; }
    SalesStatistics &statistics() { return m_statistics; }
    ShopSettings &settings() { return m_settings; }
    DatabaseBackup &backups() { return m_backups; }
    GoodsImport &goodsImport() { return m_goodsImport; }
    CurrentSlip &currentSlip() { return m_currentSlip; }

    // The texts tickets and slips print, as the print settings window holds
    // them (an edit there counts at once); the stored ones until it is made.
    const PrintTexts &printTexts();
    void setPrintTexts(const PrintTexts &texts) { m_printTexts = texts; }
    // The date tickets print: the stock-in date as the operator last set
    // it, today until then.
    QString printDate() const;
    void setPrintDate(const QString &date) { m_printDate = date; }

    struct SignIn {
        bool ok = false;
        QString message; // why not, for the operator
    };
    // Checks the password; a sign-in counts only once its log row is written.
    // The name is matched as stored, the operator's rights follow from it.
    SignIn signIn(const QString &name, const QString &password);
    qint64 signInLogId() const { return m_signInLogId; }
    // Stamps the end of this sign-in into its log row.
    void recordClose();

    // Closes the file and opens it again from its path (after a backup or a
    // restore). A file that cannot be opened throws DbError and stays closed.
    void reopen();

private:
    ShopSettings m_settings;
    GoodsStore m_goods;
    GoodsSummary m_goodsSummary;
    SlipBook m_slips;
    SaleDesk m_sales;
    OperatorAccounts m_accounts;
    OperatorLog m_log;
    DatabaseBackup m_backups;
    GoodsImport m_goodsImport;
    SaleLineStore m_saleLines;
    SalesStatistics m_statistics;
    CurrentSlip m_currentSlip;
    // Read from the settings when first asked for, as the window that edits
    // them is made after the session.
    std::optional<PrintTexts> m_printTexts;
    QString m_printDate;
    qint64 m_signInLogId = 0;
};

} // namespace quollin
