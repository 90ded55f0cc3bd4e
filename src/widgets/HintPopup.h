#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace quollin {

// Hints of the main window's controls: shown the moment the mouse enters a
// control (no wake-up delay), gone after two seconds, and also given as the
// status tip that the hint panel of the status bar shows.
class HintPopup : public QObject {
    Q_OBJECT
public:
    static constexpr int kMilliseconds = 2000;

    explicit HintPopup(QObject *parent = nullptr) : QObject(parent) {}
    void attach(QWidget *widget, const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace quollin
