#include "CaptureJob.h"
#include "ScreenCapture.h"
#include "capture/ScrollRegionFrame.h"
#include "capture/ScrollingCaptureController.h"
#include "capture/ScrollingCaptureHud.h"
#include "core/ScrollPages.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace velmora;
using namespace scrollpages;

namespace {

// The screen under a scrolling capture: every grab shows the page at the scroll position the test
// has set, as the view of a browser would. Grabs can be held back, as a slow display would.
class PageCapture final : public ScreenCapture
{
public:
    PageCapture(QImage page, int view, Chrome chrome = {}) : page(std::move(page)), view(view), chrome(chrome)
    {}

    CaptureJob* grabScreens(const QList<ScreenGeometry>&) override { return failing(); }
    CaptureJob* grabWindow(quint32) override { return failing(); }
    CaptureJob* grabArea(const QRect& native) override
    {
        areas.append(native);
        auto* job = new CaptureJob;
        if (hold) {
            held.append(job);
        } else {
            job->finish({frameAt(page, top, view, chrome)});
        }
        return job;
    }

    ~PageCapture() override
    {
        for (const QPointer<CaptureJob>& job : std::as_const(held)) {
            delete job.data();
        }
    }

    CaptureJob* failing()
    {
        auto* job = new CaptureJob;
        job->fail(QStringLiteral("not here"));
        return job;
    }

    QImage page;
    int view;
    Chrome chrome;
    int top = 0;
    bool hold = false;
    QList<QRect> areas;
    QList<QPointer<CaptureJob>> held;
};

struct Outcome
{
    int completed = 0;
    int cancelled = 0;
    QImage image;
};

void watch(ScrollingCaptureController& controller, Outcome& outcome)
{
    controller.onComplete = [&outcome](const QImage& image) {
        ++outcome.completed;
        outcome.image = image;
    };
    controller.onCancel = [&outcome] { ++outcome.cancelled; };
}

const QRect native(40, 30, pageWidth, 200);

// Scrolls the page step by step, each step once the previous one has been stitched.
void scrollTo(PageCapture& screen, ScrollingCaptureController& controller, int last, int step)
{
    const int chromeRows = screen.chrome.header + screen.chrome.footer;
    for (int top = step; top <= last; top += step) {
        screen.top = top;
        QTRY_COMPARE(controller.stitchedPixelHeight(), chromeRows + top + screen.view);
    }
}

} // namespace

class TestScrollingCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stopGivesThePageAsScrolled_data();
    void stopGivesThePageAsScrolled();
    void stopBeforeStartCancels();
    void cancelWhileStitchingWins();
    void deletingInAnyPhaseIsSafe_data();
    void deletingInAnyPhaseIsSafe();
    void aPendingGrabIsNotPiledUpOn();
    void heightLimitStopsTheGrabs();
    void hudFollowsThePhases();
    void hudSitsNextToTheRegion_data();
    void hudSitsNextToTheRegion();
    void frameRingLiesOutsideTheRegion();
};

void TestScrollingCapture::stopGivesThePageAsScrolled_data()
{
    QTest::addColumn<int>("header");
    QTest::addColumn<int>("footer");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("status");

    // 1100 rows stitched; a ratio-2 screen shows them as half as many points.
    QTest::newRow("plain page") << 0 << 0 << 1.0 << 60 << QStringLiteral("Captured 1100 px");
    QTest::newRow("header and footer, ratio 2") << 24 << 16 << 2.0 << 90 << QStringLiteral("Captured 570 px");
}

void TestScrollingCapture::stopGivesThePageAsScrolled()
{
    QFETCH(int, header);
    QFETCH(int, footer);
    QFETCH(qreal, ratio);
    QFETCH(int, step);
    QFETCH(QString, status);

    const QImage page = makePage(1400, 7);
    const Chrome chrome{header, footer, false};
    PageCapture screen(page, 200, chrome);
    ScrollingCaptureController controller(screen, native, ratio);
    Outcome outcome;
    watch(controller, outcome);

    controller.startCapture();
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::capturing);
    QTRY_COMPARE(controller.stitchedPixelHeight(), header + 200 + footer);
    const int last = 900 / step * step;
    scrollTo(screen, controller, last, step);
    if (last != 900) {
        screen.top = 900;
        QTRY_COMPARE(controller.stitchedPixelHeight(), header + 1100 + footer);
    }
    QCOMPARE(controller.statusText(), status);

    controller.finishCapture();
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::finalizing);
    QCOMPARE(controller.statusText(), ScrollingCaptureController::stitchingText);
    QVERIFY(!controller.isCapturing());
    QTRY_COMPARE(outcome.completed, 1);
    QCOMPARE(outcome.cancelled, 0);
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::done);

    QCOMPARE(outcome.image.devicePixelRatio(), ratio);
    QImage pixels = outcome.image;
    pixels.setDevicePixelRatio(1);
    QCOMPARE(pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied), expectedImage(page, 1100, chrome));
    // Every grab asked for the region itself.
    QVERIFY(!screen.areas.isEmpty());
    for (const QRect& area : std::as_const(screen.areas)) {
        QCOMPARE(area, native);
    }
}

void TestScrollingCapture::stopBeforeStartCancels()
{
    PageCapture screen(makePage(600, 3), 200);
    ScrollingCaptureController controller(screen, native, 1);
    Outcome outcome;
    watch(controller, outcome);

    controller.finishCapture();
    QCOMPARE(outcome.cancelled, 1);
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::done);
    // Done is final: neither Start nor another Stop does anything.
    controller.startCapture();
    controller.finishCapture();
    controller.cancel();
    QTest::qWait(3 * 1000 / ScrollingCaptureController::framesPerSecond);
    QCOMPARE(outcome.cancelled, 1);
    QCOMPARE(outcome.completed, 0);
    QVERIFY(screen.areas.isEmpty());
}

void TestScrollingCapture::cancelWhileStitchingWins()
{
    const QImage page = makePage(1400, 9);
    PageCapture screen(page, 200);
    ScrollingCaptureController controller(screen, native, 1);
    Outcome outcome;
    watch(controller, outcome);
    QSignalSpy delivered(&controller, &ScrollingCaptureController::stitchDelivered);

    controller.startCapture();
    QTRY_COMPARE(controller.stitchedPixelHeight(), 200);
    scrollTo(screen, controller, 300, 100);
    controller.finishCapture();
    controller.cancel();
    QCOMPARE(outcome.cancelled, 1);
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::done);

    // The image the thread still composes arrives, and is dropped.
    QVERIFY(delivered.wait());
    QCOMPARE(outcome.completed, 0);
    QCOMPARE(outcome.cancelled, 1);
}

void TestScrollingCapture::deletingInAnyPhaseIsSafe_data()
{
    QTest::addColumn<ScrollingCaptureController::Phase>("phase");
    QTest::addColumn<bool>("inCallback");
    QTest::newRow("idle") << ScrollingCaptureController::Phase::idle << false;
    QTest::newRow("capturing, grab pending") << ScrollingCaptureController::Phase::capturing << false;
    QTest::newRow("finalizing") << ScrollingCaptureController::Phase::finalizing << false;
    QTest::newRow("from its completion") << ScrollingCaptureController::Phase::done << true;
}

void TestScrollingCapture::deletingInAnyPhaseIsSafe()
{
    QFETCH(ScrollingCaptureController::Phase, phase);
    QFETCH(bool, inCallback);

    PageCapture screen(makePage(1400, 5), 200);
    auto* controller = new ScrollingCaptureController(screen, native, 1);
    controller->showHud(QRect(40, 30, pageWidth, 200), QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 800));
    QPointer<ScrollingCaptureHud> hud = controller->hud();
    Outcome outcome;
    watch(*controller, outcome);
    if (inCallback) {
        controller->onComplete = [&outcome, &controller](const QImage&) {
            ++outcome.completed;
            delete std::exchange(controller, nullptr);
        };
    }

    if (phase != ScrollingCaptureController::Phase::idle) {
        controller->startCapture();
        QTRY_COMPARE(controller->stitchedPixelHeight(), 200);
        screen.top = 150;
        QTRY_COMPARE(controller->stitchedPixelHeight(), 350);
        screen.hold = true;
        const qsizetype asked = screen.areas.size();
        QTRY_VERIFY(screen.areas.size() > asked);
    }
    if (phase >= ScrollingCaptureController::Phase::finalizing) {
        controller->finishCapture();
    }
    if (inCallback) {
        QTRY_VERIFY(!controller);
        QCOMPARE(outcome.completed, 1);
    } else {
        delete controller;
        // Whatever was still on its way (a grab, a composed image) finds nobody to call.
        for (const QPointer<CaptureJob>& job : std::as_const(screen.held)) {
            if (job) {
                job->finish({frameAt(screen.page, 300, 200, {})});
            }
        }
        QTest::qWait(3 * 1000 / ScrollingCaptureController::framesPerSecond);
        QCOMPARE(outcome.completed, 0);
        QCOMPARE(outcome.cancelled, 0);
    }
    QVERIFY(!hud);
}

void TestScrollingCapture::aPendingGrabIsNotPiledUpOn()
{
    PageCapture screen(makePage(800, 4), 200);
    screen.hold = true;
    ScrollingCaptureController controller(screen, native, 1);
    controller.startCapture();
    QCOMPARE(screen.areas.size(), 1);
    // Several ticks pass while the display has not answered.
    QTest::qWait(4 * 1000 / ScrollingCaptureController::framesPerSecond);
    QCOMPARE(screen.areas.size(), 1);

    screen.held.first()->finish({frameAt(screen.page, 0, 200, {})});
    QTRY_COMPARE(controller.stitchedPixelHeight(), 200);
    QTRY_COMPARE(screen.areas.size(), 2);
}

void TestScrollingCapture::heightLimitStopsTheGrabs()
{
    const QImage page = makePage(1400, 12);
    PageCapture screen(page, 200);
    ScrollingCaptureController controller(screen, native, 1, StitchLimits{500, std::int64_t(1) << 30});
    Outcome outcome;
    watch(controller, outcome);
    QSignalSpy changes(&controller, &ScrollingCaptureController::stateChanged);

    controller.startCapture();
    QTRY_COMPARE(controller.stitchedPixelHeight(), 200);
    scrollTo(screen, controller, 300, 100);
    screen.top = 400; // 600 rows would pass the limit of 500
    QTRY_COMPARE(controller.statusText(), ScrollingCaptureController::limitText);
    QVERIFY(controller.isCapturing()); // Stop is still offered
    QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::capturing);
    const qsizetype asked = screen.areas.size();
    QTest::qWait(4 * 1000 / ScrollingCaptureController::framesPerSecond);
    QCOMPARE(screen.areas.size(), asked);
    QCOMPARE(controller.statusText(), ScrollingCaptureController::limitText);

    controller.finishCapture();
    QTRY_COMPARE(outcome.completed, 1);
    QCOMPARE(outcome.image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             expectedImage(page, 500, {}));
}

void TestScrollingCapture::hudFollowsThePhases()
{
    PageCapture screen(makePage(1000, 2), 200);
    ScrollingCaptureController controller(screen, native, 1);
    Outcome outcome;
    watch(controller, outcome);
    controller.showHud(QRect(40, 30, pageWidth, 200), QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 800));
    ScrollingCaptureHud* hud = controller.hud();
    QVERIFY(hud && hud->isVisible() && controller.frame()->isVisible());
    QCOMPARE(hud->windowTitle(), ScrollingCaptureHud::title);
    QCOMPARE(hud->size(), QSize(280, 64));
    QCOMPARE(hud->statusText(), QStringLiteral("Ready — click Start and scroll"));
    QCOMPARE(hud->buttonText(), QStringLiteral("Start"));

    auto* primary = hud->findChild<QPushButton*>(QStringLiteral("primary"));
    QVERIFY(primary);
    QTest::mouseClick(primary, Qt::LeftButton);
    QCOMPARE(hud->buttonText(), QStringLiteral("Stop"));
    QVERIFY(hud->statusText() == QStringLiteral("Scroll now…") ||
            hud->statusText() == QStringLiteral("Captured 200 px"));
    QTRY_COMPARE(hud->statusText(), QStringLiteral("Captured 200 px"));
    screen.top = 50;
    QTRY_COMPARE(hud->statusText(), QStringLiteral("Captured 250 px"));

    // Return is Stop while capturing.
    QTest::keyClick(hud, Qt::Key_Return);
    QCOMPARE(hud->statusText(), QStringLiteral("Stitching…"));
    QCOMPARE(hud->buttonText(), QStringLiteral("Start"));
    QTRY_COMPARE(outcome.completed, 1);
    QVERIFY(!hud->isVisible());
    QVERIFY(!controller.frame()->isVisible());
    QCOMPARE(outcome.image.height(), 250);

    // Escape on a fresh HUD cancels.
    ScrollingCaptureController second(screen, native, 1);
    Outcome secondOutcome;
    watch(second, secondOutcome);
    second.showHud(QRect(40, 30, pageWidth, 200), QRect(0, 0, 1000, 800), QRect(0, 0, 1000, 800));
    QVERIFY(QTest::qWaitForWindowActive(second.hud()));
    QTest::keyClick(second.hud(), Qt::Key_Escape);
    QCOMPARE(secondOutcome.cancelled, 1);
    QVERIFY(!second.hud()->isVisible());
}

void TestScrollingCapture::hudSitsNextToTheRegion_data()
{
    QTest::addColumn<QRect>("region");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("origin");

    const QRect screen(0, 0, 1000, 800);
    QTest::newRow("centred below") << QRect(100, 100, 400, 300) << screen << QPoint(160, 412);
    // Below would end at 732 + 64 = 796, within 8 of the bottom: above instead.
    QTest::newRow("above near the bottom") << QRect(100, 400, 400, 320) << screen << QPoint(160, 324);
    QTest::newRow("just fits below") << QRect(100, 400, 400, 316) << screen << QPoint(160, 728);
    QTest::newRow("panel area counts")
        << QRect(100, 100, 400, 600) << QRect(0, 0, 1000, 760) << QPoint(160, 24);
    QTest::newRow("kept inside on the left") << QRect(0, 100, 100, 100) << screen << QPoint(0, 212);
    QTest::newRow("kept inside on the right") << QRect(950, 100, 50, 100) << screen << QPoint(720, 212);
    QTest::newRow("whole screen") << screen << screen << QPoint(360, 0);
    QTest::newRow("second screen") << QRect(1100, 50, 200, 200) << QRect(1000, 0, 500, 400)
                                   << QPoint(1060, 262);
}

void TestScrollingCapture::hudSitsNextToTheRegion()
{
    QFETCH(QRect, region);
    QFETCH(QRect, available);
    QFETCH(QPoint, origin);
    QCOMPARE(ScrollingCaptureHud::origin(region, available, available), origin);
}

void TestScrollingCapture::frameRingLiesOutsideTheRegion()
{
    const QRect region(100, 80, 300, 200);
    ScrollRegionFrame frame(region);
    QVERIFY(frame.testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(frame.windowFlags() & Qt::WindowTransparentForInput);
    const QRegion ring = frame.mask().translated(frame.geometry().topLeft());
    QVERIFY(!ring.intersects(QRegion(region)));
    QCOMPARE(ring.boundingRect(), region.adjusted(-3, -3, 3, 3));
    // Closed all round: every point on the ring's middle line is in it.
    const QRect middle = region.adjusted(-2, -2, 1, 1);
    for (const QPoint& p :
         {middle.topLeft(), middle.topRight(), middle.bottomLeft(), middle.bottomRight(),
          QPoint(middle.center().x(), middle.top()), QPoint(middle.left(), middle.center().y())}) {
        QVERIFY2(ring.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    }
    // The ring is drawn, in the colour the mask lets through.
    const QImage drawn = frame.grab().toImage();
    QCOMPARE(drawn.pixelColor(0, 0), QColor(10, 132, 255));
}

QTEST_MAIN(TestScrollingCapture)
#include "tst_scrollingcapture.moc"
