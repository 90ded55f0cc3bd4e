#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace quollin {

class ExcelImportWindow;
class Shop;
class Prompter;
class Trepair;

// The main window's maintenance commands: the backup window (the main
// window stays hidden while it is open), the spreadsheet import, and the
// daily automatic backup after each sign-in.
class MaintenanceCommands : public QObject {
    Q_OBJECT
public:
    MaintenanceCommands(Shop &shop, Prompter &prompter, QWidget *mainWindow);

    QPointer<Trepair> backupWindow() const { return m_backup; }
    QPointer<ExcelImportWindow> importWindow() const { return m_import; }

public slots:
    void openBackupWindow();
    // Modal: returns when the import window is closed.
    void openImportWindow();
    void runDailyBackup();

private:
    Shop &m_shop;
    Prompter &m_prompter;
    QWidget *m_mainWindow;
    QPointer<Trepair> m_backup;
    QPointer<ExcelImportWindow> m_import;
};

} // namespace quollin
