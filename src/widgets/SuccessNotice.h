#pragma once

#include <QLabel>
#include <QTimer>

namespace quollin {

// The short strip at the top left of the main window that confirms a saved
// entry: shown on trigger, hidden at the next tick of its two-second timer.
class SuccessNotice : public QLabel {
    Q_OBJECT
public:
    explicit SuccessNotice(QWidget *parent);
    void trigger(const QString &text);
    bool timerRunning() const { return m_timer.isActive(); }

private slots:
    void tick();

private:
    QTimer m_timer;
};

} // namespace quollin
