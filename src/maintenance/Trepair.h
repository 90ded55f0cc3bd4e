#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QWidget;

namespace quollin {

class Shop;
class Prompter;

// The backup window "数据库备份". While it is open the shop's file is closed
// (nothing can write while it is copied or replaced); closing it opens the
// file again, which reloads every window that follows the shop.
class Trepair : public QWidget {
    Q_OBJECT
public:
    Trepair(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

    QLineEdit *pathBox() const { return m_path; }
    QLineEdit *restoreBox() const { return m_restorePath; }
    QLineEdit *dailyFolderBox() const { return m_dailyFolder; }
    // On a server: the empty database a restore goes into.
    QLineEdit *targetBox() const { return m_target; }
    QWidget *restoreSection() const { return m_restore; }

public slots:
    void useDefault();
    void backUp();
    void chooseRestoreFile();
    void restore();

signals:
    // The file is open again (or could not be): the main window comes back.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool progress(int done, int total);

    Shop &m_shop;
    Prompter &m_prompter;
    QLineEdit *m_path = nullptr;
    QPushButton *m_backup = nullptr;
    QWidget *m_restore = nullptr;
    QLineEdit *m_restorePath = nullptr;
    QLineEdit *m_dailyFolder = nullptr;
    QLabel *m_warning = nullptr;
    QWidget *m_targetLine = nullptr;
    QLineEdit *m_target = nullptr;
    QProgressDialog *m_progress = nullptr;
};

} // namespace quollin
