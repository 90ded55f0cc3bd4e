#include "widgets/SuccessNotice.h"

#include <QFont>

namespace quollin {

SuccessNotice::SuccessNotice(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("successNotice"));
    setFixedSize(257, 49);
    move(0, 0);
    setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    font.setBold(true);
    setFont(font);
    setAutoFillBackground(true);
    // White on the system's hot-light blue, whatever the skin.
    setStyleSheet(QStringLiteral("QLabel { color: white; background-color: #0066cc; }"));
    hide();
    m_timer.setInterval(2000);
    connect(&m_timer, &QTimer::timeout, this, &SuccessNotice::tick);
}

void SuccessNotice::trigger(const QString &text)
{
    setText(text);
    setAccessibleName(text);
    show();
    raise();
    // A second notice while the first shows only replaces the text: the strip
    // goes at the next tick of the timer already running.
    if (!m_timer.isActive())
        m_timer.start();
}

void SuccessNotice::tick()
{
    if (isVisible()) {
        m_timer.stop();
        hide();
    }
}

} // namespace quollin
