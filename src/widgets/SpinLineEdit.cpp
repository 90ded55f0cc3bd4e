#include "widgets/SpinLineEdit.h"

#include "core/NumberText.h"
#include "widgets/NamedWidgets.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QValidator>
#include <QWheelEvent>

#include <algorithm>

namespace quollin {

namespace {

constexpr int kArrowWidth = 14;

QToolButton *arrow(Qt::ArrowType type, const QString &caption, const char *objectName, QWidget *parent)
{
    auto *button = Named(new QToolButton(parent), caption, objectName);
    button->setArrowType(type);
    button->setAutoRaise(true);
    button->setAutoRepeat(true);
    // The arrows step the box; the typing focus stays where it is.
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    button->setToolTip(caption);
    return button;
}

} // namespace

SpinLineEdit::SpinLineEdit(QWidget *parent)
    : QLineEdit(parent),
      m_up(arrow(Qt::UpArrow, QStringLiteral("增加"), "spinUp", this)),
      m_down(arrow(Qt::DownArrow, QStringLiteral("减少"), "spinDown", this))
{
    connect(m_up, &QToolButton::clicked, this, &SpinLineEdit::stepUp);
    connect(m_down, &QToolButton::clicked, this, &SpinLineEdit::stepDown);
    setTextMargins(0, 0, kArrowWidth, 0);
    placeArrows();
}

void SpinLineEdit::setSpin(int minimum, int maximum, int step)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_step = step;
}

bool SpinLineEdit::canStep() const { return isEnabled() && !isReadOnly(); }

void SpinLineEdit::stepBy(int steps)
{
    if (!canStep() || steps == 0)
        return;
    const std::optional<double> current = NumberText::parseDecimal(text());
    const double start = current ? *current : double(m_minimum);
    const double value = std::clamp(start + double(steps) * m_step, double(m_minimum), double(m_maximum));
    QString next = NumberText::general(value);
    if (const QValidator *v = validator()) {
        int position = int(next.size());
        if (v->validate(next, position) == QValidator::Invalid)
            return;
    }
    if (next != text())
        setText(next);
}

void SpinLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SpinLineEdit::wheelEvent(QWheelEvent *event)
{
    if (!canStep()) {
        QLineEdit::wheelEvent(event);
        return;
    }
    // One notch is 120; finer devices add up to whole notches.
    m_wheelRest += event->angleDelta().y();
    const int steps = m_wheelRest / 120;
    m_wheelRest %= 120;
    stepBy(steps);
    event->accept();
}

void SpinLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeArrows();
}

void SpinLineEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        placeArrows();
}

// The arrow pair fills the right edge inside the frame, one above the other.
void SpinLineEdit::placeArrows()
{
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const int top = inside.height() / 2;
    const int left = inside.right() - kArrowWidth + 1;
    m_up->setGeometry(left, inside.top(), kArrowWidth, top);
    m_down->setGeometry(left, inside.top() + top, kArrowWidth, inside.height() - top);
}

} // namespace quollin
