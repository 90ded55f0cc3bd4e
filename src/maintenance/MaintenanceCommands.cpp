#include "maintenance/MaintenanceCommands.h"

#include "core/Prompter.h"
#include "core/Shop.h"
#include "maintenance/ExcelImportWindow.h"
#include "maintenance/Trepair.h"
#include "widgets/ShowOrCreateWindow.h"

#include <QDate>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quollin {

namespace {
template <class W> W *centredOnScreen(W *window)
{
    window->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    return window;
}
} // namespace

MaintenanceCommands::MaintenanceCommands(Shop &shop, Prompter &prompter, QWidget *mainWindow)
    : QObject(mainWindow), m_shop(shop), m_prompter(prompter), m_mainWindow(mainWindow)
{
    connect(&m_shop, &ShopContext::signedIn, this, &MaintenanceCommands::runDailyBackup);
}

void MaintenanceCommands::openBackupWindow()
{
    ShowOrCreateWindow(m_backup, [this] {
        auto *window = centredOnScreen(new Trepair(m_shop, m_prompter, m_mainWindow));
        // The file is open again by now; the goods list has reloaded itself.
        connect(window, &Trepair::closed, m_mainWindow, &QWidget::show);
        return window;
    });
    m_mainWindow->hide();
}

void MaintenanceCommands::openImportWindow()
{
    if (!m_shop.rights().mayRun(OperatorRestrictions::Command::NewStockIn)) {
        m_prompter.information(OperatorRestrictions::refusalText());
        return;
    }
    ExcelImportWindow window(m_shop, m_prompter, m_mainWindow);
    m_import = &window;
    centredOnScreen(&window);
    window.exec();
}

void MaintenanceCommands::runDailyBackup()
{
    if (!m_shop.settings().dailyBackup())
        return;
    const QString failure = m_shop.backups().ensureDailyBackup(QDate::currentDate());
    if (!failure.isEmpty())
        m_prompter.information(QStringLiteral("今天的自动备份没有成功：") + failure);
}

} // namespace quollin
