#include "sales/Tpos.h"

#include "core/Prompter.h"
#include "session/Shop.h"
#include "widgets/NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace quollin {

namespace {

QLineEdit *addBox(QFormLayout *form, const QString &caption, const char *objectName, const QString &text,
                  QWidget *parent)
{
    auto *box = Named(new QLineEdit(text, parent), caption, objectName);
    box->setMinimumWidth(320);
    auto *label = new QLabel(caption, parent);
    label->setBuddy(box);
    form->addRow(label, box);
    return box;
}

} // namespace

Tpos::Tpos(Shop &shop, Prompter &prompter, QWidget *parent)
    : QWidget(parent, Qt::Window), m_shop(shop), m_prompter(prompter)
{
    setObjectName(QStringLiteral("printSettings"));
    setWindowTitle(QStringLiteral("销售单小票设置"));
    const PrintTexts stored = m_shop.printTexts();

    auto *column = new QVBoxLayout(this);
    auto *ticket = new QGroupBox(QStringLiteral("POS小票设置"), this);
    auto *ticketForm = new QFormLayout(ticket);
    m_boxes[0] = addBox(ticketForm, QStringLiteral("小票标题："), "pos1", stored.ticketTitle, ticket);
    m_boxes[1] = addBox(ticketForm, QStringLiteral("宣传语1："), "pos2", stored.ticketSlogan1, ticket);
    m_boxes[2] = addBox(ticketForm, QStringLiteral("宣传语2："), "pos3", stored.ticketSlogan2, ticket);
    m_boxes[3] = addBox(ticketForm, QStringLiteral("结束语："), "pos4", stored.ticketClosing, ticket);
    column->addWidget(ticket);

    auto *slip = new QGroupBox(QStringLiteral("销售单设置"), this);
    auto *slipForm = new QFormLayout(slip);
    m_boxes[4] = addBox(slipForm, QStringLiteral("销售单表头："), "dan1", stored.slipHeader, slip);
    m_boxes[5] = addBox(slipForm, QStringLiteral("联系地址电话："), "dan2", stored.slipContact, slip);
    m_boxes[6] = addBox(slipForm, QStringLiteral("宣传语1："), "dan3", stored.slipSlogan1, slip);
    m_boxes[7] = addBox(slipForm, QStringLiteral("宣传语2："), "dan4", stored.slipSlogan2, slip);
    auto *note = new QLabel(QStringLiteral("说明：宣传语1不填写，销售单可以不打印此项"), slip);
    note->setObjectName(QStringLiteral("slipNote"));
    slipForm->addRow(note);
    column->addWidget(slip);

    auto *shopForm = new QFormLayout;
    m_boxes[8] = addBox(shopForm, QStringLiteral("公司(店铺)名称："), "company", stored.company, this);
    column->addLayout(shopForm);

    // A receipt printer without a driver (USB or network) takes the ticket
    // as ESC/POS bytes straight from us.
    auto *device = new QGroupBox(QStringLiteral("小票打印机"), this);
    auto *deviceForm = new QFormLayout(device);
    m_ticketPrinter = Named(new QComboBox(device), QStringLiteral("小票打印机："), "ticketPrinter");
    m_ticketPrinter->setEditable(true);
    m_ticketPrinter->addItems({QStringLiteral("系统打印机"), QStringLiteral("/dev/usb/lp0"), QStringLiteral("192.168.1.100:9100")});
    m_ticketPrinter->setEditText(stored.ticketPrinter.isEmpty() ? QStringLiteral("系统打印机") : stored.ticketPrinter);
    m_ticketPrinter->setToolTip(QStringLiteral("系统打印机，或小票打印机的设备文件（如 /dev/usb/lp0）或网络地址（如 192.168.1.100:9100）"));
    auto *printerLabel = new QLabel(QStringLiteral("小票打印机："), device);
    printerLabel->setBuddy(m_ticketPrinter);
    deviceForm->addRow(printerLabel, m_ticketPrinter);
    m_drawer = Named(new QCheckBox(QStringLiteral("打印小票后打开钱箱"), device), QStringLiteral("打印小票后打开钱箱"),
                     "cashDrawer");
    m_drawer->setChecked(stored.openDrawer);
    deviceForm->addRow(m_drawer);
    column->addWidget(device);

    m_save = Named(new QToolButton(this), QStringLiteral("保存"), "printSettingsSave");
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setToolTip(QStringLiteral("保存"));
    m_save->setIconSize(QSize(32, 32));
    column->addWidget(m_save, 0, Qt::AlignRight);
    connect(m_save, &QToolButton::clicked, this, &Tpos::save);
    const auto edited = [this] { m_shop.setPrintTexts(texts()); };
    for (QLineEdit *box : m_boxes)
        connect(box, &QLineEdit::textChanged, this, edited);
    connect(m_ticketPrinter, &QComboBox::currentTextChanged, this, edited);
    connect(m_drawer, &QCheckBox::toggled, this, edited);
}

PrintTexts Tpos::texts() const
{
    PrintTexts t;
    t.ticketTitle = m_boxes[0]->text();
    t.ticketSlogan1 = m_boxes[1]->text();
    t.ticketSlogan2 = m_boxes[2]->text();
    t.ticketClosing = m_boxes[3]->text();
    t.slipHeader = m_boxes[4]->text();
    t.slipContact = m_boxes[5]->text();
    t.slipSlogan1 = m_boxes[6]->text();
    t.slipSlogan2 = m_boxes[7]->text();
    t.company = m_boxes[8]->text();
    const QString printer = m_ticketPrinter->currentText().trimmed();
    t.ticketPrinter = printer == QStringLiteral("系统打印机") ? QString() : printer;
    t.openDrawer = m_drawer->isChecked();
    return t;
}

void Tpos::save()
{
    if (!texts().save(m_shop.settings())) {
        m_prompter.information(QStringLiteral("设置文件无法写入，打印设置没有保存。"));
        return;
    }
    m_prompter.information(QStringLiteral("已保存成功！"));
    close();
}

} // namespace quollin
