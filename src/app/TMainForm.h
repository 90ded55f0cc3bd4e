#pragma once

#include "core/OperatorRestrictions.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QToolButton;

namespace quollin {

class DateBoxKeeper;
class GoodsList;
class GoodsSummaryWindow;
class GridOutput;
class ColumnMemory;
class StockInPanel;
class SalePanel;
class SlipPanel;
class HintPopup;
class MaintenanceCommands;
class Prompter;
class Shop;
class SuccessNotice;
class TAboutBox;
class Tchangepassfm;
class Tpos;
class Tchhform;
class Tloginfm;
class Tuserglfm;
class Txstj;

// The main window: it lives for the whole run, asks for sign-in at its first
// activation, and closing it ends the program. It lays out the windows over
// the shop session; each of them follows the shop's changes by itself.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    TMainForm(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);
    ~TMainForm() override;

    qint64 signInLogId() const;
    const OperatorRestrictions &restrictions() const;
    SalePanel *salePanel() const { return m_sale; }
    SlipPanel *slipPanel() const { return m_slip; }
    Txstj *salesRecordsWindow() const { return m_records; }

    GoodsList *goodsList() const { return m_goods; }
    StockInPanel *stockInPanel() const { return m_stockIn; }
    ColumnMemory *goodsColumns() const { return m_goodsColumns; }
    // The saved column layouts, beside the settings.
    QString layoutIniPath() const;
    GridOutput *goodsOutput() const { return m_goodsOutput; }
    // The goods summary, once it has been opened.
    GoodsSummaryWindow *summaryWindow() const;
    Tloginfm *signInWindow() const { return m_login; }
    Tchhform *helpWindow() const { return m_help; }
    SuccessNotice *successNotice() const { return m_notice; }
    DateBoxKeeper *dateBoxKeeper() const { return m_keeper; }
    MaintenanceCommands *maintenance() const { return m_maintenance; }
    QPointer<Tuserglfm> userAdministrationWindow() const { return m_userAdmin; }
    QPointer<Tchangepassfm> passwordWindow() const { return m_changePassword; }
    Tpos *printSettingsWindow() const { return m_printSettings; }

    // What runs each time the sign-in window shows (the real program writes
    // its desktop entry; tests leave the user's desktop alone).
    void setOnSignInShown(std::function<void()> action) { m_onSignInShown = std::move(action); }

    void showSuccess(const QString &text);
    // The status panel texts, left to right.
    QString statusText(int panel) const;

signals:
    // The sign-in window was closed without a sign-in: the program ends.
    void signInAbandoned();

public slots:
    void requestSignIn();
    void newStockIn();
    void changeGoods();
    void deleteGoods();
    void openSale(qint64 goodsId);
    // A scanned code's row: the sale panel with quantity 1, Enter to sell.
    void sellScanned(qint64 goodsId);
    void toggleSlipPanel();
    // "汇总统计": from the toolbar it waits until closed, from the goods
    // list's menu it stays open beside the main window.
    void openSummary(bool modal);
    void openSalesRecords();
    void openUserAdministration();
    void openPasswordChange();
    void openPrintSettings();
    void chooseSkin(int index);
    void startCalculator();
    void startTextEditor();
    void showHelp();
    void showAbout();
    void openWebSite();
    void openUpgradePage();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void signInFinished();

private:
    void buildLayout();
    QToolButton *addToolButton(const QString &caption, const QIcon &icon, const QString &hint);
    void addReportCommands(QMenu *goodsMenu);
    void applyRestrictions();
    void restoreSettings();
    bool allowed(OperatorRestrictions::Command command);

    Shop &m_shop;
    Prompter &m_prompter;
    GoodsList *m_goods = nullptr;
    StockInPanel *m_stockIn = nullptr;
    ColumnMemory *m_goodsColumns = nullptr;
    SalePanel *m_sale = nullptr;
    SlipPanel *m_slip = nullptr;
    Txstj *m_records = nullptr;
    Tpos *m_printSettings = nullptr;
    QToolButton *m_slipButton = nullptr;
    qint64 m_lastClickedGoodsId = -1;
    // The open sale panel came from a scan: once it is done, the code box
    // waits for the next one.
    bool m_saleFromScan = false;
    QToolButton *m_newStockInButton = nullptr;
    QList<QAction *> m_goodsMenuGuarded;
    GridOutput *m_goodsOutput = nullptr;
    QPointer<GoodsSummaryWindow> m_summary;

    Tloginfm *m_login;
    Tchhform *m_help;
    TAboutBox *m_about;
    QPointer<Tuserglfm> m_userAdmin;
    QPointer<Tchangepassfm> m_changePassword;

    QWidget *m_goodsArea = nullptr;
    QWidget *m_bottomPanel = nullptr;
    QWidget *m_toolbar = nullptr;
    SuccessNotice *m_notice;
    DateBoxKeeper *m_keeper;
    HintPopup *m_hints = nullptr;
    MaintenanceCommands *m_maintenance = nullptr;
    QLabel *m_statusPanels[4] = {};
    QMenu *m_settingsMenu = nullptr;
    QAction *m_passwordAction = nullptr;
    QAction *m_userAdminAction = nullptr;
    QAction *m_moveToServerAction = nullptr;
    QActionGroup *m_skinGroup = nullptr;

    std::function<void()> m_onSignInShown;
    bool m_signInPending = false;
    bool m_shownOnce = false;
};

} // namespace quollin
