#include "widgets/HintPopup.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace quollin {

void HintPopup::attach(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setToolTipDuration(kMilliseconds);
    widget->setStatusTip(hint);
    widget->installEventFilter(this);
}

bool HintPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        auto *widget = static_cast<QWidget *>(watched);
        if (!widget->toolTip().isEmpty())
            QToolTip::showText(QCursor::pos(), widget->toolTip(), widget, QRect(), kMilliseconds);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quollin
