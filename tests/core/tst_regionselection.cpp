#include "capture/RegionSelection.h"

#include <QTest>

#include <optional>

using namespace velmora;

Q_DECLARE_METATYPE(std::optional<QRectF>)
Q_DECLARE_METATYPE(RegionChange)
Q_DECLARE_METATYPE(RegionCursor)

namespace {

const QSizeF screen(800, 600);

// One press-drag-release gesture; the change each step reported, in order.
QList<RegionChange> gesture(RegionSelection& s, QPointF from, QPointF to)
{
    QList<RegionChange> changes;
    changes << s.mouseDown(from);
    changes << s.mouseDragged((from + to) / 2);
    changes << s.mouseDragged(to);
    changes << s.mouseUp(to);
    changes.removeAll(RegionChange::none);
    return changes;
}

RegionSelection withRegion(const QRectF& region)
{
    RegionSelection s(screen);
    s.setRegion(region);
    return s;
}

} // namespace

class TestRegionSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawing_data();
    void drawing();
    void editing_data();
    void editing();
    void lockedIgnoresEveryGesture();
    void cursor_data();
    void cursor();
};

void TestRegionSelection::drawing_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<std::optional<QRectF>>("region");

    QTest::newRow("10x200 leaves nothing")
        << QPointF(100, 100) << QPointF(110, 300) << std::optional<QRectF>();
    QTest::newRow("200x15 leaves nothing")
        << QPointF(100, 100) << QPointF(300, 115) << std::optional<QRectF>();
    QTest::newRow("16x16 is enough") << QPointF(100, 100) << QPointF(116, 116)
                                     << std::optional<QRectF>(QRectF(100, 100, 16, 16));
    QTest::newRow("dragged up and left")
        << QPointF(300, 200) << QPointF(100, 50) << std::optional<QRectF>(QRectF(100, 50, 200, 150));
    QTest::newRow("past the screen's corner")
        << QPointF(700, 500) << QPointF(950, -40) << std::optional<QRectF>(QRectF(700, 0, 100, 500));
}

void TestRegionSelection::drawing()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(std::optional<QRectF>, region);

    RegionSelection s(screen);
    s.mouseDown(from);
    s.mouseDragged(to);
    QCOMPARE(s.interaction(), RegionSelection::Interaction::drawing);
    QCOMPARE(s.region(), std::optional<QRectF>()); // nothing is kept before the release
    const RegionChange change = s.mouseUp(to);
    QCOMPARE(s.region(), region);
    QCOMPARE(change, region ? RegionChange::firstSelected : RegionChange::none);
    QCOMPARE(s.interaction(), RegionSelection::Interaction::idle);
}

void TestRegionSelection::editing_data()
{
    QTest::addColumn<QRectF>("start");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<bool>("changes");

    const QRectF r(200, 150, 100, 80);
    // Moving keeps the size and stops at the screen's edges.
    QTest::newRow("move") << r << QPointF(250, 190) << QPointF(270, 180) << QRectF(220, 140, 100, 80) << true;
    QTest::newRow("move into top-left")
        << r << QPointF(250, 190) << QPointF(-500, -500) << QRectF(0, 0, 100, 80) << true;
    QTest::newRow("move into bottom-right")
        << r << QPointF(250, 190) << QPointF(5000, 5000) << QRectF(700, 520, 100, 80) << true;
    // Resizing: each handle moves its own edges only.
    QTest::newRow("se outwards") << r << QPointF(300, 230) << QPointF(340, 250) << QRectF(200, 150, 140, 100)
                                 << true;
    QTest::newRow("n moves only the top")
        << r << QPointF(250, 150) << QPointF(400, 120) << QRectF(200, 120, 100, 110) << true;
    QTest::newRow("e past the screen's edge")
        << r << QPointF(300, 190) << QPointF(1000, 190) << QRectF(200, 150, 600, 80) << true;
    // The w edge dragged beyond the right edge: the rectangle flips and the old right edge becomes
    // its left; a flip that collapses it keeps the minimum width.
    QTest::newRow("w past the right edge")
        << r << QPointF(200, 190) << QPointF(900, 190) << QRectF(300, 150, 500, 80) << true;
    QTest::newRow("w onto the right edge")
        << r << QPointF(200, 190) << QPointF(305, 190) << QRectF(300, 150, 16, 80) << true;
    QTest::newRow("s above the top") << r << QPointF(250, 230) << QPointF(250, 140)
                                     << QRectF(200, 140, 100, 16) << true;
    // On a region smaller than two hit squares the handles overlap; the first in order wins, so the
    // top middle grabs the nw corner.
    QTest::newRow("overlapping handles") << QRectF(400, 300, 16, 16) << QPointF(408, 300) << QPointF(380, 290)
                                         << QRectF(372, 290, 44, 26) << true;
    // Outside the region a press starts nothing, not even a new rectangle.
    QTest::newRow("drag outside") << r << QPointF(500, 400) << QPointF(700, 550) << r << false;
    QTest::newRow("click outside") << r << QPointF(100, 100) << QPointF(100, 100) << r << false;
}

void TestRegionSelection::editing()
{
    QFETCH(QRectF, start);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QRectF, expected);
    QFETCH(bool, changes);

    RegionSelection s = withRegion(start);
    const QList<RegionChange> reported = gesture(s, from, to);
    QCOMPARE(s.region(), std::optional<QRectF>(expected));
    // Every drag step and the release report a change; nothing is ever "first" again.
    const QList<RegionChange> expectedChanges =
        changes ? QList<RegionChange>(3, RegionChange::changed) : QList<RegionChange>();
    QCOMPARE(reported, expectedChanges);
}

void TestRegionSelection::lockedIgnoresEveryGesture()
{
    RegionSelection empty(screen);
    empty.setLocked(true);
    QVERIFY(gesture(empty, QPointF(10, 10), QPointF(300, 300)).isEmpty());
    QCOMPARE(empty.region(), std::optional<QRectF>());

    const QRectF r(200, 150, 100, 80);
    RegionSelection s = withRegion(r);
    s.setLocked(true);
    QVERIFY(gesture(s, QPointF(250, 190), QPointF(400, 400)).isEmpty()); // body
    QVERIFY(gesture(s, QPointF(300, 230), QPointF(400, 400)).isEmpty()); // se handle
    QCOMPARE(s.region(), std::optional<QRectF>(r));

    // Locked in the middle of a move: the rest of that gesture is ignored after unlocking too.
    s.setLocked(false);
    s.mouseDown(QPointF(250, 190));
    s.setLocked(true);
    s.setLocked(false);
    QCOMPARE(s.mouseDragged(QPointF(400, 400)), RegionChange::none);
    QCOMPARE(s.region(), std::optional<QRectF>(r));
}

void TestRegionSelection::cursor_data()
{
    QTest::addColumn<std::optional<QRectF>>("region");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<std::optional<QPointF>>("point");
    QTest::addColumn<RegionCursor>("cursor");

    const std::optional<QRectF> r = QRectF(200, 150, 100, 80);
    const std::optional<QRectF> none;
    QTest::newRow("no region") << none << false << std::optional<QPointF>(QPointF(5, 5))
                               << RegionCursor::crosshair;
    QTest::newRow("locked") << r << true << std::optional<QPointF>(QPointF(250, 190)) << RegionCursor::arrow;
    QTest::newRow("no pointer") << r << false << std::optional<QPointF>() << RegionCursor::arrow;
    QTest::newRow("n edge") << r << false << std::optional<QPointF>(QPointF(250, 141))
                            << RegionCursor::resizeVertical;
    QTest::newRow("w edge") << r << false << std::optional<QPointF>(QPointF(205, 190))
                            << RegionCursor::resizeHorizontal;
    QTest::newRow("corner") << r << false << std::optional<QPointF>(QPointF(310, 240))
                            << RegionCursor::crosshair;
    QTest::newRow("body") << r << false << std::optional<QPointF>(QPointF(240, 180))
                          << RegionCursor::openHand;
    QTest::newRow("outside") << r << false << std::optional<QPointF>(QPointF(311, 260))
                             << RegionCursor::arrow;
}

void TestRegionSelection::cursor()
{
    QFETCH(std::optional<QRectF>, region);
    QFETCH(bool, locked);
    QFETCH(std::optional<QPointF>, point);
    QFETCH(RegionCursor, cursor);

    RegionSelection s(screen);
    s.setRegion(region);
    s.setLocked(locked);
    QCOMPARE(s.cursorAt(point), cursor);
}

QTEST_GUILESS_MAIN(TestRegionSelection)
#include "tst_regionselection.moc"
