#include "CompositorWatch.h"
#include "RoundedWindowShape.h"
#include "drag/DragSource.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"
#include "shell/PinnedImageWindow.h"
#include "toolbar/PillPopover.h"

#include <QVBoxLayout>

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace velmora;

namespace {

// A compositor the test starts and stops. Asking it again (a window being shown) changes nothing.
class FakeCompositorWatch : public CompositorWatch
{
public:
    explicit FakeCompositorWatch(bool running) : CompositorWatch(running) {}
    using CompositorWatch::setRunning;
    int refreshes = 0;
    void refresh() override { ++refreshes; }
};

// Each case builds one of the windows that carry a shape, shown, with the shared watch in force.
struct ShapedWindow
{
    MemorySettingsStore settings;
    QTemporaryDir folder;
    GeneralPreferences preferences{settings, folder.path()};
    PillNotification pill{PillNotification::Timing{1, 1}};
    std::unique_ptr<QWidget> own;
    QWidget* window = nullptr;
    qreal cornerRadius = 0; // of the window as built
};

enum class Kind { Pill, Pinned, Popover };

void build(ShapedWindow& shaped, Kind kind)
{
    switch (kind) {
    case Kind::Pill:
        shaped.pill.show(QStringLiteral("Copied to clipboard"), PillNotification::untilDismissed);
        shaped.window = shaped.pill.window();
        shaped.cornerRadius = shaped.window->height() / 2.0;
        break;
    case Kind::Pinned: {
        QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(40, 90, 200));
        shaped.own = std::make_unique<PinnedImageWindow>(image, QRect(100, 100, 300, 200), shaped.pill,
                                                         shaped.preferences);
        shaped.window = shaped.own.get();
        shaped.window->show();
        shaped.cornerRadius = 8;
        break;
    }
    case Kind::Popover: {
        shaped.own = std::make_unique<QWidget>();
        shaped.own->setGeometry(200, 200, 120, 30);
        shaped.own->show();
        auto* popover = new PillPopover(shaped.own.get(), 160); // the owner's child
        auto* row = new QWidget;
        row->setFixedHeight(60);
        popover->rows()->addWidget(row);
        popover->popup();
        shaped.window = popover;
        shaped.cornerRadius = 10;
        break;
    }
    }
}

} // namespace

class TestRoundedWindowShape : public QObject
{
    Q_OBJECT

private slots:
    void regionKeepsPixelsWhoseCentresAreInside_data();
    void regionKeepsPixelsWhoseCentresAreInside();
    void maskFollowsTheCompositor_data();
    void maskFollowsTheCompositor();
    void maskFollowsTheWindowsSize();
    void showingAWindowAsksTheWatchAgain();
    void dragImageIsOpaqueOrClear_data();
    void dragImageIsOpaqueOrClear();
};

void TestRoundedWindowShape::regionKeepsPixelsWhoseCentresAreInside_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("radius");
    QTest::newRow("pinned corner") << QSize(300, 200) << 8.0;
    QTest::newRow("capsule") << QSize(220, 40) << 20.0;
    QTest::newRow("square corners") << QSize(50, 30) << 0.0;
    QTest::newRow("popover, odd size") << QSize(161, 73) << 10.0;
}

void TestRoundedWindowShape::regionKeepsPixelsWhoseCentresAreInside()
{
    QFETCH(QSize, size);
    QFETCH(qreal, radius);
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(), QSizeF(size)), radius, radius);
    const QRegion region = RoundedWindowShape::regionFor(path);
    QCOMPARE(region.boundingRect(), QRect(QPoint(), size));
    // Every pixel: kept exactly when its centre is inside, so nothing is half covered.
    int wrong = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            wrong += path.contains(QPointF(x + 0.5, y + 0.5)) != region.contains(QPoint(x, y));
    }
    QCOMPARE(wrong, 0);
    if (radius >= 2) {
        QVERIFY(!region.contains(QPoint(0, 0)));
        QVERIFY(!region.contains(QPoint(size.width() - 1, size.height() - 1)));
    }
}

void TestRoundedWindowShape::maskFollowsTheCompositor_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("pill") << Kind::Pill;
    QTest::newRow("pinned window") << Kind::Pinned;
    QTest::newRow("popover") << Kind::Popover;
}

void TestRoundedWindowShape::maskFollowsTheCompositor()
{
    QFETCH(Kind, kind);
    FakeCompositorWatch watch(true);
    CompositorWatch::setShared(&watch);
    ShapedWindow shaped;
    build(shaped, kind);
    QWidget* window = shaped.window;
    QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
    const QRect bounds = window->rect();
    const QPoint corner(0, 0), inside = bounds.center();
    // Just inside the corner's arc, on the diagonal, where the rounded outline is still drawn.
    const int in = qCeil(shaped.cornerRadius * (1 - M_SQRT1_2)) + 1;
    const QPoint nearCorner(in, in);

    // With a compositor nothing is cut and the rounded corners are see-through pixels.
    QVERIFY(window->mask().isEmpty());
    QImage translucent = window->grab().toImage();
    QCOMPARE(qAlpha(translucent.pixel(corner)), 0);

    watch.setRunning(false);
    const QRegion mask = window->mask();
    QVERIFY(!mask.isEmpty());
    QVERIFY(!mask.contains(corner));
    QVERIFY(!mask.contains(QPoint(bounds.right(), bounds.bottom())));
    QVERIFY(mask.contains(inside));
    QVERIFY(mask.contains(nearCorner));
    // What is kept is painted opaque: shown without a compositor, nothing is darkened to black.
    const QImage opaque = window->grab().toImage();
    for (const QPoint& p :
         {inside, nearCorner, QPoint(bounds.center().x(), 0), QPoint(0, bounds.center().y())})
        QVERIFY2(qAlpha(opaque.pixel(p)) == 255,
                 qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));

    watch.setRunning(true);
    QVERIFY(window->mask().isEmpty());
    CompositorWatch::setShared(nullptr);
}

void TestRoundedWindowShape::maskFollowsTheWindowsSize()
{
    FakeCompositorWatch watch(false);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.resize(100, 60);
    new RoundedWindowShape(&window, RoundedWindowShape::capsule(), &watch);
    window.show(); // a hidden window hears of its new size only when shown
    QCOMPARE(window.mask().boundingRect(), QRect(0, 0, 100, 60));
    window.resize(260, 40);
    QCOMPARE(window.mask().boundingRect(), QRect(0, 0, 260, 40));
    // A capsule: the left end is a half circle of the new height.
    QVERIFY(!window.mask().contains(QPoint(2, 2)));
    QVERIFY(window.mask().contains(QPoint(2, 20)));
    QVERIFY(window.mask().contains(QPoint(20, 1)));
}

void TestRoundedWindowShape::showingAWindowAsksTheWatchAgain()
{
    FakeCompositorWatch watch(true);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.resize(100, 60);
    new RoundedWindowShape(&window, 10, &watch);
    QCOMPARE(watch.refreshes, 0);
    window.show();
    QCOMPARE(watch.refreshes, 1);
    window.hide();
    window.show();
    QCOMPARE(watch.refreshes, 2);
}

void TestRoundedWindowShape::dragImageIsOpaqueOrClear_data()
{
    QTest::addColumn<QColor>("painted");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("opaque stays") << QColor(200, 40, 30) << QColor(200, 40, 30);
    QTest::newRow("mostly opaque: its own colour") << QColor(200, 40, 30, 200) << QColor(200, 40, 30);
    QTest::newRow("half opaque is kept") << QColor(20, 100, 240, 128) << QColor(20, 100, 240);
    QTest::newRow("faint shadow goes") << QColor(0, 0, 0, 60) << QColor(Qt::transparent);
    QTest::newRow("clear stays clear") << QColor(Qt::transparent) << QColor(Qt::transparent);
}

void TestRoundedWindowShape::dragImageIsOpaqueOrClear()
{
    QFETCH(QColor, painted);
    QFETCH(QColor, expected);
    QImage image(4, 3, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(painted);
    const QImage result = DragSource::opaqueOrClear(image);
    QCOMPARE(result.size(), image.size());
    QCOMPARE(result.devicePixelRatio(), 2.0);
    const QColor got = result.pixelColor(3, 2);
    QCOMPARE(got.alpha(), expected.alpha());
    if (expected.alpha() == 255) {
        // Premultiplied rounding may move a channel by one.
        QVERIFY2(qAbs(got.red() - expected.red()) <= 1 && qAbs(got.green() - expected.green()) <= 1 &&
                     qAbs(got.blue() - expected.blue()) <= 1,
                 qPrintable(got.name()));
    }
}

QTEST_MAIN(TestRoundedWindowShape)
#include "tst_roundedwindowshape.moc"
