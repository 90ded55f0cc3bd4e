#include "operators/Tuserglfm.h"

#include "core/EngineMessage.h"
#include "session/Shop.h"
#include "widgets/ChoiceList.h"
#include "core/InputChecks.h"
#include "core/Prompter.h"
#include "core/ShopDatabase.h"
#include "widgets/PasswordBox.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "widgets/NamedWidgets.h"

namespace quollin {

namespace {

const QString kChooseHint = QStringLiteral("请在左边列表中选择用户");
const QString kChosenName = QStringLiteral("你选择的用户名：");


// A caption above its box; the box is named after the caption.
QLineEdit *captionedBox(const QString &caption, const char *objectName, QBoxLayout *into, QWidget *parent,
                        QLineEdit *box = nullptr)
{
    auto *label = new QLabel(caption, parent);
    if (!box)
        box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setAccessibleName(caption);
    label->setBuddy(box);
    into->addWidget(label);
    into->addWidget(box);
    return box;
}

} // namespace

Tuserglfm::Tuserglfm(Shop &shop, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_accounts(shop.accounts()), m_prompter(prompter)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("Tuserglfm"));
    setWindowTitle(QStringLiteral("用户管理—(管理员专用)"));

    auto *signInColumn = new QVBoxLayout;
    m_adminPassword = captionedBox(QStringLiteral("管理员密码："), "adminPassword", signInColumn, this,
                                   new PasswordBox(this));
    m_signIn = NamedButton(QStringLiteral("登录"), "signInButton", this);
    QPushButton *quit = NamedButton(QStringLiteral("退出"), "quitButton", this);
    signInColumn->addWidget(m_signIn);
    signInColumn->addWidget(quit);
    signInColumn->addStretch();

    auto *listColumn = new QVBoxLayout;
    auto *listCaption = new QLabel(QStringLiteral("用户列表"), this);
    m_users = new QListWidget(this);
    m_users->setObjectName(QStringLiteral("userList"));
    m_users->setAccessibleName(QStringLiteral("用户列表"));
    listCaption->setBuddy(m_users);
    listColumn->addWidget(listCaption);
    listColumn->addWidget(m_users);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->addTab(buildInitialiseTab(), QStringLiteral("初始化密码"));
    m_tabs->addTab(buildAddTab(), QStringLiteral("增加用户"));
    m_tabs->addTab(buildDeleteTab(), QStringLiteral("删除用户"));
    // All three captions stay readable: the window may not shrink below them.
    m_tabs->tabBar()->setUsesScrollButtons(false);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(signInColumn);
    layout->addLayout(listColumn, 1);
    layout->addWidget(m_tabs, 1);

    m_users->setEnabled(false);
    m_tabs->setEnabled(false);

    connect(m_adminPassword, &QLineEdit::returnPressed, m_signIn, [this] { m_signIn->setFocus(); });
    connect(m_signIn, &QPushButton::clicked, this, &Tuserglfm::signIn);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_users, &QListWidget::itemClicked, this, &Tuserglfm::choose);
    connect(m_users, &QListWidget::itemActivated, this, &Tuserglfm::choose);

    refillUsers();
    m_adminPassword->setFocus();
}

QWidget *Tuserglfm::buildInitialiseTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(kChooseHint, page));
    m_initialiseName = captionedBox(kChosenName, "initialiseName", layout, page);
    m_initialiseName->setReadOnly(true);
    auto *buttons = new QHBoxLayout;
    QPushButton *initialise = NamedButton(QStringLiteral("初始化密码"), "initialiseButton", page);
    QPushButton *hint = NamedButton(QStringLiteral("提示"), "hintButton", page);
    buttons->addWidget(initialise);
    buttons->addWidget(hint);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(initialise, &QPushButton::clicked, this, &Tuserglfm::initialisePassword);
    connect(hint, &QPushButton::clicked, this, [this] {
        m_prompter.information(QStringLiteral("初始化口令用于忘记密码的用户，将口令更改为:582"));
    });
    return page;
}

QWidget *Tuserglfm::buildAddTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_newName = captionedBox(QStringLiteral("新增用户名："), "newUserName", layout, page);
    QPushButton *add = NamedButton(QStringLiteral("增加用户"), "addUserButton", page);
    layout->addWidget(add);
    layout->addStretch();
    connect(add, &QPushButton::clicked, this, &Tuserglfm::addUser);
    return page;
}

QWidget *Tuserglfm::buildDeleteTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(kChooseHint, page));
    m_deleteName = captionedBox(kChosenName, "deleteName", layout, page);
    m_deleteName->setReadOnly(true);
    QPushButton *remove = NamedButton(QStringLiteral("删除用户"), "deleteUserButton", page);
    layout->addWidget(remove);
    layout->addStretch();
    connect(remove, &QPushButton::clicked, this, &Tuserglfm::deleteUser);
    return page;
}

void Tuserglfm::refillUsers()
{
    try {
        const QStringList names = m_accounts.userNames();
        m_users->clear();
        m_users->addItems(names);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void Tuserglfm::signIn()
{
    bool right = false;
    try {
        right = m_accounts.verify(ShopDatabase::kSuperAdministrator, TrimmedInput(m_adminPassword->text()));
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    if (!right) {
        m_prompter.information(QStringLiteral("密码不对！"));
        return;
    }
    m_prompter.information(QStringLiteral("超级管理员登录成功！"));
    m_users->setEnabled(true);
    m_tabs->setEnabled(true);
    m_adminPassword->clear();
}

void Tuserglfm::choose(QListWidgetItem *item)
{
    if (!item)
        return;
    m_initialiseName->setText(item->text());
    m_deleteName->setText(item->text());
}

void Tuserglfm::refuse(OperatorAccounts::Outcome outcome)
{
    using O = OperatorAccounts::Outcome;
    switch (outcome) {
    case O::EmptyName:
        m_prompter.information(QStringLiteral("请选择用户名！"));
        break;
    case O::NoSuchUser:
        m_prompter.information(QStringLiteral("用户不存在！"));
        break;
    case O::AlreadyExists:
        m_prompter.information(QStringLiteral("用户名已存在！"));
        break;
    case O::InvisibleCharacters:
        m_prompter.information(QStringLiteral("用户名不能含有不可见字符或控制字符！"));
        break;
    case O::SuperAdministrator:
    case O::WrongOldPassword:
    case O::Done:
        // Each command words these itself; no other outcome reaches here.
        break;
    }
}

void Tuserglfm::initialisePassword()
{
    try {
        const auto outcome = m_accounts.initialisePassword(m_initialiseName->text());
        if (outcome == OperatorAccounts::Outcome::Done)
            m_prompter.information(QStringLiteral("已经成功将密码初始化为：") + ShopDatabase::kInitialPassword);
        else
            refuse(outcome);
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
}

void Tuserglfm::addUser()
{
    using O = OperatorAccounts::Outcome;
    O outcome;
    try {
        outcome = m_accounts.addUser(m_newName->text());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
        return;
    }
    if (outcome == O::SuperAdministrator) {
        m_prompter.information(QStringLiteral("超级管理员只能有一个，不能增加"));
        return;
    }
    if (outcome == O::Done)
        m_prompter.information(QStringLiteral("成功添加新用户！缺省口令是：582,请此用户下次登录时及时修改口令！"));
    else
        refuse(outcome);
    refillUsers();
}

void Tuserglfm::deleteUser()
{
    const QString name = TrimmedInput(m_deleteName->text());
    // These two are refused before the question is asked.
    if (name == ShopDatabase::kSuperAdministrator) {
        m_prompter.information(QStringLiteral("超级管理员不能删除！"));
        return;
    }
    if (name.isEmpty()) {
        m_prompter.information(QStringLiteral("请选择用户"));
        return;
    }
    if (m_prompter.askYesNo(QStringLiteral("你真的要删除用户：") + name + QStringLiteral("吗?"))) {
        try {
            const auto outcome = m_accounts.deleteUser(name);
            if (outcome == OperatorAccounts::Outcome::Done) {
                m_prompter.information(QStringLiteral("成功删除！"));
                m_deleteName->clear();
            } else {
                refuse(outcome);
            }
        } catch (const DbError &e) {
            m_prompter.information(engineMessage(e));
            return;
        }
    }
    refillUsers();
}

} // namespace quollin
