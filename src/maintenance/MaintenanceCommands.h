#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>

class QThread;

class QWidget;

namespace quollin {

class ExcelImportWindow;
class Shop;
class Prompter;
class Trepair;

// The main window's maintenance commands: the backup window (the main
// window stays hidden while it is open), the spreadsheet import, the move
// onto a server, and the daily automatic backup after each sign-in.
class MaintenanceCommands : public QObject {
    Q_OBJECT
public:
    MaintenanceCommands(Shop &shop, Prompter &prompter, QWidget *mainWindow);
    // A daily backup still being made is stopped (it leaves no partial file).
    ~MaintenanceCommands() override;
    bool dailyBackupRunning() const { return m_daily != nullptr; }

    QPointer<Trepair> backupWindow() const { return m_backup; }
    QPointer<ExcelImportWindow> importWindow() const { return m_import; }

public slots:
    void openBackupWindow();
    // Modal: returns when the import window is closed.
    void openImportWindow();
    // Asks for a server database's address and moves the shop's file onto
    // it; the report is shown in a message box.
    void moveToServer();
    // Today's automatic backup, made on a thread of its own: the operator
    // works on while a large file is copied and verified.
    void runDailyBackup();
    // Stops a daily backup still being made and waits for its connection to
    // the file to close; it leaves no partial file and reports nothing.
    void stopDailyBackup();

signals:
    // The automatic backup ended: empty on success, else why not.
    void dailyBackupFinished(const QString &failure);

private:
    Shop &m_shop;
    Prompter &m_prompter;
    QWidget *m_mainWindow;
    QPointer<Trepair> m_backup;
    QPointer<ExcelImportWindow> m_import;
    QThread *m_daily = nullptr;
    std::atomic_bool m_stopDaily{false};
};

} // namespace quollin
