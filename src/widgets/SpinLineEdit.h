#pragma once

#include <QLineEdit>

class QToolButton;

namespace quollin {

// A numeric text box with a spin control: a small up/down arrow pair inside
// its right edge, and Key_Up, Key_Down and the mouse wheel step the number.
// It stays a plain QLineEdit for everything else, so validators, input masks,
// textChanged and key filters of the owner keep working.
//
// A step reads the text with the strict number reader, adds or subtracts the
// step, clamps the result to [minimum, maximum] and writes it back in the
// general number format (so textChanged fires, textEdited does not). A text
// that is no number (empty, ".", a pasted letter) counts as the minimum, so
// the first step up from an empty box gives minimum + step and a step down
// gives the minimum. A result the box's validator refuses is not written, and
// a read-only or disabled box does not step.
class SpinLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SpinLineEdit(QWidget *parent);

    void setSpin(int minimum, int maximum, int step);
    int spinMinimum() const { return m_minimum; }
    int spinMaximum() const { return m_maximum; }
    int spinStep() const { return m_step; }

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

public slots:
    void stepUp() { stepBy(1); }
    void stepDown() { stepBy(-1); }
    // Steps `steps` times the step (negative: down).
    void stepBy(int steps);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeArrows();
    bool canStep() const;

    int m_minimum = 0;
    int m_maximum = 99;
    int m_step = 1;
    // Wheel angle not yet turned into a step (touchpads send small deltas).
    int m_wheelRest = 0;
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace quollin
