#include "CaptureFlowsFixture.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Flow)
Q_DECLARE_METATYPE(velmora::TextRecognition)
Q_DECLARE_METATYPE(velmora::CaptureResult::Status)

class TestCaptureFlows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneCaptureAtATime_data();
    void oneCaptureAtATime();
    void cancelEndsWithoutEditor_data();
    void cancelEndsWithoutEditor();
    void failedGrabReportsItsMessage_data();
    void failedGrabReportsItsMessage();
    void colourOfThePickedPixels_data();
    void colourOfThePickedPixels();
    void textOfThePickedArea_data();
    void textOfThePickedArea();
    void regionOpensAnEditorWithTheScreenWideLoader();
    void fullScreenTakesTheScreenUnderThePointer();
    void areaIsClippedToTheScreens();
    void windowOpensOnTheDesktopPictureBehindIt();
    void withoutEditorsTheImageOnlyReachesFinished();
    void theFirstRecordedFocusIsKeptUntilGivenBack();
    void aPictureForAClosedEditorIsDropped();
};

void TestCaptureFlows::oneCaptureAtATime_data()
{
    QTest::addColumn<Flow>("first");
    QTest::addColumn<Flow>("second");
    const QList<std::pair<const char*, Flow>> flows{{"region", Flow::region},   {"color", Flow::color},
                                                    {"text", Flow::text},       {"window", Flow::window},
                                                    {"full", Flow::fullScreen}, {"area", Flow::area}};
    for (const auto& [firstName, first] : flows) {
        for (const auto& [secondName, second] : flows) {
            QTest::addRow("%s then %s", firstName, secondName) << first << second;
        }
    }
}

void TestCaptureFlows::oneCaptureAtATime()
{
    QFETCH(Flow, first);
    QFETCH(Flow, second);
    Fixture f;
    QVERIFY(start(*f.flows, first));
    QVERIFY(!start(*f.flows, second));
    QCOMPARE(f.capture->requests.size(), 1);
    f.grabDone();
    if (f.pickers.cancel) {
        // Still busy while the picker is up.
        QVERIFY(!start(*f.flows, second));
        QCOMPARE(f.capture->requests.size(), 1);
        f.pickers.cancel();
    }
    QVERIFY(f.waitFinished());
    QVERIFY(start(*f.flows, second));
    QCOMPARE(f.capture->requests.size(), 2);
}

void TestCaptureFlows::cancelEndsWithoutEditor_data()
{
    QTest::addColumn<Flow>("flow");
    QTest::addColumn<bool>("focusGivenBack");
    // A cancelled region leaves the keyboard where the user put it; leaving the window picker
    // gives it back to the window that had it, as the picker took it.
    QTest::newRow("region") << Flow::region << false;
    QTest::newRow("color") << Flow::color << false;
    QTest::newRow("text") << Flow::text << false;
    QTest::newRow("window") << Flow::window << true;
}

void TestCaptureFlows::cancelEndsWithoutEditor()
{
    QFETCH(Flow, flow);
    QFETCH(bool, focusGivenBack);
    Fixture f;
    QVERIFY(start(*f.flows, flow));
    QCOMPARE(f.flows->focusSnapshot(), std::optional<quint32>(f.focus->active));
    f.grabDone();
    QVERIFY(f.pickers.cancel);
    f.pickers.cancel();
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::cancelled);
    QCOMPARE(f.state->openEditorCount(), 0);
    QVERIFY(f.copied.isEmpty());
    QCOMPARE(f.beeps, 0);
    QCOMPARE(f.focus->activated, focusGivenBack ? QList<quint32>{f.focus->active} : QList<quint32>{});
    QCOMPARE(f.flows->focusSnapshot(), std::nullopt);
    QCOMPARE(f.flows->regionCaptureMode(), RegionCaptureMode::editor);
}

void TestCaptureFlows::failedGrabReportsItsMessage_data()
{
    QTest::addColumn<Flow>("flow");
    QTest::addColumn<bool>("atPick"); // the window grab fails after the pick, the others at once
    QTest::newRow("region") << Flow::region << false;
    QTest::newRow("full") << Flow::fullScreen << false;
    QTest::newRow("area") << Flow::area << false;
    QTest::newRow("window vanished") << Flow::window << true;
}

void TestCaptureFlows::failedGrabReportsItsMessage()
{
    QFETCH(Flow, flow);
    QFETCH(bool, atPick);
    Fixture f;
    QVERIFY(start(*f.flows, flow));
    if (atPick) {
        f.grabDone();
        f.pickers.window(0x400001);
        QCOMPARE(f.capture->requests.last(), QStringLiteral("window %1").arg(0x400001));
    }
    f.capture->last->fail(QStringLiteral("window 0x400001 is gone"));
    QVERIFY(f.waitFinished());
    QCOMPARE(f.finished->size(), 1);
    QCOMPARE(f.result().status, CaptureResult::Status::failed);
    QCOMPARE(f.result().message, QStringLiteral("window 0x400001 is gone"));
    QCOMPARE(f.state->openEditorCount(), 0);
    QVERIFY(f.result().image.isNull());
    QVERIFY(!f.flows->isBusy());
    QCOMPARE(f.flows->focusSnapshot(), std::nullopt);
    QVERIFY(f.focus->activated.isEmpty());
}

void TestCaptureFlows::colourOfThePickedPixels_data()
{
    QTest::addColumn<QImage>("crop");
    QTest::addColumn<QString>("hex");
    QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
    one.fill(QColor(0x12, 0xAB, 0xEF));
    QTest::newRow("1x1: that pixel") << one << QStringLiteral("#12ABEF");
    QImage four(2, 2, QImage::Format_ARGB32_Premultiplied);
    four.fill(Qt::black);
    four.setPixelColor(1, 1, QColor(255, 128, 0));
    four.setDevicePixelRatio(2);
    QTest::newRow("2x2: the pixel at (1, 1)") << four << QStringLiteral("#FF8000");
    QTest::newRow("nothing picked") << QImage() << QString();
}

void TestCaptureFlows::colourOfThePickedPixels()
{
    QFETCH(QImage, crop);
    QFETCH(QString, hex);
    Fixture f;
    QVERIFY(f.flows->startRegionCapture(RegionCaptureMode::color));
    f.grabDone();
    QCOMPARE(f.pickers.regionMode, RegionPicker::Mode::color);
    f.pickers.region(crop, 0, QRect(5, 5, crop.width(), crop.height()));
    QVERIFY(f.waitFinished());
    QCOMPARE(f.state->openEditorCount(), 0);
    // Either way the keyboard goes back to the window the user was in.
    QCOMPARE(f.focus->activated, QList<quint32>{f.focus->active});
    if (hex.isEmpty()) {
        QCOMPARE(f.result().status, CaptureResult::Status::failed);
        QCOMPARE(f.beeps, 1);
        QVERIFY(f.copied.isEmpty());
        return;
    }
    QCOMPARE(f.result().status, CaptureResult::Status::done);
    QCOMPARE(f.result().hex, hex);
    QCOMPARE(f.copied, QStringList{hex});
    QCOMPARE(f.pill.message(), QStringLiteral("Color hex copied"));
    QCOMPARE(f.beeps, 0);
}

void TestCaptureFlows::textOfThePickedArea_data()
{
    QTest::addColumn<TextRecognition>("recognition");
    QTest::addColumn<CaptureResult::Status>("status");
    QTest::newRow("two lines") << TextRecognition{QStringLiteral("File  Edit\nView"), false}
                               << CaptureResult::Status::done;
    QTest::newRow("no text") << TextRecognition{} << CaptureResult::Status::empty;
    QTest::newRow("no recogniser") << TextRecognition{std::nullopt, true} << CaptureResult::Status::failed;
}

void TestCaptureFlows::textOfThePickedArea()
{
    QFETCH(TextRecognition, recognition);
    QFETCH(CaptureResult::Status, status);
    Fixture f;
    QVERIFY(f.flows->startRegionCapture(RegionCaptureMode::ocr));
    f.grabDone();
    QCOMPARE(f.pickers.regionMode, RegionPicker::Mode::region);
    const QImage crop = test::solidImage(120, 40, Qt::white, 2.0);
    f.pickers.region(crop, 1, QRect(1010, 10, 120, 40));
    QCOMPARE(f.recognized.size(), 1);
    QCOMPARE(f.recognized.constFirst(), crop);
    // Nothing else starts while the text is read: it would race for the clipboard.
    QVERIFY(f.finished->isEmpty());
    QVERIFY(!f.flows->startRegionCapture(RegionCaptureMode::color));
    f.answerText(recognition);
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, status);
    QCOMPARE(f.state->openEditorCount(), 0);
    QCOMPARE(f.focus->activated, QList<quint32>{f.focus->active});
    QCOMPARE(f.flows->regionCaptureMode(), RegionCaptureMode::editor);
    if (status == CaptureResult::Status::done) {
        QCOMPARE(f.result().text, *recognition.text);
        QCOMPARE(f.copied, QStringList{*recognition.text});
        QCOMPARE(f.pill.message(), QStringLiteral("Text copied"));
        QCOMPARE(f.beeps, 0);
    } else {
        QVERIFY(!f.result().message.isEmpty());
        QVERIFY(f.copied.isEmpty());
        QCOMPARE(f.beeps, 1);
    }
}

void TestCaptureFlows::regionOpensAnEditorWithTheScreenWideLoader()
{
    Fixture f;
    QVERIFY(f.flows->startRegionCapture(RegionCaptureMode::editor));
    f.grabDone();
    QCOMPARE(f.pickers.regionMode, RegionPicker::Mode::region);
    QCOMPARE(f.pickers.shownFrozen.size(), 2);
    const QImage crop = test::solidImage(120, 80, Qt::red, 2.0);
    f.pickers.region(crop, 1, QRect(1100, 10, 240, 160));
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::done);
    QCOMPARE(f.state->openEditorCount(), 1);
    EditorSession& session = f.state->editorWindows().constFirst()->session();
    QCOMPARE(session.capturedImage().cacheKey(), crop.cacheKey());
    QCOMPARE(session.captureKind(), CaptureKind::region);
    QVERIFY(!session.isBackgroundCompositeEnabled());
    QVERIFY(!session.backgroundAssets()->wallpaperBackgroundImage);
    // The editor keeps the keyboard until it closes.
    QVERIFY(f.focus->activated.isEmpty());

    // Picking the desktop picture renders the whole screen the region came from, sized for the
    // content (120×80 points) on the session's padding.
    session.toggleBackgroundComposite();
    session.requestDesktopWallpaperIfNeeded();
    QTRY_VERIFY_WITH_TIMEOUT(!session.isDesktopWallpaperLoading(), test::waitTimeout);
    QCOMPARE(f.wallpaperCalls->size(), 1);
    const double padding = session.contentPadding();
    QCOMPARE(f.wallpaperCalls->first().crop, QRectF(0, 0, 500, 400));
    QCOMPARE(f.wallpaperCalls->first().output, QSizeF(120 + 2 * padding, 80 + 2 * padding));
    QVERIFY(session.backgroundAssets()->wallpaperBackgroundImage);
    QCOMPARE(session.backgroundAssets()->wallpaperBackgroundImage->pixelColor(0, 0), QColor(Qt::magenta));

    f.state->editorWindows().constFirst()->close();
    QCOMPARE(f.focus->activated, QList<quint32>{f.focus->active});
}

void TestCaptureFlows::fullScreenTakesTheScreenUnderThePointer()
{
    Fixture f;
    f.pointer = QPointF(1200, 50);
    QVERIFY(f.flows->startFullScreenCapture());
    QCOMPARE(f.capture->grabbedScreens, QList<ScreenGeometry>{f.layout.screens()[1]});
    f.grabDone();
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().image.size(), QSize(1000, 800));
    QCOMPARE(f.state->editorWindows().constFirst()->session().capturedImage().size(), QSize(1000, 800));
}

void TestCaptureFlows::areaIsClippedToTheScreens()
{
    Fixture f;
    QVERIFY(f.flows->startAreaCapture(QRect(-50, 700, 200, 300)));
    QCOMPARE(f.capture->area, QRect(0, 700, 150, 100));

    Fixture off;
    QVERIFY(off.flows->startAreaCapture(QRect(3000, 3000, 10, 10)));
    QVERIFY(off.capture->requests.isEmpty());
    QVERIFY(off.waitFinished());
    QCOMPARE(off.result().status, CaptureResult::Status::failed);
    QCOMPARE(off.result().message, QStringLiteral("the area 10x10+3000+3000 lies off every screen"));
}

void TestCaptureFlows::windowOpensOnTheDesktopPictureBehindIt()
{
    Fixture f;
    // On the right-hand screen (ratio 2: its native pixels start at x 1000 and run 1000 wide).
    f.windows->windows = {
        {0x500002, QRect(1200, 100, 400, 300), QStringLiteral("Term"), QStringLiteral("t")}};
    QVERIFY(f.flows->startWindowCapture());
    f.grabDone();
    f.pickers.window(0x500002);
    f.capture->last->finish({test::solidImage(400, 300, Qt::green)});
    QTRY_COMPARE_WITH_TIMEOUT(f.finished->size(), 1, test::waitTimeout);
    QCOMPARE(f.result().status, CaptureResult::Status::done);
    EditorSession& session = f.state->editorWindows().constFirst()->session();
    QCOMPARE(session.captureKind(), CaptureKind::window);
    QVERIFY(session.openedTightFit);
    QVERIFY(session.isBackgroundCompositeEnabled());
    // The capture is shown at the screen's density: 400 pixels are 200 points.
    QCOMPARE(session.capturedImage().devicePixelRatio(), 2.0);
    QCOMPARE(f.wallpaperCalls->size(), 1);
    const WallpaperCall call = f.wallpaperCalls->first();
    QCOMPARE(call.windowOnScreen, QRectF(100, 50, 200, 150));
    const double padding = EditorSession::defaultPadding(CaptureKind::window);
    QCOMPARE(call.crop, QRectF(100 - padding, 50 - padding, 200 + 2 * padding, 150 + 2 * padding));
    QCOMPARE(call.output, QSizeF(200 + 2 * padding, 150 + 2 * padding));
    QVERIFY(session.backgroundAssets()->wallpaperBackgroundImage);
}

void TestCaptureFlows::withoutEditorsTheImageOnlyReachesFinished()
{
    Fixture f(false);
    QVERIFY(f.flows->startFullScreenCapture());
    f.grabDone({test::solidImage(1000, 800, Qt::blue)});
    QVERIFY(f.waitFinished());
    QCOMPARE(f.result().status, CaptureResult::Status::done);
    QCOMPARE(f.result().image.pixelColor(500, 400), QColor(Qt::blue));
    QCOMPARE(f.state->openEditorCount(), 0);
}

void TestCaptureFlows::theFirstRecordedFocusIsKeptUntilGivenBack()
{
    Fixture f;
    const quint32 before = f.focus->active;
    QVERIFY(f.flows->startFullScreenCapture());
    f.grabDone();
    QVERIFY(f.waitFinished());
    // The editor now has the keyboard; a colour picked meanwhile hands it back to the window the
    // user was in before any capture, not to the editor.
    f.focus->active = 0x7700001;
    QVERIFY(f.flows->startRegionCapture(RegionCaptureMode::color));
    f.grabDone();
    f.pickers.region(test::solidImage(1, 1, Qt::white), 0, QRect(0, 0, 1, 1));
    QTRY_COMPARE(f.finished->size(), 2);
    QCOMPARE(f.focus->activated, QList<quint32>{before});
    // Given back once: closing the editor later has nothing left to restore.
    f.state->editorWindows().constFirst()->close();
    QCOMPARE(f.focus->activated, QList<quint32>{before});
}

void TestCaptureFlows::aPictureForAClosedEditorIsDropped()
{
    Fixture f;
    // The desktop picture is still being drawn when the session goes away.
    auto gate = std::make_shared<QSemaphore>();
    auto rendering = std::make_shared<QSemaphore>();
    DesktopWallpaperSource source;
    source.picture = [](const ScreenGeometry&) { return test::solidImage(8, 8, Qt::darkCyan); };
    source.render = [gate, rendering](const QImage&, const ScreenGeometry&, const QRectF&, const QSizeF&) {
        rendering->release();
        gate->acquire();
        return std::optional<QImage>(test::solidImage(10, 10, Qt::magenta));
    };
    const QImage image = test::solidImage(100, 80, Qt::red);
    auto session = std::make_unique<EditorSession>(image, CaptureKind::region,
                                                   CaptureBackgroundAssets{image, std::nullopt, 30, true},
                                                   true, EditorSession::Services{f.settings, f.wallpapers});
    installDesktopWallpaperLoader(*session, source, f.layout.screens()[0], QSizeF(100, 80));
    session->requestDesktopWallpaperIfNeeded();
    QVERIFY(rendering->tryAcquire(1, test::waitTimeout));
    QPointer<EditorSession> watch(session.get());
    session.reset();
    gate->release();
    QThreadPool::globalInstance()->waitForDone();
    // The posted result finds no session and does nothing.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QVERIFY(!watch);
}

QTEST_MAIN(TestCaptureFlows)
#include "tst_captureflows.moc"
