// The composite, the exported annotations and blur boxes, and the sizes the editor reports must
// agree on which pixel every point lands on, at any density of the capture.
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "imaging/AtomicFile.h"
#include "imaging/ImageDecoder.h"
#include "preferences/SettingsStore.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace velmora;

namespace {

const QColor paper(120, 140, 160);
const QColor marker(255, 0, 255);
const QColor ink(255, 0, 0);
const Color green = Color::fromRgb8(0, 200, 0);

// Equal up to the rasteriser's own precision (1/64 of a pixel at an edge moves a channel by 4);
// an edge off by a quarter pixel moves it by a quarter of the contrast.
bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 4 && std::abs(a.green() - b.green()) <= 4 &&
           std::abs(a.blue() - b.blue()) <= 4 && std::abs(a.alpha() - b.alpha()) <= 4;
}

// In content pixels: the marker that finds the content in the export, the black and white
// columns a blur box averages, and the 1-pixel frame of a rectangle annotation.
const QPoint markerAt(3, 2);
const QRect stripes(40, 40, 40, 40);
const QRect blurBox(48, 48, 8, 8); // two 4-pixel blocks of the grid anchored at the content's corner
const int blockPixels = 4;
const QRect frame(100, 60, 40, 40); // the stroke runs through the centres of this rectangle's edge pixels

// A 200 × 160-pixel capture at the given density.
QImage capture(double density)
{
    QImage image(200, 160, QImage::Format_ARGB32_Premultiplied);
    image.fill(paper);
    for (int y = stripes.top(); y <= stripes.bottom(); ++y) {
        for (int x = stripes.left(); x <= stripes.right(); ++x) {
            image.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
        }
    }
    image.setPixelColor(markerAt, marker);
    image.setDevicePixelRatio(density);
    return image;
}

// Where the content's top-left pixel landed: found from the marker, which must appear exactly once.
std::optional<QPoint> contentOrigin(const QImage& image)
{
    std::optional<QPoint> found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == marker) {
                if (found) {
                    return std::nullopt;
                }
                found = QPoint(x, y) - markerAt;
            }
        }
    }
    return found;
}

struct Fixture
{
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    std::unique_ptr<EditorSession> session;

    Fixture(const QImage& image, double padding, double inset)
    {
        session = std::make_unique<EditorSession>(
            image, CaptureKind::window, CaptureBackgroundAssets{image, std::nullopt, padding, false}, true,
            EditorSession::Services{settings, wallpapers});
        session->setContentPadding(padding);
        session->setContentInset(inset);
        session->setContentCornerRadius(0);
        session->setWindowCaptureShadow(0);
        session->addCustomBackgroundColor(green);
    }

    // Content pixels as composite points, placed the way the editor places annotations over the
    // content.
    QPointF at(double x, double y, double density) const
    {
        const double offset = session->contentOffset();
        return QPointF(offset + x / density, offset + y / density);
    }

    // The final image as every output writes it, read back from the file.
    QImage exported()
    {
        const QString path = dir.filePath(QStringLiteral("export.png"));
        const WriteResult written = writePngAtomically(path, session->renderedImage());
        if (!written) {
            qWarning() << written.errorMessage;
            return {};
        }
        return decodeImageFile(path).value_or(QImage()).convertToFormat(QImage::Format_ARGB32);
    }
};

} // namespace

class TestPixelScale : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportLinesUpWithTheContent_data();
    void exportLinesUpWithTheContent();
    void emptyCaptureReportsTheSizeItRenders();
};

void TestPixelScale::exportLinesUpWithTheContent_data()
{
    QTest::addColumn<double>("density");
    QTest::addColumn<double>("padding");
    QTest::addColumn<double>("inset");
    QTest::newRow("0.5") << 0.5 << 45.0 << 0.0;
    QTest::newRow("0.5 inset") << 0.5 << 45.0 << 3.0;
    QTest::newRow("1") << 1.0 << 45.0 << 0.0;
    QTest::newRow("1.25") << 1.25 << 45.0 << 0.0;
    QTest::newRow("1.25 inset") << 1.25 << 45.0 << 3.0;
    QTest::newRow("1.5 inset") << 1.5 << 45.0 << 5.0;
    QTest::newRow("2") << 2.0 << 45.0 << 0.0;
    QTest::newRow("2 quarter padding") << 2.0 << 20.25 << 0.0;
}

void TestPixelScale::exportLinesUpWithTheContent()
{
    QFETCH(double, density);
    QFETCH(double, padding);
    QFETCH(double, inset);
    Fixture f(capture(density), padding, inset);
    EditorSession& s = *f.session;

    RectAnnotation rect{QUuid::createUuid(),
                        f.at(frame.left() + 0.5, frame.top() + 0.5, density),
                        QSizeF(frame.width() - 1, frame.height() - 1) / density,
                        Color::fromQColor(ink),
                        1 / density, // one pixel wide
                        0,
                        false};
    // Kept a hair inside the block boundaries, so that rounding outward gives exactly the box.
    BlurAnnotation blur{QUuid::createUuid(), f.at(blurBox.left() + 0.01, blurBox.top() + 0.01, density),
                        QSizeF(blurBox.width() - 0.02, blurBox.height() - 0.02) / density,
                        blockPixels / density};
    s.setAnnotations({rect, blur});

    for (const bool widened : {false, true}) {
        // A padding change moves the content by whole pixels; the annotations must follow it.
        if (widened) {
            s.setContentPadding(padding + 1);
        }
        const QImage composite = s.flattenedComposite().convertToFormat(QImage::Format_ARGB32);
        const QImage out = f.exported();
        test::dump(out, QStringLiteral("pixelscale"));
        QVERIFY(!out.isNull());

        // The offset that places annotations is the one that placed the content.
        const auto origin = contentOrigin(composite);
        QVERIFY(origin);
        QCOMPARE(origin->x(), origin->y());
        QCOMPARE(s.contentOffset() * density, double(origin->x()));
        const auto pixel = [&](const QImage& image, int x, int y) {
            return image.pixelColor(*origin + QPoint(x, y));
        };

        // The frame's left and top edges cover exactly the content pixels they were drawn over.
        const int midY = frame.center().y();
        const int midX = frame.center().x();
        const auto expect = [&](int x, int y, const QColor& wanted) {
            const QColor got = pixel(out, x, y);
            return near(got, wanted) ? QByteArray()
                                     : QStringLiteral("content pixel (%1, %2) is %3, not %4")
                                           .arg(x)
                                           .arg(y)
                                           .arg(got.name(QColor::HexArgb), wanted.name(QColor::HexArgb))
                                           .toUtf8();
        };
        for (const QPoint& p : {QPoint(frame.left(), midY), QPoint(midX, frame.top())}) {
            const QPoint across = p.x() == frame.left() ? QPoint(1, 0) : QPoint(0, 1);
            for (const QPoint& q : {p, p - across, p + across}) {
                const QByteArray failure =
                    expect(q.x(), q.y(), q == p ? ink : pixel(composite, q.x(), q.y()));
                QVERIFY2(failure.isEmpty(), failure.constData());
            }
        }

        // The blur box averages whole blocks of black and white columns into one grey, and stops at
        // its boundary: the pixels around it are the composite's own.
        const QColor grey = pixel(out, blurBox.left(), blurBox.top());
        QVERIFY2(std::abs(grey.red() - 128) <= 1, qPrintable(grey.name()));
        for (int y = blurBox.top(); y <= blurBox.bottom(); ++y) {
            for (int x = blurBox.left(); x <= blurBox.right(); ++x) {
                QCOMPARE(pixel(out, x, y), grey);
            }
            QCOMPARE(pixel(out, blurBox.left() - 1, y), pixel(composite, blurBox.left() - 1, y));
            QCOMPARE(pixel(out, blurBox.right() + 1, y), pixel(composite, blurBox.right() + 1, y));
        }
        for (int x = blurBox.left(); x <= blurBox.right(); ++x) {
            QCOMPARE(pixel(out, x, blurBox.top() - 1), pixel(composite, x, blurBox.top() - 1));
            QCOMPARE(pixel(out, x, blurBox.bottom() + 1), pixel(composite, x, blurBox.bottom() + 1));
        }

        // What the editor reports is what is written.
        QCOMPARE(out.size(), composite.size());
        QCOMPARE(s.outputPixelDimensions(), out.size());
        QCOMPARE(s.displaySize(), QSizeF(composite.size()) / density);
        QCOMPARE(QSizeF(s.renderedImage().size()) / s.renderedImage().devicePixelRatio(), s.displaySize());
    }
}

void TestPixelScale::emptyCaptureReportsTheSizeItRenders()
{
    Fixture f(QImage(), 45, 0);
    const QImage composite = f.session->flattenedComposite();
    QVERIFY(!composite.isNull());
    QCOMPARE(composite.size(), f.session->outputPixelDimensions());
    QCOMPARE(QSizeF(composite.size()) / composite.devicePixelRatio(), f.session->displaySize());
}

QTEST_MAIN(TestPixelScale)
#include "tst_pixelscale.moc"
