#include "widgets/MessageBoxPrompter.h"

#include "core/PrintableText.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quollin {

namespace {

// The window the box belongs to. Right after another box or a progress dialog
// closed no window is active; the box then goes to the visible window (with
// the main window hidden, the backup window). A box without a parent would
// count as the program's last window and end it when closed.
QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && (type == Qt::Window || type == Qt::Dialog))
            return window;
    }
    return nullptr;
}

// Not QGuiApplication::applicationDisplayName(): it is left unset (Qt would
// append it to every window title), and unset it answers the application
// name "jxc".
QString applicationCaption() { return QStringLiteral("Quollin进销存"); }

// Builds a box whose buttons read in Chinese and whose accessible name is its
// text.
struct Box {
    QMessageBox box;
    Box(QMessageBox::Icon icon, const QString &title, const QString &text)
        : box(icon, MessageText(title), QString(), QMessageBox::NoButton, dialogParent())
    {
        // Typed text (a goods name, a path) may look like markup: never
        // rendered as such.
        box.setTextFormat(Qt::PlainText);
        box.setText(MessageText(text));
        box.setAccessibleName(box.text());
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.setAttribute(Qt::WA_QuitOnClose, false);
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

void MessageBoxPrompter::titledWarning(const QString &title, const QString &text)
{
    Box b(QMessageBox::Warning, title, text);
    b.box.setDefaultButton(b.add(QStringLiteral("确定"), QMessageBox::AcceptRole));
    b.box.exec();
}

bool MessageBoxPrompter::askYesNo(const QString &text) { return titledQuestion(applicationCaption(), text); }

bool MessageBoxPrompter::titledQuestion(const QString &title, const QString &text)
{
    Box b(QMessageBox::Question, title, text);
    QPushButton *yes = b.add(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton *no = b.add(QStringLiteral("否"), QMessageBox::NoRole);
    b.box.setDefaultButton(no);
    b.box.setEscapeButton(no);
    b.box.exec();
    return b.box.clickedButton() == yes;
}

QString MessageBoxPrompter::askText(const QString &title, const QString &label)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    dialog.setAttribute(Qt::WA_QuitOnClose, false);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().trimmed();
}

// Qt's own dialog, not the desktop's: it speaks the program's Chinese
// whatever language the desktop was set up in.
QString MessageBoxPrompter::openFileName(const QString &caption, const QString &startPath, const QString &filter)
{
    return QFileDialog::getOpenFileName(dialogParent(), caption, startPath, filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

QString MessageBoxPrompter::saveFileName(const QString &caption, const QString &startPath, const QString &filter,
                                         Overwrite overwrite)
{
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (overwrite == Overwrite::CallerAsks)
        options |= QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(dialogParent(), caption, startPath, filter, nullptr, options);
}

} // namespace quollin
