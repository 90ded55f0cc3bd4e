#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace quollin {

// Brings the one open window of class W to the front, or creates one with
// `create`. Windows made here free themselves when closed, so the next call
// makes a fresh one.
template <class W, class Create>
W *ShowOrCreateWindow(QPointer<W> &variable, Create create)
{
    W *window = variable.data();
    if (!window) {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<W *>(top)) {
                window = found;
                break;
            }
        }
    }
    if (window) {
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
        window->raise();
        window->activateWindow();
        window->setFocus(Qt::ActiveWindowFocusReason);
        variable = window;
        return window;
    }
    window = create();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    variable = window;
    return window;
}

} // namespace quollin
