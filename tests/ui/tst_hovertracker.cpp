#include "HoverTracker.h"
#include "support/TestSupport.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

using namespace velmora;

namespace {

// A widget that counts its repaints and the enter events that reach it.
class Probe : public QWidget
{
public:
    using QWidget::QWidget;
    int paints = 0;
    int enters = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
    void enterEvent(QEnterEvent* event) override
    {
        ++enters;
        QWidget::enterEvent(event);
    }
};

// Two probes side by side in a shown window, the pointer parked away from it.
struct Window
{
    Window()
    {
        QCursor::setPos(0, 0);
        auto* layout = new QHBoxLayout(&top);
        layout->setContentsMargins(20, 20, 20, 20);
        layout->addWidget(left = new Probe);
        layout->addWidget(right = new Probe);
        top.setGeometry(100, 100, 240, 100);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
    }
    QWidget top;
    Probe* left = nullptr;
    Probe* right = nullptr;
};

} // namespace

class TestHoverTracker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsThePointerAndReportsOnlyChanges();
    void repaintsTheWidgetWithoutAReaction();
};

void TestHoverTracker::followsThePointerAndReportsOnlyChanges()
{
    Window w;
    QList<bool> reported;
    const HoverTracker* tracker = new HoverTracker(w.left, [&](bool hovered) { reported << hovered; });
    QVERIFY(!tracker->isHovered());

    QTest::mouseMove(w.left, w.left->rect().center());
    QTRY_VERIFY(tracker->isHovered());
    QTest::mouseMove(w.left, w.left->rect().center() + QPoint(3, 2)); // still inside
    QTest::mouseMove(w.right, w.right->rect().center());
    QTRY_VERIFY(!tracker->isHovered());
    QCOMPARE(reported, (QList<bool>{true, false}));
    // The widget still gets its own enter event.
    QCOMPARE(w.left->enters, 1);

    // A pointer found over the widget without an enter event, then the real one: one report.
    auto* resting = new HoverTracker(w.right, [&](bool hovered) { reported << hovered; });
    QVERIFY(!resting->isHovered());
    resting->setHovered(true);
    resting->setHovered(true);
    QCOMPARE(reported, (QList<bool>{true, false, true}));
}

void TestHoverTracker::repaintsTheWidgetWithoutAReaction()
{
    Window w;
    const HoverTracker* tracker = new HoverTracker(w.left);
    QTRY_VERIFY(w.left->paints > 0);
    const int before = w.left->paints;
    QTest::mouseMove(w.left, w.left->rect().center());
    QTRY_VERIFY(tracker->isHovered());
    QTRY_VERIFY(w.left->paints > before);
    const int hovered = w.left->paints;
    QTest::mouseMove(&w.top, QPoint(2, 2)); // the window's margin, outside both probes
    QTRY_VERIFY(!tracker->isHovered());
    QTRY_VERIFY(w.left->paints > hovered);
}

QTEST_MAIN(TestHoverTracker)
#include "tst_hovertracker.moc"
