#include "widgets/SpinLineEdit.h"

#include <QRegularExpressionValidator>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

using namespace quollin;

class SpinLineEditTest : public QObject {
    Q_OBJECT

private:
    static void wheel(SpinLineEdit &box, int angle)
    {
        const QPointF at(box.width() / 2.0, box.height() / 2.0);
        QWheelEvent event(at, box.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&box, &event);
    }

private slots:
    void keysArrowsAndWheelStepWithinTheRange()
    {
        QWidget window;
        SpinLineEdit box(&window);
        box.setSpin(0, 100, 5);
        box.setText(QStringLiteral("10"));
        QSignalSpy changed(&box, &QLineEdit::textChanged);

        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.text(), QStringLiteral("15"));
        QTest::keyClick(&box, Qt::Key_Down);
        QTest::keyClick(&box, Qt::Key_Down);
        QCOMPARE(box.text(), QStringLiteral("5"));
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.last().first().toString(), QStringLiteral("5"));

        box.upButton()->click();
        QCOMPARE(box.text(), QStringLiteral("10"));
        box.downButton()->click();
        QCOMPARE(box.text(), QStringLiteral("5"));

        wheel(box, 240); // two notches up
        QCOMPARE(box.text(), QStringLiteral("15"));
        wheel(box, 60); // half a notch: nothing yet
        QCOMPARE(box.text(), QStringLiteral("15"));
        wheel(box, 60);
        QCOMPARE(box.text(), QStringLiteral("20"));
        wheel(box, -120);
        QCOMPARE(box.text(), QStringLiteral("15"));

        // A fraction keeps its decimals; the result is written in the general format.
        box.setText(QStringLiteral("2.50"));
        box.stepUp();
        QCOMPARE(box.text(), QStringLiteral("7.5"));

        QCOMPARE(box.upButton()->accessibleName(), QStringLiteral("增加"));
        QCOMPARE(box.downButton()->accessibleName(), QStringLiteral("减少"));
        QCOMPARE(box.upButton()->focusPolicy(), Qt::NoFocus);
    }

    void stepsAreClampedAndNonNumbersStartAtTheMinimum()
    {
        QWidget window;
        SpinLineEdit box(&window);
        box.setSpin(0, 100, 1);
        box.setText(QStringLiteral("100"));
        QSignalSpy changed(&box, &QLineEdit::textChanged);
        box.stepUp();
        QCOMPARE(box.text(), QStringLiteral("100"));
        QCOMPARE(changed.count(), 0); // already at the maximum: no change signalled
        box.setText(QStringLiteral("250"));
        box.stepDown();
        QCOMPARE(box.text(), QStringLiteral("100"));
        box.setText(QStringLiteral("0"));
        box.stepDown();
        QCOMPARE(box.text(), QStringLiteral("0"));

        for (const char *noNumber : {"", ".", "1.2.3", "abc"}) {
            box.setText(QLatin1String(noNumber));
            box.stepUp();
            QCOMPARE(box.text(), QStringLiteral("1"));
            box.setText(QLatin1String(noNumber));
            box.stepDown();
            QCOMPARE(box.text(), QStringLiteral("0"));
        }

        SpinLineEdit discount(&window);
        discount.setSpin(10, 100, 5);
        discount.stepUp();
        QCOMPARE(discount.text(), QStringLiteral("15"));
    }

    void itStaysALineEditForValidatorsAndReadOnly()
    {
        QWidget window;
        SpinLineEdit box(&window);
        box.setSpin(-10, 10, 1);
        // Digits only: a step to a negative number would be refused by typing too.
        box.setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), &box));
        QTest::keyClicks(&box, QStringLiteral("0a"));
        QCOMPARE(box.text(), QStringLiteral("0"));
        box.stepDown();
        QCOMPARE(box.text(), QStringLiteral("0"));
        box.stepUp();
        QCOMPARE(box.text(), QStringLiteral("1"));

        box.setReadOnly(true);
        QTest::keyClick(&box, Qt::Key_Up);
        box.upButton()->click();
        QCOMPARE(box.text(), QStringLiteral("1"));
        box.setReadOnly(false);
        box.setEnabled(false);
        box.stepUp();
        QCOMPARE(box.text(), QStringLiteral("1"));
    }
};

QTEST_MAIN(SpinLineEditTest)
#include "tst_spinlineedit.moc"
