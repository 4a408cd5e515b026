#include "shell/PinnedGeometry.h"

#include <QTest>

using namespace velmora;

// The pinned window's arithmetic: how a drag resizes it, where its zones lie, how the wheel zooms.
// The window's own test drives the same through real events.

class TestPinnedGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resizeKeepsTheImageProportions_data();
    void resizeKeepsTheImageProportions();
    void aFlatWindowMovesByItsTop();
    void wheelFactor_data();
    void wheelFactor();
    void zoomWithoutAScreenOnlyShrinks();
};

void TestPinnedGeometry::resizeKeepsTheImageProportions_data()
{
    using E = ResizeEdge;
    QTest::addColumn<ResizeEdges>("edges");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QSizeF>("imageSize");
    QTest::addColumn<QRect>("expected");
    // The window is (100, 100, 400, 200).
    const QSizeF wide(400, 200);
    QTest::newRow("right: grows up from the bottom")
        << ResizeEdges(E::Right) << QPoint(100, 7) << wide << QRect(100, 50, 500, 250);
    QTest::newRow("left: right and bottom stay")
        << ResizeEdges(E::Left) << QPoint(-100, 0) << wide << QRect(0, 50, 500, 250);
    QTest::newRow("top: widens to the right")
        << ResizeEdges(E::Top) << QPoint(-9, -50) << wide << QRect(100, 50, 500, 250);
    QTest::newRow("bottom-left, mostly sideways: top-right stays")
        << (E::Bottom | E::Left) << QPoint(-100, 10) << wide << QRect(0, 100, 500, 250);
    QTest::newRow("top-right, mostly down: bottom-left stays")
        << (E::Top | E::Right) << QPoint(5, 100) << wide << QRect(100, 200, 200, 100);
    QTest::newRow("past the minimum")
        << ResizeEdges(E::Left) << QPoint(1000, 0) << wide << QRect(420, 260, 80, 40);
    QTest::newRow("a tall image's minimum")
        << ResizeEdges(E::Bottom) << QPoint(0, -1000) << QSizeF(100, 300) << QRect(100, 100, 80, 240);
    QTest::newRow("no image: free") << ResizeEdges(E::Right) << QPoint(100, 0) << QSizeF()
                                    << QRect(100, 100, 500, 200);
}

void TestPinnedGeometry::resizeKeepsTheImageProportions()
{
    QFETCH(ResizeEdges, edges);
    QFETCH(QPoint, delta);
    QFETCH(QSizeF, imageSize);
    QFETCH(QRect, expected);
    QCOMPARE(pinned::resizedFrame(QRect(100, 100, 400, 200), edges, delta, imageSize), expected);
}

void TestPinnedGeometry::aFlatWindowMovesByItsTop()
{
    // Too flat for top and bottom zones: the middle still moves it.
    QCOMPARE(pinned::edgesAt(QPoint(150, 3), QSize(300, 20)), ResizeEdges());
    QCOMPARE(pinned::edgesAt(QPoint(150, 3), QSize(300, 200)), ResizeEdges(ResizeEdge::Top));
}

void TestPinnedGeometry::wheelFactor_data()
{
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<QPoint>("pixelDelta");
    QTest::addColumn<double>("factor"); // 0: ignored
    QTest::newRow("a notch out") << QPoint(0, -120) << QPoint() << 0.95;
    QTest::newRow("a sideways notch dominates") << QPoint(240, 120) << QPoint() << 1.1;
    QTest::newRow("touchpad pixels count") << QPoint(0, 120) << QPoint(0, 20) << 1.1;
    QTest::newRow("nothing") << QPoint() << QPoint() << 1.0;
    QTest::newRow("pixels alone are ignored") << QPoint() << QPoint(0, -400) << 0.0;
}

void TestPinnedGeometry::wheelFactor()
{
    QFETCH(QPoint, angleDelta);
    QFETCH(QPoint, pixelDelta);
    QFETCH(double, factor);
    QCOMPARE(pinned::wheelZoomFactor(angleDelta, pixelDelta).value_or(0.0), factor);
}

void TestPinnedGeometry::zoomWithoutAScreenOnlyShrinks()
{
    // With no screen the window does not grow past its current width, but still shrinks.
    const QRect frame(0, 0, 200, 100);
    QCOMPARE(pinned::zoomedFrame(frame, QPointF(100, 50), 2.0, QSizeF(400, 200), std::nullopt)->width(), 200);
    QCOMPARE(pinned::zoomedFrame(frame, QPointF(100, 50), 0.5, QSizeF(400, 200), std::nullopt)->width(), 100);
}

QTEST_GUILESS_MAIN(TestPinnedGeometry)
#include "tst_pinnedgeometry.moc"
