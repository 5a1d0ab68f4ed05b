#include "controls/VSResize.h"

#include <QPushButton>
#include <QTest>

class TestVSResize : public QObject
{
    Q_OBJECT

private slots:
    void scalesEdges_data()
    {
        QTest::addColumn<QRect>("design");
        QTest::addColumn<QSize>("actual");
        QTest::addColumn<QRect>("expected");
        const QRect button(301, 8, 81, 39);
        QTest::newRow("design size") << button << QSize(392, 181) << button;
        QTest::newRow("twice as wide") << button << QSize(784, 181) << QRect(602, 8, 162, 39);
        QTest::newRow("twice as high") << button << QSize(392, 362) << QRect(301, 16, 81, 78);
        QTest::newRow("origin stays") << QRect(0, 0, 10, 10) << QSize(1016, 722) << QRect(0, 0, 26, 40);
    }

    void scalesEdges()
    {
        QFETCH(QRect, design);
        QFETCH(QSize, actual);
        QFETCH(QRect, expected);
        QCOMPARE(VSResize::scaled(design, QSize(392, 181), actual), expected);
    }

    void neighboursKeepMeeting()
    {
        // Two controls that touch at design size still touch at any size.
        const QRect a(0, 0, 133, 10);
        const QRect b(133, 0, 100, 10);
        for (int width = 233; width < 1000; width += 37) {
            const QRect sa = VSResize::scaled(a, QSize(233, 10), QSize(width, 10));
            const QRect sb = VSResize::scaled(b, QSize(233, 10), QSize(width, 10));
            QCOMPARE(sa.left() + sa.width(), sb.left());
        }
    }

    void laysOutChildrenWithinLimits()
    {
        QWidget container;
        auto* button = new QPushButton(&container);
        button->setGeometry(50, 10, 50, 20);
        auto* gone = new QPushButton(&container);
        container.resize(200, 100);
        VSResize resize(&container, QSize(200, 100), QSize(150, 80), QSize(400, 300));
        resize.Init();
        delete gone; // the resizes below must not touch it
        QCOMPARE(container.minimumSize(), QSize(150, 80));
        QCOMPARE(container.maximumSize(), QSize(400, 300));
        container.resize(400, 200);
        resize.Resize();
        QCOMPARE(button->geometry(), QRect(100, 20, 100, 40));
        container.resize(1000, 1000); // held at the maximum
        resize.Resize();
        QCOMPARE(container.size(), QSize(400, 300));
        QCOMPARE(button->geometry(), QRect(100, 30, 100, 60));
    }
};

QTEST_MAIN(TestVSResize)
#include "tst_vsresize.moc"
