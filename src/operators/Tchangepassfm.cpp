#include "operators/Tchangepassfm.h"

#include "core/EngineMessage.h"
#include "session/Shop.h"
#include "widgets/ChoiceList.h"
#include "core/InputChecks.h"
#include "core/Prompter.h"
#include "widgets/PasswordBox.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "widgets/NamedWidgets.h"

namespace quollin {

namespace {



} // namespace

Tchangepassfm::Tchangepassfm(Shop &shop, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_shop(shop), m_accounts(shop.accounts()), m_prompter(prompter)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Tchangepassfm"));
    setWindowTitle(QStringLiteral("更改密码"));

    m_operator = Named(new QComboBox(this), QStringLiteral("选择操作员"), "operatorChoice");
    m_oldPassword = Named(new PasswordBox(this), QStringLiteral("输入旧密码"), "oldPassword");
    m_newPassword = Named(new PasswordBox(this), QStringLiteral("输入新密码"), "newPassword");
    m_repetition = Named(new PasswordBox(this), QStringLiteral("新密码重复"), "repeatPassword");

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("选择操作员"), m_operator);
    form->addRow(QStringLiteral("输入旧密码"), m_oldPassword);
    form->addRow(QStringLiteral("输入新密码"), m_newPassword);
    form->addRow(QStringLiteral("新密码重复"), m_repetition);

    m_closeWhenDone = Named(new QCheckBox(QStringLiteral("更改完毕退出"), this), QStringLiteral("更改完毕退出"),
                            "closeWhenDone");
    m_closeWhenDone->setChecked(true);

    m_change = NamedButton(QStringLiteral("更改密码"), "changeButton", this);
    QPushButton *quit = NamedButton(QStringLiteral("退出"), "quitButton", this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_closeWhenDone);
    buttons->addStretch();
    buttons->addWidget(m_change);
    buttons->addWidget(quit);

    auto *note = new QLabel(QStringLiteral("提示：密码只能输入字母和数字，最长10个字符！"), this);
    note->setObjectName(QStringLiteral("note"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(note);

    connect(m_operator, &QComboBox::activated, m_oldPassword, [this] { m_oldPassword->setFocus(); });
    connect(m_oldPassword, &QLineEdit::returnPressed, m_newPassword, [this] { m_newPassword->setFocus(); });
    connect(m_newPassword, &QLineEdit::returnPressed, m_repetition, [this] { m_repetition->setFocus(); });
    connect(m_repetition, &QLineEdit::returnPressed, m_change, [this] { m_change->setFocus(); });
    connect(m_change, &QPushButton::clicked, this, &Tchangepassfm::change);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);

    try {
        setChoices(m_operator, m_accounts.sortedUserNames());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_operator->setFocus();
}

void Tchangepassfm::change()
{
    if (!RequireText(m_oldPassword, QStringLiteral("必须输入旧口令！"), m_prompter)
        || !RequireText(m_newPassword, QStringLiteral("新口令长度不能为空！"), m_prompter))
        return;
    const QString newPassword = TrimmedInput(m_newPassword->text());
    if (newPassword != TrimmedInput(m_repetition->text())) {
        m_prompter.information(QStringLiteral("两次输入的密码不一致！请重新输入！"));
        m_repetition->clear();
        m_repetition->setFocus();
        return;
    }

    using O = OperatorAccounts::Outcome;
    O outcome;
    try {
        outcome = m_accounts.changePassword(m_operator->currentText(), TrimmedInput(m_oldPassword->text()),
                                            newPassword);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    switch (outcome) {
    case O::Done:
        break;
    case O::EmptyName:
        m_prompter.information(QStringLiteral("请选择操作员！"));
        m_operator->setFocus();
        return;
    case O::WrongOldPassword:
        m_prompter.information(QStringLiteral("旧口令不正确！"));
        m_oldPassword->setFocus();
        return;
    case O::NoSuchUser:
        // Deleted since the list was filled.
        m_prompter.information(QStringLiteral("用户不存在！"));
        return;
    case O::AlreadyExists:
    case O::SuperAdministrator:
    case O::InvisibleCharacters:
        // A password change never gives these.
        return;
    }

    m_prompter.information(QStringLiteral("你已经成功修改了密码！下次运行程序时生效！"));
    if (m_closeWhenDone->isChecked()) {
        close();
        return;
    }
    m_repetition->clear();
    m_newPassword->clear();
    m_oldPassword->clear();
}

} // namespace quollin
