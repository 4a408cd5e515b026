#include "portal/StreamFrame.h"

#include <QTest>

#include <vector>

Q_DECLARE_METATYPE(velmora::portal::StreamPixelFormat)
Q_DECLARE_METATYPE(velmora::ScreenGeometry)

using namespace velmora;
using namespace velmora::portal;

namespace {

// A colour every pixel of a test frame has of its own, so that any shift, swap or lost row shows.
QRgb colourAt(int x, int y)
{
    return qRgb((x * 7 + y) & 0xff, (y * 3 + 11) & 0xff, (x * 5 ^ y) & 0xff);
}

// A buffer of `size` with `stride` bytes a row whose picture starts at `content`'s corner, in
// the byte order PipeWire names; the fourth byte holds junk, and the padding another colour.
std::vector<uchar> frameBytes(StreamPixelFormat format, QSize size, int stride, QRect content)
{
    std::vector<uchar> bytes(size_t(stride) * size.height(), 0x5a);
    for (int y = 0; y < content.height(); ++y) {
        for (int x = 0; x < content.width(); ++x) {
            const QRgb c = colourAt(x, y);
            uchar* p = bytes.data() + size_t(content.y() + y) * stride + size_t(content.x() + x) * 4;
            const bool rgbFirst = format == StreamPixelFormat::rgbx || format == StreamPixelFormat::rgba;
            p[0] = uchar(rgbFirst ? qRed(c) : qBlue(c));
            p[1] = uchar(qGreen(c));
            p[2] = uchar(rgbFirst ? qBlue(c) : qRed(c));
            p[3] = uchar(x * 13);
        }
    }
    return bytes;
}

} // namespace

class TestStreamFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cropReadsEachLayout_data()
    {
        QTest::addColumn<StreamPixelFormat>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("stride");
        QTest::addColumn<QRect>("content"); // empty: the whole buffer
        QTest::addColumn<QRect>("crop");    // in content coordinates
        QTest::newRow("BGRx, rows packed")
            << StreamPixelFormat::bgrx << QSize(64, 40) << 256 << QRect() << QRect(5, 3, 30, 20);
        QTest::newRow("BGRA, padded rows")
            << StreamPixelFormat::bgra << QSize(64, 40) << 64 * 4 + 36 << QRect() << QRect(0, 0, 64, 40);
        QTest::newRow("RGBx, picture inside padding") << StreamPixelFormat::rgbx << QSize(80, 50) << 80 * 4
                                                      << QRect(8, 6, 64, 40) << QRect(10, 4, 20, 30);
        QTest::newRow("RGBA, padded rows and picture inside")
            << StreamPixelFormat::rgba << QSize(70, 45) << 70 * 4 + 12 << QRect(3, 2, 64, 40)
            << QRect(63, 39, 1, 1);
    }

    void cropReadsEachLayout()
    {
        QFETCH(StreamPixelFormat, format);
        QFETCH(QSize, size);
        QFETCH(int, stride);
        QFETCH(QRect, content);
        QFETCH(QRect, crop);
        const QRect picture = content.isEmpty() ? QRect(QPoint(0, 0), size) : content;
        const std::vector<uchar> bytes = frameBytes(format, size, stride, picture);
        const StreamFrame frame{bytes.data(), size, stride, format, content};

        const QImage image = cropStreamFrame(frame, crop);
        QCOMPARE(image.size(), crop.size());
        QCOMPARE(image.format(), QImage::Format_RGB32);
        for (int y = 0; y < crop.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < crop.width(); ++x) {
                // Opaque whatever the fourth byte held: the stitcher compares whole pixels.
                if (row[x] != colourAt(crop.x() + x, crop.y() + y)) {
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, not %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(row[x], 8, 16)
                                         .arg(colourAt(crop.x() + x, crop.y() + y), 8, 16)));
                }
            }
        }
    }

    void cropRefusesWhatTheFrameDoesNotHold_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("stride");
        QTest::addColumn<QRect>("content");
        QTest::addColumn<QRect>("crop");
        QTest::newRow("crop past the right edge") << QSize(64, 40) << 256 << QRect() << QRect(40, 0, 30, 10);
        QTest::newRow("crop past the picture, inside the buffer")
            << QSize(80, 50) << 320 << QRect(8, 6, 64, 40) << QRect(0, 30, 10, 11);
        QTest::newRow("stride shorter than a row") << QSize(64, 40) << 200 << QRect() << QRect(0, 0, 10, 10);
        QTest::newRow("empty crop") << QSize(64, 40) << 256 << QRect() << QRect(3, 3, 0, 5);
    }

    void cropRefusesWhatTheFrameDoesNotHold()
    {
        QFETCH(QSize, size);
        QFETCH(int, stride);
        QFETCH(QRect, content);
        QFETCH(QRect, crop);
        const std::vector<uchar> bytes(size_t(qMax(stride, 256)) * size.height(), 0);
        const StreamFrame frame{bytes.data(), size, stride, StreamPixelFormat::bgrx, content};
        QVERIFY(cropStreamFrame(frame, crop).isNull());
    }

    void regionMapsOntoTheFrame_data()
    {
        QTest::addColumn<ScreenGeometry>("screen");
        QTest::addColumn<QRect>("monitor"); // empty: the portal gave no position and size
        QTest::addColumn<QSize>("content");
        QTest::addColumn<QRect>("native");
        QTest::addColumn<QRect>("expected"); // empty: the region is not in the frame
        const ScreenGeometry plain{QRect(0, 0, 1280, 720), 1.0, QStringLiteral("HEADLESS-1")};
        const ScreenGeometry second{QRect(1280, 0, 1920, 1080), 1.0, QStringLiteral("DP-2")};
        const ScreenGeometry hidpi{QRect(0, 0, 1440, 900), 2.0, QStringLiteral("eDP-1")};
        QTest::newRow("one screen, frame as large")
            << plain << QRect() << QSize(1280, 720) << QRect(100, 50, 300, 200) << QRect(100, 50, 300, 200);
        QTest::newRow("second screen, position from the portal")
            << second << QRect(1280, 0, 1920, 1080) << QSize(1920, 1080) << QRect(1380, 100, 200, 100)
            << QRect(100, 100, 200, 100);
        QTest::newRow("ratio 2: native pixels are frame pixels")
            << hidpi << QRect(0, 0, 1440, 900) << QSize(2880, 1800) << QRect(200, 100, 400, 300)
            << QRect(200, 100, 400, 300);
        QTest::newRow("cast at half the size") << plain << QRect(0, 0, 1280, 720) << QSize(640, 360)
                                               << QRect(100, 50, 300, 200) << QRect(50, 25, 150, 100);
        QTest::newRow("the whole screen")
            << plain << QRect() << QSize(1280, 720) << QRect(0, 0, 1280, 720) << QRect(0, 0, 1280, 720);
        QTest::newRow("the shared monitor is another one")
            << plain << QRect(1280, 0, 1920, 1080) << QSize(1920, 1080) << QRect(100, 50, 300, 200)
            << QRect();
        QTest::newRow("the region runs off the shared monitor")
            << plain << QRect(0, 0, 1280, 720) << QSize(1280, 720) << QRect(1100, 600, 300, 200) << QRect();
    }

    void regionMapsOntoTheFrame()
    {
        QFETCH(ScreenGeometry, screen);
        QFETCH(QRect, monitor);
        QFETCH(QSize, content);
        QFETCH(QRect, native);
        QFETCH(QRect, expected);
        const std::optional<QRect> given = monitor.isEmpty() ? std::nullopt : std::optional(monitor);
        const std::optional<QRect> found = regionInStream(native, screen, given, content);
        QCOMPARE(found.value_or(QRect()), expected);
    }
};

QTEST_GUILESS_MAIN(TestStreamFrame)
#include "tst_streamframe.moc"
