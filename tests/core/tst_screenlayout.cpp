#include "capture/ScreenLayout.h"

#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(velmora::ScreenLayout)
Q_DECLARE_METATYPE(velmora::ScreenGeometry)

namespace {

ScreenGeometry screen(int x, int y, int width, int height, qreal ratio = 1.0, const char* name = "")
{
    return {QRect(x, y, width, height), ratio, QString::fromLatin1(name)};
}

// Monitors as the desktop arranges them; Qt keeps each top-left corner in native pixels and
// divides only the size by the pixel density.
ScreenLayout sideBySide()
{
    return ScreenLayout({screen(0, 0, 1920, 1080, 1, "DP-1"), screen(1920, 0, 2560, 1440, 1, "HDMI-1")});
}

ScreenLayout leftOfAndAbovePrimary()
{
    return ScreenLayout(
        {screen(0, 0, 1920, 1080), screen(-2560, -360, 2560, 1440), screen(0, -1200, 1920, 1200)});
}

// A 4K panel at density 2 (3840×2160 native) right of a plain full-HD one.
ScreenLayout mixedDensity()
{
    return ScreenLayout({screen(0, 0, 1920, 1080), screen(1920, 0, 1920, 1080, 2)});
}

} // namespace

class TestScreenLayout : public QObject
{
    Q_OBJECT

private slots:
    void screenAt_data()
    {
        QTest::addColumn<ScreenLayout>("layout");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("expected");

        QTest::newRow("inside first") << sideBySide() << QPointF(10, 10) << 0;
        QTest::newRow("top-left corner") << sideBySide() << QPointF(0, 0) << 0;
        QTest::newRow("shared edge goes to the first") << sideBySide() << QPointF(1920, 500) << 0;
        QTest::newRow("just past the shared edge") << sideBySide() << QPointF(1920.5, 500) << 1;
        QTest::newRow("bottom edge of the taller") << sideBySide() << QPointF(3000, 1440) << 1;
        QTest::newRow("right edge of the desktop") << sideBySide() << QPointF(4480, 0) << 1;
        QTest::newRow("under the shorter screen") << sideBySide() << QPointF(1000, 1200) << -1;
        QTest::newRow("beyond every screen") << sideBySide() << QPointF(-1, 10) << -1;
        QTest::newRow("left of primary") << leftOfAndAbovePrimary() << QPointF(-100, 900) << 1;
        QTest::newRow("above primary") << leftOfAndAbovePrimary() << QPointF(50, -1) << 2;
        QTest::newRow("corner of three") << leftOfAndAbovePrimary() << QPointF(0, 0) << 0;
        QTest::newRow("negative, nowhere") << leftOfAndAbovePrimary() << QPointF(-100, -500) << -1;
        QTest::newRow("density 2, far half") << mixedDensity() << QPointF(3800, 1000) << 1;
        QTest::newRow("no screens") << ScreenLayout() << QPointF(0, 0) << -1;
    }
    void screenAt()
    {
        QFETCH(ScreenLayout, layout);
        QFETCH(QPointF, point);
        QFETCH(int, expected);
        QCOMPARE(layout.screenAt(point).value_or(-1), expected);
    }

    void screenIntersecting_data()
    {
        QTest::addColumn<ScreenLayout>("layout");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<int>("expected");

        QTest::newRow("spanning two, first wins") << sideBySide() << QRectF(1800, 100, 400, 300) << 0;
        QTest::newRow("only on the second") << sideBySide() << QRectF(1900, 1100, 400, 200) << 1;
        QTest::newRow("only on the left monitor")
            << leftOfAndAbovePrimary() << QRectF(-900, -300, 800, 200) << 1;
        QTest::newRow("off every screen") << sideBySide() << QRectF(0, 1100, 1900, 100) << -1;
    }
    void screenIntersecting()
    {
        QFETCH(ScreenLayout, layout);
        QFETCH(QRectF, rect);
        QFETCH(int, expected);
        QCOMPARE(layout.screenIntersecting(rect).value_or(-1), expected);
    }

    // A grab of W×H points is exactly ratio·W × ratio·H pixels wherever it starts, and each edge
    // lands on the nearest pixel.
    void localToNative_data()
    {
        QTest::addColumn<ScreenGeometry>("screen");
        QTest::addColumn<QRectF>("local");
        QTest::addColumn<QRect>("expected");

        const ScreenGeometry hiDpi = screen(1920, 0, 1920, 1080, 2);
        QTest::newRow("whole screen") << hiDpi << QRectF(0, 0, 1920, 1080) << QRect(1920, 0, 3840, 2160);
        QTest::newRow("10.3 points is pixel 21")
            << hiDpi << QRectF(10.3, 0, 100, 50) << QRect(1941, 0, 200, 100);
        QTest::newRow("quarter point") << hiDpi << QRectF(0.25, 0.25, 1, 1) << QRect(1921, 1, 2, 2);
        QTest::newRow("quarter point left of the origin")
            << hiDpi << QRectF(-0.25, -0.25, 1, 1) << QRect(1920, 0, 2, 2);
        QTest::newRow("three quarters left of the origin")
            << hiDpi << QRectF(-0.75, 4, 3, 2) << QRect(1919, 8, 6, 4);
        QTest::newRow("density 1, negative origin")
            << screen(-2560, -360, 2560, 1440) << QRectF(100, 50, 30, 20) << QRect(-2460, -310, 30, 20);
        QTest::newRow("density 2, negative origin")
            << screen(-3840, 0, 1920, 1080, 2) << QRectF(1.5, 2.5, 8, 4) << QRect(-3837, 5, 16, 8);
        QTest::newRow("density 1.5") << screen(0, 0, 1280, 720, 1.5) << QRectF(10, 10, 100, 100)
                                     << QRect(15, 15, 150, 150);
    }
    void localToNative()
    {
        QFETCH(ScreenGeometry, screen);
        QFETCH(QRectF, local);
        QFETCH(QRect, expected);
        QCOMPARE(screen.localToNative(local), expected);
    }

    void nativeGeometry()
    {
        const ScreenLayout layout = mixedDensity();
        QCOMPARE(layout.screens()[1].nativeRect(), QRect(1920, 0, 3840, 2160));
        QCOMPARE(layout.nativeBounds(), QRect(0, 0, 5760, 2160));
        QCOMPARE(layout.screenAtNative(QPoint(5759, 2159)).value_or(-1), 1);
        QCOMPARE(layout.screenAtNative(QPoint(1000, 1500)).value_or(-1), -1);
        // Pixels of the density-2 panel are half points, measured from its own corner.
        const ScreenGeometry& hiDpi = layout.screens()[1];
        QCOMPARE(hiDpi.nativeToGlobal(QRect(1942, 100, 200, 60)), QRectF(1931, 50, 100, 30));
        const QRectF local(10.5, 20, 300, 200);
        QCOMPARE(hiDpi.nativeToGlobal(hiDpi.localToNative(local)), local.translated(1920, 0));
        QCOMPARE(leftOfAndAbovePrimary().nativeBounds(), QRect(-2560, -1200, 4480, 2280));
    }

    void clipToScreens_data()
    {
        QTest::addColumn<ScreenLayout>("layout");
        QTest::addColumn<QRect>("native");
        QTest::addColumn<QRect>("expected");

        QTest::newRow("inside one") << sideBySide() << QRect(10, 10, 100, 100) << QRect(10, 10, 100, 100);
        QTest::newRow("partly off every edge")
            << sideBySide() << QRect(-100, -100, 5000, 2000) << QRect(0, 0, 4480, 1440);
        QTest::newRow("wholly off") << sideBySide() << QRect(0, 1100, 1900, 300) << QRect();
        QTest::newRow("wholly off, beyond the right") << sideBySide() << QRect(4480, 0, 10, 10) << QRect();
        QTest::newRow("across screens of two heights")
            << sideBySide() << QRect(1000, 900, 2000, 400) << QRect(1000, 900, 2000, 400);
        QTest::newRow("below the shorter, reaching the taller")
            << sideBySide() << QRect(1000, 1100, 2000, 100) << QRect(1920, 1100, 1080, 100);
        QTest::newRow("negative origins")
            << leftOfAndAbovePrimary() << QRect(-3000, -2000, 3500, 1800) << QRect(-2560, -1200, 3060, 1000);
        QTest::newRow("no screens") << ScreenLayout() << QRect(0, 0, 10, 10) << QRect();
    }
    void clipToScreens()
    {
        QFETCH(ScreenLayout, layout);
        QFETCH(QRect, native);
        QFETCH(QRect, expected);
        QCOMPARE(layout.clipToScreens(native), expected);
    }

    // Across a 1080-high and a 1440-high screen the capture keeps its rows; what lies under the
    // shorter screen was never on a monitor and comes out transparent, the rest untouched.
    void clearUnshownBlanksWhatNoScreenShows_data()
    {
        QTest::addColumn<int>("format");
        QTest::addRow("argb") << int(QImage::Format_ARGB32_Premultiplied);
        QTest::addRow("rgb") << int(QImage::Format_RGB32);
    }
    void clearUnshownBlanksWhatNoScreenShows()
    {
        QFETCH(int, format);
        const ScreenLayout layout = sideBySide();
        const QRect native = layout.clipToScreens(QRect(1900, 1000, 40, 200));
        QCOMPARE(native, QRect(1900, 1000, 40, 200));
        QImage grab(native.size(), QImage::Format(format));
        grab.fill(QColor(200, 10, 10));
        layout.clearUnshown(grab, native);
        QVERIFY(grab.hasAlphaChannel());
        for (const QPoint local :
             {QPoint(0, 0), QPoint(19, 79), QPoint(20, 0), QPoint(39, 199), QPoint(20, 199)}) {
            QCOMPARE(grab.pixel(local), qRgb(200, 10, 10));
        }
        for (const QPoint local : {QPoint(0, 80), QPoint(19, 199), QPoint(10, 120)}) {
            QCOMPARE(qAlpha(grab.pixel(local)), 0);
        }
    }
    void clearUnshownKeepsAFullyShownGrab()
    {
        QImage grab(100, 50, QImage::Format_RGB32);
        grab.fill(Qt::green);
        const qint64 key = grab.cacheKey();
        sideBySide().clearUnshown(grab, QRect(1900, 0, 100, 50));
        QCOMPARE(grab.cacheKey(), key);
        QCOMPARE(grab.format(), QImage::Format_RGB32);
    }
};

QTEST_GUILESS_MAIN(TestScreenLayout)
#include "tst_screenlayout.moc"
