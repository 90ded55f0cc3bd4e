#pragma once

#include "operators/OperatorAccounts.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;

namespace quollin {

class Shop;
class Prompter;

// The user administration window. Locked until the super administrator's
// password is given here; the commands themselves are OperatorAccounts'.
class Tuserglfm : public QWidget {
    Q_OBJECT

public:
    Tuserglfm(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

private:
    QWidget *buildInitialiseTab();
    QWidget *buildAddTab();
    QWidget *buildDeleteTab();

    void refillUsers();
    void signIn();
    void choose(QListWidgetItem *item);
    void initialisePassword();
    void addUser();
    void deleteUser();
    // Shows the message for an outcome other than success.
    void refuse(OperatorAccounts::Outcome outcome);

    OperatorAccounts &m_accounts;
    Prompter &m_prompter;

    QLineEdit *m_adminPassword = nullptr;
    QPushButton *m_signIn = nullptr;
    QListWidget *m_users = nullptr;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_initialiseName = nullptr;
    QLineEdit *m_newName = nullptr;
    QLineEdit *m_deleteName = nullptr;
};

} // namespace quollin
