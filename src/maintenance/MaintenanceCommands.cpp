#include "maintenance/MaintenanceCommands.h"

#include "core/EngineMessage.h"
#include "core/Prompter.h"
#include "session/Shop.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/ExcelImportWindow.h"
#include "maintenance/MoveToServer.h"
#include "maintenance/Trepair.h"
#include "widgets/ShowOrCreateWindow.h"

#include <QDate>
#include <QFileInfo>
#include <QThread>
#include <QApplication>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <memory>

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
    // A closed file may be replaced (a restore): no connection of ours may
    // stay on it, or closing that one later deletes the new file's log.
    connect(&m_shop, &ShopContext::databaseClosing, this, &MaintenanceCommands::stopDailyBackup);
}

MaintenanceCommands::~MaintenanceCommands() { stopDailyBackup(); }

void MaintenanceCommands::stopDailyBackup()
{
    if (!m_daily)
        return;
    m_stopDaily = true;
    m_daily->wait();
    // Its finishing report may already wait in the queue: it finds itself
    // no longer the running backup and says nothing.
    m_daily->deleteLater();
    m_daily = nullptr;
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

void MaintenanceCommands::moveToServer()
{
    if (!m_shop.rights().mayRun(OperatorRestrictions::Command::MoveToServer)) {
        m_prompter.information(OperatorRestrictions::refusalText());
        return;
    }
    const QString uri = m_prompter.askText(
        QStringLiteral("把数据搬到服务器"),
        QStringLiteral("服务器上新建的空数据库的地址，例如 postgresql://服务器名/数据库名\n"
                       "密码不必写在地址里：连接时从 ~/.pgpass 或 PGPASSWORD 取得。"));
    if (uri.isEmpty())
        return;

    QProgressDialog progress(QStringLiteral("正在把数据搬到服务器，请稍候......"), QStringLiteral("取消"), 0, 0,
                             m_mainWindow);
    progress.setWindowTitle(QStringLiteral("把数据搬到服务器"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    auto step = [&progress](qint64 copied, qint64 total) {
        const int most = int(std::clamp<qint64>(total, 1, std::numeric_limits<int>::max()));
        progress.setMaximum(most);
        progress.setValue(int(std::min<qint64>(copied, most)));
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString text;
    try {
        text = MoveToServer(m_shop).moveTo(uri, step).text(30);
    } catch (const DbError &e) {
        text = engineMessage(e);
    }
    QApplication::restoreOverrideCursor();
    progress.close();
    m_prompter.information(text);
}

void MaintenanceCommands::runDailyBackup()
{
    if (m_daily || !m_shop.settings().dailyBackup())
        return;
    const QString path = m_shop.databasePath();
    const QDate today = QDate::currentDate();
    if (QFileInfo::exists(DatabaseBackup::todaysDailyBackup(path, today)))
        return;
    // The copy opens the file with a connection of its own; the session's
    // connection stays with this thread.
    auto failure = std::make_shared<QString>();
    m_stopDaily = false;
    QThread *daily = QThread::create([this, path, today, failure] {
        *failure = DatabaseBackup::makeDailyBackup(path, today, 7, &m_stopDaily);
    });
    m_daily = daily;
    connect(daily, &QThread::finished, this, [this, daily, failure] {
        if (m_daily != daily)
            return;
        m_daily->deleteLater();
        m_daily = nullptr;
        // A damaged file is news of its own, not a backup that failed.
        if (failure->startsWith(DatabaseBackup::damagedFileMessage()))
            m_prompter.information(*failure);
        else if (!failure->isEmpty())
            m_prompter.information(QStringLiteral("今天的自动备份没有成功：") + *failure);
        emit dailyBackupFinished(*failure);
    });
    m_daily->start(QThread::LowPriority);
}

} // namespace quollin
