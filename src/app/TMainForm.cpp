#include "app/TMainForm.h"

#include "app/ExternalTools.h"
#include "app/Skins.h"
#include "app/TAboutBox.h"
#include "app/Tchhform.h"
#include "core/EngineMessage.h"
#include "core/DateText.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "goods/ColumnMemory.h"
#include "goods/GoodsList.h"
#include "goods/GoodsSummaryWindow.h"
#include "goods/StockInPanel.h"
#include "maintenance/MaintenanceCommands.h"
#include "sales/SalePanel.h"
#include "sales/SlipPanel.h"
#include "sales/Tpos.h"
#include "widgets/DataGrid.h"
#include "operators/Tchangepassfm.h"
#include "operators/Tloginfm.h"
#include "operators/Tuserglfm.h"
#include "records/Txstj.h"
#include "widgets/DateBoxKeeper.h"
#include "widgets/GridOutput.h"
#include "widgets/HintPopup.h"
#include "widgets/ShowOrCreateWindow.h"
#include "widgets/SuccessNotice.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <utility>

namespace quollin {

namespace {

constexpr int kClientWidth = 1031;
constexpr int kClientHeight = 636;
// The goods list takes the window's height less the bottom panel and the
// status bar.
constexpr int kBelowGoodsList = 196;
// How long a scan's note stays in the status bar.
constexpr int kScanMessageMs = 10000;

QApplication &application() { return *static_cast<QApplication *>(QCoreApplication::instance()); }

template <class W> W *centredOnScreen(W *window)
{
    window->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    return window;
}


} // namespace

TMainForm::TMainForm(Shop &shop, Prompter &prompter, QWidget *parent)
    : QMainWindow(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Quollin进销存 %1").arg(QCoreApplication::applicationVersion()));

    // The windows that live for the whole run, made in start order; none is
    // shown yet.
    m_help = new Tchhform(this);
    m_help->setWindowFlag(Qt::Window);
    m_login = new Tloginfm(shop, prompter, this);
    m_login->setWindowModality(Qt::WindowModal);
    connect(m_login, &Tloginfm::shownToOperator, this, [this] {
        if (m_onSignInShown)
            m_onSignInShown();
    });
    connect(m_login, &QDialog::finished, this, &TMainForm::signInFinished);
    m_about = new TAboutBox(m_shop.db().engineDescription(), this);

    m_hints = new HintPopup(this);
    buildLayout();
    m_notice = new SuccessNotice(centralWidget());
    m_keeper = new DateBoxKeeper(this);
    m_keeper->watch(m_stockIn->dateBox());
    m_keeper->watch(m_sale->dateBox());
    m_keeper->start();

    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TMainForm::~TMainForm() = default;

qint64 TMainForm::signInLogId() const { return m_shop.signInLogId(); }

const OperatorRestrictions &TMainForm::restrictions() const { return m_shop.rights(); }

QToolButton *TMainForm::addToolButton(const QString &caption, const QIcon &icon, const QString &hint)
{
    auto *button = new QToolButton(m_toolbar);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setObjectName(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(72);
    m_hints->attach(button, hint);
    m_toolbar->layout()->addWidget(button);
    return button;
}

void TMainForm::buildLayout()
{
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The goods list across the top, its search area in the bottom panel.
    m_goods = new GoodsList(m_shop, m_prompter, central);
    m_goodsArea = m_goods->grid();
    column->addWidget(m_goodsArea);

    m_bottomPanel = new QWidget(central);
    m_bottomPanel->setObjectName(QStringLiteral("bottomPanel"));
    auto *bottom = new QHBoxLayout(m_bottomPanel);
    bottom->setContentsMargins(6, 4, 6, 4);
    m_goods->searchArea()->setParent(m_bottomPanel);
    bottom->addWidget(m_goods->searchArea(), 1);
    auto *right = new QVBoxLayout;
    m_goods->alarmArea()->setParent(m_bottomPanel);
    m_toolbar = new QWidget(m_bottomPanel);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    auto *buttons = new QHBoxLayout(m_toolbar);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(4);
    right->addWidget(m_toolbar);
    right->addWidget(m_goods->alarmArea(), 0, Qt::AlignRight);
    bottom->addLayout(right);
    column->addWidget(m_bottomPanel, 1);
    setCentralWidget(central);

    // Menu "设 置".
    m_settingsMenu = new QMenu(QStringLiteral("设 置"), this);
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    m_settingsMenu->addAction(QStringLiteral("打印设置"), this, &TMainForm::openPrintSettings);
    m_passwordAction = m_settingsMenu->addAction(QStringLiteral("修改密码"), this, &TMainForm::openPasswordChange);
    m_userAdminAction = m_settingsMenu->addAction(QStringLiteral("用户管理"), this, &TMainForm::openUserAdministration);
    m_settingsMenu->addSeparator();
    QMenu *skins = m_settingsMenu->addMenu(QStringLiteral("界面换肤"));
    m_skinGroup = new QActionGroup(this);
    m_skinGroup->setExclusive(true);
    const QStringList captions = Skins::captions();
    for (int i = 0; i < captions.size(); ++i) {
        QAction *action = skins->addAction(captions.at(i));
        action->setCheckable(true);
        action->setData(i);
        m_skinGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { chooseSkin(i); });
    }
    m_settingsMenu->addAction(QStringLiteral("计算器"), this, &TMainForm::startCalculator);
    m_settingsMenu->addAction(QStringLiteral("记事本"), this, &TMainForm::startTextEditor);

    // Menu "技术支持".
    auto *support = new QMenu(QStringLiteral("技术支持"), this);
    support->setObjectName(QStringLiteral("supportMenu"));
    support->addAction(QStringLiteral("使用帮助"), this, &TMainForm::showHelp);
    support->addAction(QStringLiteral("软件升级"), this, &TMainForm::openUpgradePage);
    support->addAction(QStringLiteral("官方网站"), this, &TMainForm::openWebSite);
    support->addAction(QStringLiteral("关于..."), this, &TMainForm::showAbout);

    m_newStockInButton = addToolButton(QStringLiteral("新建入库"), style()->standardIcon(QStyle::SP_FileDialogNewFolder),
                                       QStringLiteral("登记新到的商品"));
    connect(m_newStockInButton, &QToolButton::clicked, this, &TMainForm::newStockIn);
    m_slipButton = addToolButton(QStringLiteral("单据打印"), style()->standardIcon(QStyle::SP_FileDialogContentsView),
                                 QStringLiteral("显示或隐藏当前销售单"));
    connect(m_slipButton, &QToolButton::clicked, this, &TMainForm::toggleSlipPanel);
    // Backup and restore on the toolbar; the spreadsheet import changes goods
    // and is guarded with the other commands that do.
    m_maintenance = new MaintenanceCommands(m_shop, m_prompter, this);
    connect(addToolButton(QStringLiteral("数据备份"), style()->standardIcon(QStyle::SP_DialogSaveButton),
                          QStringLiteral("备份或恢复数据库")),
            &QToolButton::clicked, m_maintenance, &MaintenanceCommands::openBackupWindow);
    m_goodsMenuGuarded << m_settingsMenu->addAction(QStringLiteral("Excel导入"), m_maintenance,
                                                    &MaintenanceCommands::openImportWindow);
    m_moveToServerAction = m_settingsMenu->addAction(QStringLiteral("把数据搬到服务器…"), m_maintenance,
                                                     &MaintenanceCommands::moveToServer);
    QToolButton *settingsButton = addToolButton(QStringLiteral("设 置"), style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                                QStringLiteral("密码、用户、界面换肤和小工具"));
    settingsButton->setMenu(m_settingsMenu);
    settingsButton->setPopupMode(QToolButton::InstantPopup);
    QToolButton *supportButton = addToolButton(QStringLiteral("技术支持"), style()->standardIcon(QStyle::SP_MessageBoxQuestion),
                                               QStringLiteral("使用帮助、软件升级和关于"));
    supportButton->setMenu(support);
    supportButton->setPopupMode(QToolButton::InstantPopup);

    // The stock-in panel floats over the goods list.
    m_stockIn = new StockInPanel(m_shop, m_prompter, central);
    m_stockIn->move(560, 20);
    connect(m_stockIn, &StockInPanel::saved, this, &TMainForm::showSuccess);
    // The lists "全部记录" has just read serve the panel's drop-downs too.
    connect(m_goods, &GoodsList::dropDownsRefilled, m_stockIn, &StockInPanel::setDropDowns);
    connect(m_goods->grid(), &DataGrid::titleClicked, m_stockIn, &QWidget::hide);

    // The sale panel and the slip panel float over the goods list too.
    m_sale = new SalePanel(m_shop, m_prompter, central);
    m_sale->move(330, 6);
    m_slip = new SlipPanel(m_shop, m_prompter, central);
    m_slip->move(20, 150);
    connect(m_sale, &SalePanel::opened, m_stockIn, &StockInPanel::allowChangeOf);
    connect(m_sale, &SalePanel::closed, m_stockIn, &StockInPanel::disableChange);
    connect(m_sale, &SalePanel::sold, this, [this] { showSuccess(QStringLiteral("销售数据保存成功...")); });
    // Both follow the session's current slip; the preview only shows the
    // slip panel.
    connect(m_sale, &SalePanel::previewRequested, this, &TMainForm::toggleSlipPanel);
    // The print texts are read once, now; the window hands its edits to the
    // session, which tickets and slips print from.
    m_printSettings = new Tpos(m_shop, m_prompter, this);
    // While the sale panel is open, its row is the list's current row: any
    // move or new read of the list closes it.
    connect(m_goods, &GoodsList::rowsChanging, m_sale, &QWidget::hide);
    connect(m_goods->grid(), &DataGrid::currentRowChanged, this, [this](int row) {
        if (m_sale->isVisible() && (row < 0 || m_goods->goodsId(row) != m_sale->goodsId()))
            m_sale->hide();
    });
    connect(m_goods, &GoodsList::rowDoubleClicked, this, &TMainForm::openSale);
    connect(m_goods, &GoodsList::scannedRow, this, &TMainForm::sellScanned);
    connect(m_goods, &GoodsList::scanMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text, kScanMessageMs); });
    auto nextScan = [this] {
        if (std::exchange(m_saleFromScan, false))
            m_goods->readyForScan();
    };
    connect(m_sale, &SalePanel::scanTyped, this, [this](const QString &text) {
        m_goods->readyForScan();
        m_goods->codeBox()->insert(text); // replaces the last code; the live search hides the panel
    });
    connect(m_sale, &SalePanel::sold, this, nextScan);
    connect(m_sale, &SalePanel::closed, this, nextScan);
    connect(m_goods, &GoodsList::rowClicked, this, [this](qint64 id) {
        if (id != m_lastClickedGoodsId) {
            m_lastClickedGoodsId = id;
            m_saleFromScan = false; // the operator went to the list
            m_sale->closePanel();
        }
        try {
            if (const auto row = m_shop.goods().find(id))
                m_stockIn->prefill(*row);
        } catch (const DbError &e) {
            m_prompter.information(engineMessage(e));
        }
    });
    connect(&m_shop, &ShopContext::signedIn, this, &TMainForm::applyRestrictions);

    // The goods list's context menu.
    auto *goodsMenu = new QMenu(m_goods->grid());
    goodsMenu->setObjectName(QStringLiteral("goodsMenu"));
    m_goodsMenuGuarded << goodsMenu->addAction(QStringLiteral("新建入库"), this, &TMainForm::newStockIn)
                       << goodsMenu->addAction(QStringLiteral("修 改"), this, &TMainForm::changeGoods)
                       << goodsMenu->addAction(QStringLiteral("删 除"), this, &TMainForm::deleteGoods);
    goodsMenu->addAction(QStringLiteral("全部记录"), m_goods, &GoodsList::refreshAll);
    goodsMenu->addSeparator();
    m_goodsColumns = new ColumnMemory(m_goods->grid(), m_shop.settings().store(), goodsColumnSwitches(), QStringLiteral("morvel"),
                                      layoutIniPath(), this);
    goodsMenu->addMenu(m_goodsColumns->buildMenu(goodsMenu))->setText(QStringLiteral("隐藏列"));
    QAction *readWidths = goodsMenu->addAction(QStringLiteral("读取列宽"), this, [this] { m_goodsColumns->restoreWidths(); });
    readWidths->setVisible(false);
    goodsMenu->addAction(QStringLiteral("保存当前列宽"), this, [this] {
        if (!m_goodsColumns->saveWidths())
            m_prompter.information(QStringLiteral("列宽没能保存到：") + layoutIniPath());
    });
    goodsMenu->addSeparator();
    goodsMenu->addAction(QStringLiteral("销售单(小票)打印"), this, &TMainForm::toggleSlipPanel);
    addReportCommands(goodsMenu);
    // The sales records window lives for the whole run and is shown modally
    // from the toolbar and from this menu; it follows the shop by itself.
    m_records = new Txstj(m_shop, m_prompter, this);
    QToolButton *recordsButton = addToolButton(QStringLiteral("销售明细"), style()->standardIcon(QStyle::SP_FileDialogListView),
                                               QStringLiteral("查询、修改和删除销售记录，查看销售统计"));
    connect(recordsButton, &QToolButton::clicked, this, &TMainForm::openSalesRecords);
    goodsMenu->addAction(QStringLiteral("销售明细"), this, &TMainForm::openSalesRecords);
    goodsMenu->addAction(QStringLiteral("打印设置"), this, &TMainForm::openPrintSettings);
    m_goods->grid()->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_goods->grid()->view(), &QWidget::customContextMenuRequested, this,
            [this, goodsMenu](const QPoint &at) { goodsMenu->popup(m_goods->grid()->view()->viewport()->mapToGlobal(at)); });

    // Status bar: hint, operator, today, the maker's address.
    const int widths[4] = {350, 200, 200, 0};
    for (int i = 0; i < 4; ++i) {
        m_statusPanels[i] = new QLabel(this);
        m_statusPanels[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        if (widths[i])
            m_statusPanels[i]->setFixedWidth(widths[i]);
        statusBar()->addWidget(m_statusPanels[i], widths[i] ? 0 : 1);
    }
    statusBar()->setSizeGripEnabled(false);
    m_statusPanels[1]->setText(QStringLiteral("操作员："));
    m_statusPanels[3]->setText(ExternalTools::webSite().toString());
    // A large goods table is read after sign-in while the window is in use.
    connect(m_goods, &GoodsList::readingMessage, statusBar(), [this](const QString &text) { statusBar()->showMessage(text); });
}

void TMainForm::addReportCommands(QMenu *goodsMenu)
{
    QToolButton *summaryButton = addToolButton(QStringLiteral("汇总统计"), style()->standardIcon(QStyle::SP_FileDialogInfoView),
                                               QStringLiteral("按商品汇总进货、销售和库存"));
    connect(summaryButton, &QToolButton::clicked, this, [this] { openSummary(true); });

    m_goodsOutput = new GridOutput(m_goods->grid(), m_shop, m_prompter,
                                   {QStringLiteral("商品进货统计报表"), QStringLiteral("商 品 进 货 统 计 报 表")}, this);
    goodsMenu->addSeparator();
    QAction *summary = goodsMenu->addAction(QStringLiteral("汇总统计"), this, [this] { openSummary(false); });
    summary->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    m_goodsOutput->exportAction()->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    m_goodsOutput->printAction()->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    goodsMenu->addAction(m_goodsOutput->exportAction());
    goodsMenu->addAction(m_goodsOutput->printAction());
    // The shortcuts work while the menu is closed.
    addActions({summary, m_goodsOutput->exportAction(), m_goodsOutput->printAction()});
}

GoodsSummaryWindow *TMainForm::summaryWindow() const { return m_summary.data(); }

void TMainForm::openSummary(bool modal)
{
    if (!m_summary)
        m_summary = new GoodsSummaryWindow(m_shop, m_prompter, this);
    if (m_summary->isVisible()) {
        m_summary->raise();
        m_summary->activateWindow();
        return;
    }
    m_summary->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    if (modal)
        m_summary->exec();
    else
        m_summary->show();
}

QString TMainForm::layoutIniPath() const
{
    return QFileInfo(m_shop.settings().store().location()).dir().filePath(QStringLiteral("qljxc.ini"));
}

QString TMainForm::statusText(int panel) const
{
    return panel >= 0 && panel < 4 ? m_statusPanels[panel]->text() : QString();
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    m_goodsArea->setFixedHeight(qMax(0, height() - kBelowGoodsList));
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Hints come at once on a light orange ground and go after two seconds.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(255, 194, 134));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
    m_goodsColumns->applySaved();
    restoreSettings();
    m_statusPanels[2]->setText(QStringLiteral("今天：") + DateText::today());
    // Activation asks for the sign-in; without a window manager there may be
    // no activation at all, so the first show asks too.
    QTimer::singleShot(0, this, &TMainForm::requestSignIn);
}

void TMainForm::restoreSettings()
{
    m_goods->restoreSettings();
    m_shop.currentSlip().restore();
    const QString skin = m_shop.settings().skin();
    if (Skins::isValid(skin)) {
        const int index = Skins::indexOf(skin);
        Skins::apply(application(), index);
        if (QAction *action = m_skinGroup->actions().value(index))
            action->setChecked(true);
    }
}

bool TMainForm::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (m_shop.signInLogId() == 0)
            QTimer::singleShot(0, this, &TMainForm::requestSignIn);
        break;
    case QEvent::StatusTip:
        m_statusPanels[0]->setText(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TMainForm::requestSignIn()
{
    if (m_shop.signInLogId() != 0 || m_signInPending || !isVisible())
        return;
    m_signInPending = true;
    m_login->open();
}

void TMainForm::signInFinished()
{
    m_signInPending = false;
    if (!m_login->succeeded()) {
        emit signInAbandoned();
        close();
        return;
    }
    // The shop announced the sign-in: the list, the panels and the
    // restrictions have followed it already.
    activateWindow();
    m_statusPanels[1]->setText(QStringLiteral("操作员：") + m_shop.rights().operatorName());
    m_goodsColumns->restoreWidths();
}

void TMainForm::applyRestrictions()
{
    const OperatorRestrictions &rights = m_shop.rights();
    // Hidden commands are disabled too: a hidden button can still be pressed
    // through the accessibility interface (the rules refuse it regardless).
    auto guard = [](auto *item, bool allowed) {
        item->setVisible(allowed);
        item->setEnabled(allowed);
    };
    guard(m_passwordAction, rights.mayRun(OperatorRestrictions::Command::ChangePassword));
    const bool changesGoods = rights.mayRun(OperatorRestrictions::Command::NewStockIn);
    guard(m_newStockInButton, changesGoods);
    for (QAction *action : std::as_const(m_goodsMenuGuarded))
        guard(action, changesGoods);
    guard(m_userAdminAction, rights.mayRun(OperatorRestrictions::Command::UserAdministration));
    // Only a shop kept in a file can move; on a server it has moved already.
    guard(m_moveToServerAction, rights.mayRun(OperatorRestrictions::Command::MoveToServer)
                                    && !Database::isServerLocation(m_shop.databasePath()));
    guard(m_stockIn->changeButton(), rights.mayRun(OperatorRestrictions::Command::ChangeGoods));
    guard(m_stockIn->newButton(), changesGoods);
    m_goodsColumns->setMayShow(goodsColumnsMayShow(rights));
    m_goodsColumns->applyRestrictions(rights);
}

bool TMainForm::allowed(OperatorRestrictions::Command command)
{
    if (m_shop.rights().mayRun(command))
        return true;
    m_prompter.information(OperatorRestrictions::refusalText());
    return false;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    try {
        m_shop.recordClose();
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_help->close();
    event->accept();
}

void TMainForm::showSuccess(const QString &text) { m_notice->trigger(text); }

void TMainForm::newStockIn()
{
    if (!allowed(OperatorRestrictions::Command::NewStockIn))
        return;
    m_slip->hide();
    m_sale->hide();
    m_stockIn->openForNew();
}

void TMainForm::changeGoods()
{
    if (!allowed(OperatorRestrictions::Command::ChangeGoods))
        return;
    const qint64 id = m_goods->currentGoodsId();
    const auto row = id ? m_shop.goods().find(id) : std::nullopt;
    if (!row) {
        m_prompter.information(QStringLiteral("没有选中的商品记录！"));
        return;
    }
    m_sale->hide();
    m_stockIn->openForChange(*row);
}

void TMainForm::deleteGoods()
{
    if (!allowed(OperatorRestrictions::Command::DeleteGoods))
        return;
    const qint64 id = m_goods->currentGoodsId();
    if (id == 0) {
        m_prompter.information(QStringLiteral("没有选中的商品记录！"));
        return;
    }
    m_sale->hide();
    if (!m_prompter.confirm(QStringLiteral("你真的要删除选中资料吗？")))
        return;
    try {
        if (!m_shop.goods().remove(id)) {
            m_prompter.information(QStringLiteral("这条商品记录已不存在。"));
            m_goods->refreshAll();
            return;
        }
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    showSuccess(QStringLiteral("删除数据成功..."));
}

void TMainForm::openSale(qint64 goodsId)
{
    m_saleFromScan = false;
    // The row as stored now, not as the list read it.
    // A row gone from the file opens nothing, as an empty row does.
    try {
        m_sale->open(m_shop.goods().find(goodsId).value_or(GoodsRecord{}));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void TMainForm::sellScanned(qint64 goodsId)
{
    statusBar()->clearMessage();
    m_saleFromScan = false;
    try {
        m_sale->openScanned(m_shop.goods().find(goodsId).value_or(GoodsRecord{}));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_saleFromScan = m_sale->isVisible();
    if (!m_saleFromScan)
        m_goods->readyForScan();
}

void TMainForm::toggleSlipPanel() { m_slip->toggle(); }

void TMainForm::openSalesRecords()
{
    m_records->exec();
    // Closing the records window shows the whole goods list again.
    m_goods->refreshAll();
}

void TMainForm::openUserAdministration()
{
    if (!allowed(OperatorRestrictions::Command::UserAdministration))
        return;
    ShowOrCreateWindow(m_userAdmin, [this] { return centredOnScreen(new Tuserglfm(m_shop, m_prompter, this)); });
}

void TMainForm::openPasswordChange()
{
    if (!allowed(OperatorRestrictions::Command::ChangePassword))
        return;
    ShowOrCreateWindow(m_changePassword, [this] { return centredOnScreen(new Tchangepassfm(m_shop, m_prompter, this)); });
}

void TMainForm::openPrintSettings()
{
    if (m_printSettings->isMinimized())
        m_printSettings->showNormal();
    else
        m_printSettings->show();
    m_printSettings->raise();
    m_printSettings->activateWindow();
}

void TMainForm::chooseSkin(int index)
{
    Skins::apply(application(), index);
    if (QAction *action = m_skinGroup->actions().value(index))
        action->setChecked(true);
    m_shop.settings().setSkin(Skins::settingValue(index));
}

void TMainForm::startCalculator()
{
    if (!ExternalTools::startCalculator())
        m_prompter.information(QStringLiteral("没有找到计算器程序，请先安装一个计算器。"));
}

void TMainForm::startTextEditor()
{
    if (!ExternalTools::startTextEditor())
        m_prompter.information(QStringLiteral("没有找到记事本程序，请先安装一个文本编辑器。"));
}

void TMainForm::showHelp()
{
    m_help->show();
    m_help->raise();
}

void TMainForm::showAbout() { m_about->exec(); }

void TMainForm::openWebSite()
{
    if (!ExternalTools::openWebSite())
        m_prompter.information(QStringLiteral("无法打开浏览器：") + ExternalTools::webSite().toString());
}

void TMainForm::openUpgradePage()
{
    if (!ExternalTools::openUpgradePage())
        m_prompter.information(QStringLiteral("无法打开浏览器：") + ExternalTools::upgradePage().toString());
}

} // namespace quollin
