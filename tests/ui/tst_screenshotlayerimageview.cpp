#include "canvas/ScreenshotLayerImageView.h"

#include "support/TestSupport.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace velmora;

namespace {

// A one-thread pool whose thread is held until release(), so a test decides when downscaled
// copies may be made and in which order they finish.
class GatedPool
{
public:
    GatedPool()
    {
        m_pool.setMaxThreadCount(1);
        m_pool.start([this] { m_gate.acquire(); });
    }
    ~GatedPool() { release(); }
    QThreadPool* pool() { return &m_pool; }
    void release()
    {
        if (!m_released) {
            m_released = true;
            m_gate.release();
        }
    }
    // Lets every queued task run and every result reach its receiver.
    void drain()
    {
        release();
        m_pool.waitForDone();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

private:
    QThreadPool m_pool;
    QSemaphore m_gate;
    bool m_released = false;
};

// One-pixel black and white squares: a nearest-neighbour downscale keeps pure black or white,
// an area-averaged one comes out grey.
QImage checkerboard(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        }
    }
    return image;
}

} // namespace

class TestScreenshotLayerImageView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fullImageUntilDownscaledCopyArrives();
    void sameImageAtSameSizeDoesNothing();
    void onlyNewestRequestInstalls_data();
    void onlyNewestRequestInstalls();
    void noWorkAtOrAboveNativeSize_data();
    void noWorkAtOrAboveNativeSize();
    void newImageDropsPendingCopy();
};

void TestScreenshotLayerImageView::fullImageUntilDownscaledCopyArrives()
{
    GatedPool gated;
    ScreenshotLayerImageView view;
    view.setThreadPool(gated.pool());
    QImage image = checkerboard(800, 600);
    image.setDevicePixelRatio(2);
    view.setImage(image);
    QSignalSpy changed(&view, &ScreenshotLayerImageView::displayImageChanged);

    view.setTargetPixelSize(QSize(200, 150));
    QCOMPARE(view.displayImage().cacheKey(), image.cacheKey());
    QVERIFY(view.isResampling());
    QCOMPARE(changed.count(), 0);

    gated.release();
    QTRY_COMPARE_WITH_TIMEOUT(view.displayImage().size(), QSize(200, 150), test::waitTimeout);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!view.isResampling());
    const QImage copy = view.displayImage();
    test::dump(copy, QStringLiteral("layer-downscaled"));
    // Stands in for the capture at its logical size.
    QCOMPARE(copy.deviceIndependentSize(), QSizeF(400, 300));
    for (const QPoint& probe : {QPoint(10, 10), QPoint(100, 75), QPoint(190, 140)}) {
        QVERIFY2(qAbs(qGray(copy.pixel(probe)) - 128) < 40, "downscaling must average, not pick pixels");
    }
}

void TestScreenshotLayerImageView::sameImageAtSameSizeDoesNothing()
{
    QThreadPool pool;
    ScreenshotLayerImageView view;
    view.setThreadPool(&pool);
    const QImage image = test::solidImage(640, 480, Qt::red);
    view.setImage(image);
    view.setTargetPixelSize(QSize(320, 240));
    QTRY_COMPARE_WITH_TIMEOUT(view.displayImage().size(), QSize(320, 240), test::waitTimeout);
    const qint64 installed = view.displayImage().cacheKey();

    QSignalSpy changed(&view, &ScreenshotLayerImageView::displayImageChanged);
    const QImage sameObject = image; // a shallow copy is the same image
    view.setImage(sameObject);
    view.setTargetPixelSize(QSize(320, 240));
    QVERIFY(!view.isResampling());
    pool.waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(view.displayImage().cacheKey(), installed);
}

void TestScreenshotLayerImageView::onlyNewestRequestInstalls_data()
{
    QTest::addColumn<QList<QSize>>("targets");
    QTest::addColumn<bool>("finishEach");
    QTest::addColumn<QSize>("expected");
    const QSize native(1000, 800);
    const QList<std::pair<const char*, QList<QSize>>> sequences{
        {"two sizes", {{500, 400}, {250, 200}}},
        {"back to the first size", {{500, 400}, {250, 200}, {500, 400}}},
        {"zoomed in past native size", {{500, 400}, {1200, 960}}},
        {"native size then smaller", {native, {100, 80}}},
    };
    for (const auto& [name, targets] : sequences) {
        const QSize last = targets.last();
        const QSize expected =
            last.width() >= native.width() && last.height() >= native.height() ? native : last;
        // Superseded while still queued, or finished but not yet delivered: an older result then
        // arrives after the newer request.
        QTest::addRow("%s, queued", name) << targets << false << expected;
        QTest::addRow("%s, finished early", name) << targets << true << expected;
    }
}

void TestScreenshotLayerImageView::onlyNewestRequestInstalls()
{
    QFETCH(QList<QSize>, targets);
    QFETCH(bool, finishEach);
    QFETCH(QSize, expected);
    GatedPool gated;
    if (finishEach) {
        gated.release();
    }
    ScreenshotLayerImageView view;
    view.setThreadPool(gated.pool());
    view.setImage(test::solidImage(1000, 800, Qt::blue));
    QList<QSize> installed;
    connect(&view, &ScreenshotLayerImageView::displayImageChanged, &view,
            [&] { installed.append(view.displayImage().size()); });

    for (const QSize& target : targets) {
        view.setTargetPixelSize(target);
        if (finishEach) {
            gated.pool()->waitForDone(); // done, but its result waits in the event queue
        }
    }
    gated.drain();
    QCOMPARE(view.displayImage().size(), expected);
    QVERIFY(!view.isResampling());
    // Nothing superseded was shown on the way.
    for (const QSize& size : installed) {
        QCOMPARE(size, expected);
    }
}

void TestScreenshotLayerImageView::noWorkAtOrAboveNativeSize_data()
{
    QTest::addColumn<QSize>("target");
    QTest::addColumn<bool>("downscales");
    QTest::newRow("native") << QSize(800, 600) << false;
    QTest::newRow("larger") << QSize(1600, 1200) << false;
    QTest::newRow("wider but shorter") << QSize(1000, 500) << true;
    QTest::newRow("narrower but taller") << QSize(700, 700) << true;
}

void TestScreenshotLayerImageView::noWorkAtOrAboveNativeSize()
{
    QFETCH(QSize, target);
    QFETCH(bool, downscales);
    GatedPool gated;
    ScreenshotLayerImageView view;
    view.setThreadPool(gated.pool());
    const QImage image = test::solidImage(800, 600, Qt::green);
    view.setImage(image);
    view.setTargetPixelSize(target);
    QCOMPARE(view.isResampling(), downscales);
    QCOMPARE(view.displayImage().cacheKey(), image.cacheKey());
    gated.drain();
    QCOMPARE(view.displayImage().size(), downscales ? target : image.size());
}

void TestScreenshotLayerImageView::newImageDropsPendingCopy()
{
    GatedPool gated;
    ScreenshotLayerImageView view;
    view.setThreadPool(gated.pool());
    view.setImage(test::solidImage(900, 900, Qt::red));
    view.setTargetPixelSize(QSize(300, 300));
    QSignalSpy changed(&view, &ScreenshotLayerImageView::displayImageChanged);

    const QImage blue = test::solidImage(600, 600, Qt::blue);
    view.setImage(blue);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(view.displayImage().cacheKey(), blue.cacheKey());
    QVERIFY(view.isResampling());

    gated.drain();
    QCOMPARE(view.displayImage().size(), QSize(300, 300));
    QCOMPARE(view.displayImage().pixelColor(150, 150), QColor(Qt::blue));
    QCOMPARE(changed.count(), 2);
}

QTEST_MAIN(TestScreenshotLayerImageView)
#include "tst_screenshotlayerimageview.moc"
