#pragma once

#include <QFrame>
#include <QPoint>

namespace quollin {

// A panel that floats over the main window's goods list and follows the
// mouse while the operator drags it by its background.
class FloatingPanel : public QFrame {
    Q_OBJECT
public:
    explicit FloatingPanel(QWidget *parent);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint m_dragOffset;
};

} // namespace quollin
