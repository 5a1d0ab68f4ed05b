#include "controls/SpinButton.h"

#include <QSignalSpy>
#include <QTest>

class TestSpinButton : public QObject
{
    Q_OBJECT

private slots:
    void releaseAndLeaving()
    {
        SpinButton spin;
        spin.resize(25, 25);
        QSignalSpy up(&spin, &SpinButton::SpinUp);
        QSignalSpy out(&spin, &SpinButton::MouseOut);

        // Moving out while held stops the spin once; the later release has nothing left to stop.
        QTest::mousePress(&spin, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(40, 5), spin.mapToGlobal(QPointF(40, 5)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&spin, &move);
        QCOMPARE(out.size(), 1);
        QTest::mouseRelease(&spin, Qt::LeftButton, {}, QPoint(40, 5));
        QCOMPARE(up.size(), 0);

        // Leaving without a press says nothing.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&spin, &leave);
        QCOMPARE(out.size(), 1);

        // The right button does not spin.
        QSignalSpy down(&spin, &SpinButton::SpinDown);
        QTest::mousePress(&spin, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(down.size(), 0);
    }

    void keys()
    {
        SpinButton spin;
        QSignalSpy down(&spin, &SpinButton::SpinDown);
        QSignalSpy up(&spin, &SpinButton::SpinUp);
        QTest::keyPress(&spin, Qt::Key_Up);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(&spin, &repeat);
        QTest::keyRelease(&spin, Qt::Key_Up);
        QTest::keyPress(&spin, Qt::Key_Down);
        QTest::keyRelease(&spin, Qt::Key_Down);

        // The keyboard's own repeat is left out: the owner repeats while the key is held.
        QCOMPARE(down.size(), 2);
        QCOMPARE(down.at(0).first().toInt(), int(SpinButton::Up));
        QCOMPARE(down.at(1).first().toInt(), int(SpinButton::Down));
        QCOMPARE(up.size(), 2);
    }
};

QTEST_MAIN(TestSpinButton)
#include "tst_spinbutton.moc"
