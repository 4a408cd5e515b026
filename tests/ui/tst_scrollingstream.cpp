#include "AreaStream.h"
#include "CaptureJob.h"
#include "ScreenCapture.h"
#include "capture/ScrollingCaptureController.h"
#include "capture/ScrollingCaptureHud.h"
#include "core/ScrollPages.h"

#include <QPointer>
#include <QTest>

using namespace velmora;
using namespace scrollpages;

namespace {

// A display that streams: its stream is ready only when the test says so (as a desktop is after
// the user agreed and the first frame came), and can fail or be declined.
class StreamingCapture final : public ScreenCapture
{
public:
    class Stream final : public AreaStream
    {
    public:
        explicit Stream(StreamingCapture& owner) : m_owner(owner) {}
        bool isReady() const override { return live; }
        CaptureJob* grab() override
        {
            ++m_owner.grabs;
            auto* job = new CaptureJob;
            job->finish({frameAt(m_owner.page, m_owner.top, 200, {})});
            return job;
        }
        void becomeReady()
        {
            live = true;
            Q_EMIT AreaStream::ready();
        }
        bool live = false;

    private:
        StreamingCapture& m_owner;
    };

    CaptureJob* grabScreens(const QList<ScreenGeometry>&) override { return CaptureJob::failedWith({}); }
    CaptureJob* grabWindow(quint32) override { return CaptureJob::failedWith({}); }
    // Never used while a stream is open: a grab per frame is what streaming avoids.
    CaptureJob* grabArea(const QRect&) override
    {
        ++areaGrabs;
        return CaptureJob::failedWith({});
    }
    std::unique_ptr<AreaStream> openAreaStream(const QRect& native) override
    {
        opened.append(native);
        auto created = std::make_unique<Stream>(*this);
        stream = created.get();
        return created;
    }

    QImage page = makePage(1200, 7);
    int top = 0;
    int grabs = 0;
    int areaGrabs = 0;
    QList<QRect> opened;
    QPointer<Stream> stream;
};

struct Outcome
{
    int completed = 0;
    int cancelled = 0;
    QStringList failures;
};

void watch(ScrollingCaptureController& controller, Outcome& outcome)
{
    controller.onComplete = [&outcome](const QImage&) { ++outcome.completed; };
    controller.onCancel = [&outcome] { ++outcome.cancelled; };
    controller.onFailure = [&outcome](const QString& message) { outcome.failures << message; };
}

const QRect native(40, 30, pageWidth, 200);
const QRect screenArea(0, 0, 1000, 800);

} // namespace

class TestScrollingStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The stream opens with the HUD, so the desktop's dialog comes before Start; grabs wait for
    // its first frame, then come from the stream alone.
    void grabsWaitForTheStream()
    {
        StreamingCapture screen;
        ScrollingCaptureController controller(screen, native, 1);
        Outcome outcome;
        watch(controller, outcome);
        controller.showHud(native, screenArea, screenArea);
        QCOMPARE(screen.opened, QList<QRect>{native});
        QVERIFY(screen.stream);

        controller.startCapture();
        QTest::qWait(4 * 1000 / ScrollingCaptureController::framesPerSecond);
        QCOMPARE(screen.grabs, 0);
        QCOMPARE(controller.stitchedPixelHeight(), 0);

        screen.stream->becomeReady();
        QTRY_COMPARE(controller.stitchedPixelHeight(), 200);
        screen.top = 120;
        QTRY_COMPARE(controller.stitchedPixelHeight(), 320);
        QCOMPARE(screen.opened.size(), 1);
        QCOMPARE(screen.areaGrabs, 0);

        // Stop lets go of the stream while the stitcher finishes.
        controller.finishCapture();
        QTRY_VERIFY(!screen.stream);
        QTRY_COMPARE(outcome.completed, 1);
    }

    void streamEndingEndsTheCapture_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("declined");
        QTest::newRow("fails before Start") << false << false;
        QTest::newRow("fails while capturing") << true << false;
        QTest::newRow("declined in the desktop's dialog") << false << true;
    }

    void streamEndingEndsTheCapture()
    {
        QFETCH(bool, started);
        QFETCH(bool, declined);
        StreamingCapture screen;
        ScrollingCaptureController controller(screen, native, 1);
        Outcome outcome;
        watch(controller, outcome);
        controller.showHud(native, screenArea, screenArea);
        if (started) {
            screen.stream->becomeReady();
            controller.startCapture();
            QTRY_COMPARE(controller.stitchedPixelHeight(), 200);
        }
        if (declined) {
            Q_EMIT screen.stream->cancelled();
        } else {
            Q_EMIT screen.stream->failed(QStringLiteral("the desktop stopped sharing the screen"));
        }
        QCOMPARE(outcome.failures,
                 declined ? QStringList()
                          : QStringList{QStringLiteral("the desktop stopped sharing the screen")});
        QCOMPARE(outcome.cancelled, declined ? 1 : 0);
        QCOMPARE(controller.phase(), ScrollingCaptureController::Phase::done);
        QVERIFY(!controller.hud()->isVisible());
        QTRY_VERIFY(!screen.stream);

        // Nothing more is called back, whatever the user presses afterwards.
        controller.startCapture();
        controller.finishCapture();
        controller.cancel();
        QTest::qWait(3 * 1000 / ScrollingCaptureController::framesPerSecond);
        QCOMPARE(outcome.failures.size() + outcome.cancelled, 1);
        QCOMPARE(outcome.completed, 0);
    }

    // Whichever way the capture ends, the stream does not outlive it.
    void theStreamEndsWithTheCapture_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("cancel") << 0;
        QTest::newRow("controller deleted") << 1;
    }

    void theStreamEndsWithTheCapture()
    {
        QFETCH(int, ending);
        StreamingCapture screen;
        auto controller = std::make_unique<ScrollingCaptureController>(screen, native, 1);
        controller->showHud(native, screenArea, screenArea);
        screen.stream->becomeReady();
        controller->startCapture();
        QTRY_VERIFY(screen.grabs > 0);
        if (ending == 0) {
            controller->cancel();
            QTRY_VERIFY(!screen.stream);
        } else {
            controller.reset();
            QVERIFY(!screen.stream);
        }
    }
};

QTEST_MAIN(TestScrollingStream)
#include "tst_scrollingstream.moc"
