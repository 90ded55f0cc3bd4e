#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLineEdit;

namespace quollin {

// Every half second, a watched date box that the operator emptied (nothing
// left but its "    -  -  " mask) gets today's date again, so no command ever
// reads an empty date. A box being typed into is left alone.
class DateBoxKeeper : public QObject {
    Q_OBJECT
public:
    explicit DateBoxKeeper(QObject *parent = nullptr);
    void watch(QLineEdit *box);
    void start() { m_timer.start(); }
    int interval() const { return m_timer.interval(); }

    // The input mask of the program's date boxes.
    static QString dateMask() { return QStringLiteral("9999-99-99; "); }

public slots:
    void check();

private:
    QTimer m_timer;
    QList<QPointer<QLineEdit>> m_boxes;
};

} // namespace quollin
