#include "capture/WallpaperRender.h"

#include <QPainter>
#include <QTest>

#include <cmath>

using namespace velmora;

namespace {

constexpr int kColumns = 4;
constexpr int kRows = 2;

// Blocks of distinct colours, so a misplaced, mis-scaled or mis-cropped picture shows as the
// wrong colour in the middle of a block.
QRgb blockColor(int column, int row)
{
    return qRgb(40 + 60 * column, row ? 220 : 20, 120 + 30 * (column + row) % 130);
}

QImage blocks(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            painter.fillRect(QRectF(width * column / double(kColumns), height * row / double(kRows),
                                    width / double(kColumns), height / double(kRows)),
                             QColor(blockColor(column, row)));
        }
    }
    return image;
}

} // namespace

class TestWallpaperRender : public QObject
{
    Q_OBJECT

private slots:
    // Each output pixel must show the block that lies at its place on the screen once the picture
    // covers the screen, centred: checked everywhere except within a few points of a block edge,
    // where smoothing mixes neighbours.
    void showsWhatLiesBehindTheCrop_data()
    {
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QSize>("screenSize");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QRectF>("crop");
        QTest::addColumn<QSizeF>("output");

        QTest::newRow("wide picture, whole screen")
            << QSize(400, 200) << QSize(800, 600) << 1.0 << QRectF(0, 0, 800, 600) << QSizeF(400, 300);
        QTest::newRow("wide picture, a window, density 2")
            << QSize(400, 200) << QSize(800, 600) << 2.0 << QRectF(150, 250, 400, 100) << QSizeF(200, 50);
        QTest::newRow("tall picture, centred vertically")
            << QSize(200, 800) << QSize(1000, 500) << 1.0 << QRectF(100, 0, 800, 500) << QSizeF(800, 500);
        QTest::newRow("enlarged crop")
            << QSize(400, 200) << QSize(800, 600) << 1.0 << QRectF(380, 280, 60, 40) << QSizeF(600, 400);
        QTest::newRow("5K picture reduced by averaging")
            << QSize(5120, 2880) << QSize(1280, 720) << 2.0 << QRectF(100, 80, 700, 450) << QSizeF(250, 160);
        QTest::newRow("picture at its own size")
            << QSize(800, 600) << QSize(800, 600) << 1.0 << QRectF(100, 100, 500, 450) << QSizeF(500, 450);
        QTest::newRow("crop reaching past the screen")
            << QSize(400, 200) << QSize(800, 600) << 1.0 << QRectF(-50, -50, 900, 700) << QSizeF(450, 350);
    }
    void showsWhatLiesBehindTheCrop()
    {
        QFETCH(QSize, pictureSize);
        QFETCH(QSize, screenSize);
        QFETCH(qreal, ratio);
        QFETCH(QRectF, crop);
        QFETCH(QSizeF, output);
        const QImage picture = blocks(pictureSize.width(), pictureSize.height());
        const ScreenGeometry screen{QRect(QPoint(300, -200), screenSize), ratio, QString()};

        const std::optional<QImage> rendered = renderWallpaperImage(picture, screen, crop, output);
        QVERIFY(rendered);
        QCOMPARE(rendered->format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(rendered->devicePixelRatio(), ratio);
        QCOMPARE(rendered->size(), (output * ratio).toSize());

        const qreal f = std::max(screenSize.width() / qreal(pictureSize.width()),
                                 screenSize.height() / qreal(pictureSize.height()));
        const QSizeF placed = QSizeF(pictureSize) * f;
        const QPointF origin((screenSize.width() - placed.width()) / 2,
                             (screenSize.height() - placed.height()) / 2);
        const QSizeF block(placed.width() / kColumns, placed.height() / kRows);
        const qreal margin = 4;
        int checked = 0;
        for (int y = 0; y < rendered->height(); y += 3) {
            for (int x = 0; x < rendered->width(); x += 3) {
                // The pixel's centre on the screen, in local points.
                const QPointF onScreen(crop.left() + (x + 0.5) / ratio * crop.width() / output.width(),
                                       crop.top() + (y + 0.5) / ratio * crop.height() / output.height());
                const QPointF inPicture = onScreen - origin;
                const qreal cx = inPicture.x() / block.width();
                const qreal cy = inPicture.y() / block.height();
                const qreal nearestEdge = std::min(std::abs(cx - std::round(cx)) * block.width(),
                                                   std::abs(cy - std::round(cy)) * block.height());
                if (nearestEdge < margin) {
                    continue;
                }
                const QRgb actual = rendered->pixel(x, y);
                const bool outside = cx < 0 || cy < 0 || cx >= kColumns || cy >= kRows;
                const QRgb expected = outside ? qRgb(0, 0, 0) : blockColor(int(cx), int(cy));
                if (std::abs(qRed(actual) - qRed(expected)) > 2 ||
                    std::abs(qGreen(actual) - qGreen(expected)) > 2 ||
                    std::abs(qBlue(actual) - qBlue(expected)) > 2 || qAlpha(actual) != 255) {
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(actual, 8, 16)
                                         .arg(expected, 8, 16)));
                }
                ++checked;
            }
        }
        QVERIFY(checked > rendered->width() * rendered->height() / 30);
    }

    // Stripes three pixels wide reduced eightfold: each output pixel covers 3 to 5 pixels of each
    // colour, so averaging gives grey between 96 and 160; sampling without it picks stripes.
    void averagesWhenReducing()
    {
        QImage stripes(2400, 1200, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < stripes.width(); ++x) {
            const QRgb color = (x / 3) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            for (int y = 0; y < stripes.height(); ++y) {
                stripes.setPixel(x, y, color);
            }
        }
        const ScreenGeometry screen{QRect(0, 0, 300, 150), 1.0, QString()};
        const std::optional<QImage> rendered =
            renderWallpaperImage(stripes, screen, QRectF(0, 0, 300, 150), QSizeF(300, 150));
        QVERIFY(rendered);
        for (int x = 2; x < rendered->width() - 2; ++x) {
            const int grey = qGreen(rendered->pixel(x, 75));
            QVERIFY2(grey >= 80 && grey <= 176, qPrintable(QStringLiteral("%1 at x %2").arg(grey).arg(x)));
        }
    }

    void nothingForAnEmptyCrop_data()
    {
        QTest::addColumn<QRectF>("crop");
        QTest::newRow("no width") << QRectF(10, 10, 0, 100);
        QTest::newRow("no height") << QRectF(10, 10, 100, 0);
        QTest::newRow("negative") << QRectF(10, 10, -5, 100);
    }
    void nothingForAnEmptyCrop()
    {
        QFETCH(QRectF, crop);
        const ScreenGeometry screen{QRect(0, 0, 800, 600), 1.0, QString()};
        QVERIFY(!renderWallpaperImage(blocks(40, 20), screen, crop, QSizeF(100, 100)));
    }

    // The desktop shows no transparency: see-through pictures and no picture at all come out black.
    void opaqueWhateverThePicture_data()
    {
        QTest::addColumn<QImage>("picture");
        QImage clear(50, 50, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        QTest::newRow("transparent") << clear;
        QTest::newRow("null") << QImage();
    }
    void opaqueWhateverThePicture()
    {
        QFETCH(QImage, picture);
        const ScreenGeometry screen{QRect(0, 0, 800, 600), 1.5, QString()};
        const std::optional<QImage> rendered =
            renderWallpaperImage(picture, screen, QRectF(0, 0, 800, 600), QSizeF(120, 80));
        QVERIFY(rendered);
        QCOMPARE(rendered->size(), QSize(180, 120));
        for (const QPoint p : {QPoint(0, 0), QPoint(90, 60), QPoint(179, 119)}) {
            QCOMPARE(rendered->pixel(p), qRgb(0, 0, 0));
        }
    }

    void cropForWindow_data()
    {
        QTest::addColumn<QRectF>("window");
        QTest::addColumn<QSizeF>("content");
        QTest::addColumn<QRectF>("expected");

        const QSizeF content(400, 300);
        QTest::newRow("inside") << QRectF(100, 100, 400, 300) << content << QRectF(70, 70, 460, 360);
        QTest::newRow("the content's size, not the frame's")
            << QRectF(100, 100, 420, 310) << content << QRectF(70, 70, 460, 360);
        QTest::newRow("past the top-left corner")
            << QRectF(-100, -20, 400, 300) << content << QRectF(0, 0, 330, 310);
        QTest::newRow("past the bottom-right corner")
            << QRectF(1700, 900, 400, 300) << content << QRectF(1670, 870, 250, 210);
        QTest::newRow("padding reaches the screen")
            << QRectF(-420, 100, 400, 300) << content << QRectF(0, 70, 10, 360);
        QTest::newRow("off the screen") << QRectF(-500, 100, 400, 300) << content << QRectF(0, 0, 1920, 1080);
        QTest::newRow("touching only") << QRectF(1950, 100, 400, 300) << content << QRectF(0, 0, 1920, 1080);
    }
    void cropForWindow()
    {
        QFETCH(QRectF, window);
        QFETCH(QSizeF, content);
        QFETCH(QRectF, expected);
        QCOMPARE(wallpaperCropForWindow(window, content, 30, QSizeF(1920, 1080)), expected);
    }
};

QTEST_MAIN(TestWallpaperRender)
#include "tst_wallpaperrender.moc"
