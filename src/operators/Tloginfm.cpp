#include "operators/Tloginfm.h"

#include "core/EngineMessage.h"
#include "session/Shop.h"
#include "widgets/ChoiceList.h"
#include "core/InputChecks.h"
#include "core/Prompter.h"
#include "operators/OperatorAccounts.h"
#include "widgets/PasswordBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quollin {

Tloginfm::Tloginfm(Shop &shop, Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("Tloginfm"));
    setWindowTitle(QStringLiteral("用户登录"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(371, 160);
    // The background picture: a soft gradient that every skin keeps legible.
    setStyleSheet(QStringLiteral("QDialog#Tloginfm { background: qlineargradient(x1:0, y1:0, x2:1, y2:1,"
                                 " stop:0 #e8f1fb, stop:1 #c9ddf2); }"
                                 "QDialog#Tloginfm QLabel { color: #1b2a3a; background: transparent; }"));

    auto *nameLabel = new QLabel(QStringLiteral("用户名称："), this);
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("nameBox"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->setAccessibleName(QStringLiteral("用户名称："));
    nameLabel->setBuddy(m_name);

    auto *passwordLabel = new QLabel(QStringLiteral("输入密码："), this);
    m_password = new PasswordBox(this);
    m_password->setObjectName(QStringLiteral("passwordBox"));
    m_password->setAccessibleName(QStringLiteral("输入密码："));
    passwordLabel->setBuddy(m_password);

    m_note = new QLabel(QStringLiteral("初始登陆密码：582"), this);
    QFont noteFont(QStringLiteral("宋体"));
    noteFont.setPixelSize(14);
    m_note->setFont(noteFont);
    m_note->setStyleSheet(QStringLiteral("color: red;"));

    m_signIn = new QPushButton(QStringLiteral("登 录"), this);
    m_signIn->setObjectName(QStringLiteral("signInButton"));
    m_signIn->setAccessibleName(QStringLiteral("登 录"));
    m_signIn->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(36, 18, 36, 14);
    grid->setVerticalSpacing(10);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(m_password, 1, 1);
    grid->addWidget(m_note, 2, 0, 1, 2);
    grid->addWidget(m_signIn, 3, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    m_name->installEventFilter(this);
    m_password->installEventFilter(this);
    connect(m_name, &QComboBox::activated, this, [this] { m_password->setFocus(); });
    connect(m_signIn, &QPushButton::clicked, this, &Tloginfm::signIn);
}

void Tloginfm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    emit shownToOperator();
    try {
        setChoices(m_name, m_shop.accounts().sortedUserNames());
    } catch (const DbError &e) {
        m_prompter.information(engineMessage(e));
    }
    m_name->setFocus();
    if (m_name->count() > 0)
        m_name->setCurrentIndex(0);
}

bool Tloginfm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_name)
                m_password->setFocus();
            else
                signIn();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tloginfm::signIn()
{
    const QString name = m_name->currentText();
    const QString password = m_password->text().trimmed();
    if (!RequireChoice(m_name, QStringLiteral("必须选择用户！"), m_prompter)
        || !RequireText(m_password, QStringLiteral("必须输入密码！"), m_prompter))
        return;
    const Shop::SignIn result = m_shop.signIn(name, password);
    if (!result.ok) {
        m_prompter.information(result.message);
        m_password->clear();
        m_password->setFocus();
        return;
    }
    m_success = true;
    m_operatorName = m_shop.rights().operatorName();
    accept();
}

} // namespace quollin
