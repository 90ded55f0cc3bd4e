#include "widgets/MessageBoxPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quollin {

namespace {

QWidget *dialogParent() { return QApplication::activeWindow(); }

// Not QGuiApplication::applicationDisplayName(): it is left unset (Qt would
// append it to every window title), and unset it answers the application
// name "jxc".
QString applicationCaption() { return QStringLiteral("Quollin进销存"); }

// Builds a box whose buttons read in Chinese and whose accessible name is its
// text.
struct Box {
    QMessageBox box;
    Box(QMessageBox::Icon icon, const QString &title, const QString &text)
        : box(icon, title, text, QMessageBox::NoButton, dialogParent())
    {
        box.setAccessibleName(text);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    QPushButton *add(const QString &caption, QMessageBox::ButtonRole role)
    {
        QPushButton *button = box.addButton(caption, role);
        button->setAccessibleName(caption);
        return button;
    }
};

} // namespace

void MessageBoxPrompter::warning(const QString &text)
{
    Box b(QMessageBox::Warning, QStringLiteral("Warning"), text);
    b.box.setDefaultButton(b.add(QStringLiteral("确定"), QMessageBox::AcceptRole));
    b.box.exec();
}

void MessageBoxPrompter::information(const QString &text)
{
    Box b(QMessageBox::Information, applicationCaption(), text);
    b.box.setDefaultButton(b.add(QStringLiteral("确定"), QMessageBox::AcceptRole));
    b.box.exec();
}

bool MessageBoxPrompter::confirm(const QString &text)
{
    Box b(QMessageBox::Warning, QStringLiteral("警告！"), text);
    QPushButton *ok = b.add(QStringLiteral("确定"), QMessageBox::AcceptRole);
    QPushButton *cancel = b.add(QStringLiteral("取消"), QMessageBox::RejectRole);
    b.box.setDefaultButton(cancel);
    b.box.setEscapeButton(cancel);
    b.box.exec();
    return b.box.clickedButton() == ok;
}

bool MessageBoxPrompter::askYesNo(const QString &text)
{
    Box b(QMessageBox::Question, applicationCaption(), text);
    QPushButton *yes = b.add(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton *no = b.add(QStringLiteral("否"), QMessageBox::NoRole);
    b.box.setDefaultButton(no);
    b.box.setEscapeButton(no);
    b.box.exec();
    return b.box.clickedButton() == yes;
}

QString MessageBoxPrompter::openFileName(const QString &caption, const QString &startPath, const QString &filter)
{
    return QFileDialog::getOpenFileName(dialogParent(), caption, startPath, filter);
}

QString MessageBoxPrompter::saveFileName(const QString &caption, const QString &startPath, const QString &filter)
{
    return QFileDialog::getSaveFileName(dialogParent(), caption, startPath, filter);
}

} // namespace quollin
