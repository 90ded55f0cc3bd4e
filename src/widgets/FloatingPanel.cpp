#include "widgets/FloatingPanel.h"

#include <QMouseEvent>

namespace quollin {

FloatingPanel::FloatingPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
}

void FloatingPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void FloatingPanel::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(mapToParent(event->position().toPoint() - m_dragOffset));
    QFrame::mouseMoveEvent(event);
}

} // namespace quollin
