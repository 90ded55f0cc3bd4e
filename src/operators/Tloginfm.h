#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace quollin {

class PasswordBox;
class Prompter;
class Shop;

// The sign-in window: an operator chooses a name, types the password and
// signs in. Shown window-modal over the main window until a sign-in succeeds.
// The sign-in itself (password, log row, rights) is the shop's.
class Tloginfm : public QDialog {
    Q_OBJECT
public:
    Tloginfm(Shop &shop, Prompter &prompter, QWidget *parent = nullptr);

    bool succeeded() const { return m_success; }
    QString operatorName() const { return m_operatorName; }

    QComboBox *nameBox() const { return m_name; }
    PasswordBox *passwordBox() const { return m_password; }
    QPushButton *signInButton() const { return m_signIn; }

signals:
    // Each time the window is shown (the desktop entry is written then).
    void shownToOperator();

public slots:
    void signIn();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Shop &m_shop;
    Prompter &m_prompter;
    QComboBox *m_name;
    PasswordBox *m_password;
    QLabel *m_note;
    QPushButton *m_signIn;
    bool m_success = false;
    QString m_operatorName;
};

} // namespace quollin
