#include "widgets/DateBoxKeeper.h"

#include "core/DateText.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace quollin {

DateBoxKeeper::DateBoxKeeper(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(500);
    connect(&m_timer, &QTimer::timeout, this, &DateBoxKeeper::check);
}

void DateBoxKeeper::watch(QLineEdit *box) { m_boxes.append(box); }

void DateBoxKeeper::check()
{
    static const QRegularExpression digit(QStringLiteral("[0-9]"));
    for (const auto &box : std::as_const(m_boxes)) {
        if (box && !box->text().contains(digit))
            box->setText(DateText::today());
    }
}

} // namespace quollin
