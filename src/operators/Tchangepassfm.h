#pragma once

#include "operators/OperatorAccounts.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace quollin {

class Shop;
class Prompter;

// The password change window: an operator, the old password and the new one
// twice.
class Tchangepassfm : public QWidget {
    Q_OBJECT

public:
    Tchangepassfm(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

private:
    void change();

    Shop &m_shop;
    OperatorAccounts &m_accounts;
    Prompter &m_prompter;

    QComboBox *m_operator = nullptr;
    QLineEdit *m_oldPassword = nullptr;
    QLineEdit *m_newPassword = nullptr;
    QLineEdit *m_repetition = nullptr;
    QPushButton *m_change = nullptr;
    QCheckBox *m_closeWhenDone = nullptr;
};

} // namespace quollin
