#include "CaptureFlowsFixture.h"
#include "capture/ScrollRegionFrame.h"
#include "capture/ScrollingCaptureController.h"
#include "capture/ScrollingCaptureHud.h"
#include "core/ScrollPages.h"

class TestScrollFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stitchedImageOpensInAnEditor();
    void endingWithoutAnImage_data();
    void endingWithoutAnImage();
    void aFailingStreamFailsTheCapture();
    void whereItCannotWorkItSaysWhyBeforePicking();
};

namespace {

// The right-hand screen of the fixture is 500×400 points at ratio 2, its native origin at (1000, 0).
const QRect pickedNative(1100, 10, 320, 160);
const QRect pickedPoints(1050, 5, 160, 80);

ScrollingCaptureController* pickRegion(Fixture& f)
{
    f.grabDone();
    if (f.pickers.regionMode != RegionPicker::Mode::region || !f.pickers.region) {
        return nullptr;
    }
    f.pickers.region(test::solidImage(160, 80, Qt::red, 2.0), 1, pickedNative);
    return f.flows->scrollingCaptureController();
}

} // namespace

void TestScrollFlow::stitchedImageOpensInAnEditor()
{
    Fixture f;
    QVERIFY(f.flows->startScrollingCapture());
    for (const Flow other : {Flow::region, Flow::color, Flow::window, Flow::fullScreen, Flow::area}) {
        QVERIFY(!start(*f.flows, other));
    }
    QVERIFY(!f.flows->startScrollingCapture());
    ScrollingCaptureController* controller = pickRegion(f);
    QVERIFY(controller);
    QVERIFY(f.flows->isBusy());

    // The live region is framed from outside and the HUD waits for Start.
    QPointer<ScrollingCaptureHud> hud = controller->hud();
    QVERIFY(hud && hud->isVisible());
    QCOMPARE(hud->windowTitle(), QStringLiteral("Velmora scrolling capture"));
    QCOMPARE(hud->statusText(), QStringLiteral("Ready — click Start and scroll"));
    QCOMPARE(controller->frame()->region(), pickedPoints);
    QCOMPARE(f.capture->requests, QStringList{QStringLiteral("screens")});

    controller->startCapture();
    QCOMPARE(f.capture->area, pickedNative);
    const QImage page = scrollpages::makePage(800, 3);
    f.capture->last->finish({scrollpages::frameAt(page, 0, 160, {})});
    QTRY_COMPARE(hud->statusText(), QStringLiteral("Captured 80 px"));
    QTRY_VERIFY(f.capture->last && f.capture->last->status() == CaptureJob::Status::pending);
    f.capture->last->finish({scrollpages::frameAt(page, 100, 160, {})});
    QTRY_COMPARE(hud->statusText(), QStringLiteral("Captured 130 px"));

    controller->finishCapture();
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::done);
    QCOMPARE(f.state->openEditorCount(), 1);
    EditorSession& session = f.state->editorWindows().constFirst()->session();
    QCOMPARE(session.capturedImage().devicePixelRatio(), 2.0);
    QCOMPARE(session.capturedImage().size(), QSize(320, 260));
    QCOMPARE(session.captureKind(), CaptureKind::region);
    QVERIFY(!session.isBackgroundCompositeEnabled());
    QCOMPARE(session.backgroundAssets()->padding, 30.0);
    QVERIFY(session.backgroundAssets()->drawsShadow);
    // The capture's windows go; the editor keeps the keyboard.
    QTRY_VERIFY(!hud);
    QVERIFY(!f.flows->scrollingCaptureController());
    QVERIFY(!f.flows->isBusy());
    QVERIFY(f.focus->activated.isEmpty());
}

void TestScrollFlow::endingWithoutAnImage_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("picker cancelled") << QStringLiteral("picker");
    QTest::newRow("HUD cancel") << QStringLiteral("cancel");
    QTest::newRow("Stop before Start") << QStringLiteral("stop");
    QTest::newRow("cancel while stitching") << QStringLiteral("stitching");
}

void TestScrollFlow::endingWithoutAnImage()
{
    QFETCH(QString, how);
    Fixture f;
    QVERIFY(f.flows->startScrollingCapture());
    QPointer<ScrollingCaptureController> controller;
    if (how == QLatin1String("picker")) {
        f.grabDone();
        f.pickers.cancel();
    } else {
        controller = pickRegion(f);
        QVERIFY(controller);
        if (how == QLatin1String("cancel")) {
            controller->cancel();
        } else if (how == QLatin1String("stop")) {
            controller->finishCapture();
        } else {
            controller->startCapture();
            f.capture->last->finish({scrollpages::frameAt(scrollpages::makePage(400, 1), 0, 160, {})});
            QTRY_COMPARE(controller->stitchedPixelHeight(), 160);
            controller->finishCapture();
            controller->cancel();
        }
    }
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::cancelled);
    QTRY_VERIFY(!controller);
    QTest::qWait(100);
    QCOMPARE(f.finished->size(), 1);
    QCOMPARE(f.state->openEditorCount(), 0);
    // The keyboard stays where the user has put it since; the flow is free again.
    QVERIFY(f.focus->activated.isEmpty());
    QCOMPARE(f.flows->focusSnapshot(), std::nullopt);
    QVERIFY(!f.flows->isBusy());
    QVERIFY(f.flows->startScrollingCapture());
}

// A stream that never becomes ready, as a desktop's screen share that ends before its first frame.
class DeadStream final : public AreaStream
{
public:
    bool isReady() const override { return false; }
    CaptureJob* grab() override { return CaptureJob::failedWith({}); }
};

void TestScrollFlow::aFailingStreamFailsTheCapture()
{
    Fixture f;
    QPointer<AreaStream> stream;
    f.capture->streams = [&stream](const QRect&) {
        auto made = std::make_unique<DeadStream>();
        stream = made.get();
        return made;
    };
    QVERIFY(f.flows->startScrollingCapture());
    QPointer<ScrollingCaptureController> controller = pickRegion(f);
    QVERIFY(controller);
    // Opened with the HUD, before Start.
    QVERIFY(stream);
    QPointer<ScrollingCaptureHud> hud = controller->hud();
    Q_EMIT stream->failed(QStringLiteral("the desktop stopped sharing the screen"));

    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::failed);
    QCOMPARE(f.result().message, QStringLiteral("the desktop stopped sharing the screen"));
    QCOMPARE(f.beeps, 1);
    QCOMPARE(f.state->openEditorCount(), 0);
    QTRY_VERIFY(!controller);
    QTRY_VERIFY(!stream);
    QVERIFY(!hud || !hud->isVisible());
    QVERIFY(!f.flows->isBusy());
}

// A desktop without screen casting: the reason comes at once, from the command line too, and no
// picker asks for a region that could not be captured.
void TestScrollFlow::whereItCannotWorkItSaysWhyBeforePicking()
{
    Fixture f;
    f.platform.capabilities.scrollingCapture = false;
    f.platform.capabilities.scrollingUnavailableReason = QStringLiteral("no screen casting here");
    QVERIFY(f.flows->startScrollingCapture());
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::failed);
    QCOMPARE(f.result().message, QStringLiteral("no screen casting here"));
    QVERIFY(!f.pickers.regionMode);
    QVERIFY(!f.flows->isBusy());
}

QTEST_MAIN(TestScrollFlow)
#include "tst_scrollflow.moc"
