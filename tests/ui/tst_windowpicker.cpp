#include "ScreenCapture.h"
#include "capture/CapturePill.h"
#include "capture/OverlayHosts.h"
#include "capture/WindowPicker.h"
#include "capture/WindowPickerOverlay.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

namespace {

class FakeWindowList : public WindowList
{
public:
    QList<WindowInfo> visibleWindows() const override { return windows; }
    QList<WindowInfo> windows;
};

const QColor desktop(128, 128, 128);

// Front to back: a browser over a nameless program's window, both in native pixels.
const WindowInfo browser{11, QRect(40, 40, 120, 100), QStringLiteral("Firefox"), QStringLiteral("Page")};
const WindowInfo nameless{22, QRect(100, 100, 200, 150), QString(), QString()};

struct Picking
{
    explicit Picking(QList<WindowInfo> listed, qreal ratio = 1)
    {
        windows.windows = std::move(listed);
        const ScreenGeometry screen{QRect(0, 0, 400, 300), ratio, QStringLiteral("test")};
        picker = std::make_unique<WindowPicker>(windows, ScreenLayout({screen}),
                                                QList<QImage>{test::solidImage(400, 300, desktop, ratio)});
        picked = std::make_unique<QSignalSpy>(picker.get(), &WindowPicker::picked);
        cancelled = std::make_unique<QSignalSpy>(picker.get(), &WindowPicker::cancelled);
        picker->show();
        for (QWidget* widget : QApplication::allWidgets()) {
            if (auto* o = qobject_cast<WindowPickerOverlay*>(widget); o && o->isVisible()) {
                overlay = o;
            }
        }
    }

    QImage shownAt(QPoint pointer)
    {
        QTest::mouseMove(overlay, pointer);
        return overlay->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    FakeWindowList windows;
    std::unique_ptr<WindowPicker> picker;
    std::unique_ptr<QSignalSpy> picked;
    std::unique_ptr<QSignalSpy> cancelled;
    WindowPickerOverlay* overlay = nullptr;
};

bool tinted(const QImage& image, QPoint at)
{
    const QColor c = image.pixelColor(at);
    return c.blue() > c.red() + 20;
}

} // namespace

class TestWindowPicker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { OverlayHosts::releaseIdle(); }
    void clickPicksTheHoveredWindow_data();
    void clickPicksTheHoveredWindow();
    void tintsOnlyTheHoveredFrame_data();
    void tintsOnlyTheHoveredFrame();
    void pillNamesTheOwner();
    void followsAWindowUnderAStillPointer();
    void escapeCancels();
};

void TestWindowPicker::clickPicksTheHoveredWindow_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<quint32>("id"); // 0: nothing is picked
    QTest::newRow("front window") << QPoint(60, 60) << quint32(11);
    QTest::newRow("where both overlap") << QPoint(120, 120) << quint32(11);
    QTest::newRow("back window") << QPoint(250, 200) << quint32(22);
    QTest::newRow("frame's far edge") << QPoint(300, 250) << quint32(22);
    QTest::newRow("desktop") << QPoint(350, 30) << quint32(0);
}

void TestWindowPicker::clickPicksTheHoveredWindow()
{
    QFETCH(QPoint, pointer);
    QFETCH(quint32, id);

    Picking p({browser, nameless});
    QVERIFY(p.overlay);
    QTest::mouseMove(p.overlay, pointer);
    QTest::mouseClick(p.overlay, Qt::LeftButton, {}, pointer);
    if (id == 0) {
        QCOMPARE(p.picked->count(), 0);
        QVERIFY(p.overlay->isVisible()); // still waiting for a window
        return;
    }
    QCOMPARE(p.picked->count(), 1);
    QCOMPARE(p.picked->at(0).at(0).value<quint32>(), id);
    QVERIFY(!p.overlay->isVisible());
}

void TestWindowPicker::tintsOnlyTheHoveredFrame_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("inside");
    QTest::addColumn<QPoint>("outside");
    // The browser's frame is native (40, 40, 120, 100): at ratio 2 that is (20, 20, 60, 50) points.
    QTest::newRow("1x") << 1.0 << QPoint(60, 60) << QPoint(155, 135) << QPoint(165, 135);
    QTest::newRow("2x") << 2.0 << QPoint(30, 30) << QPoint(75, 65) << QPoint(85, 65);
}

void TestWindowPicker::tintsOnlyTheHoveredFrame()
{
    QFETCH(qreal, ratio);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, inside);
    QFETCH(QPoint, outside);

    Picking p({browser}, ratio);
    const QImage shown = p.shownAt(pointer);
    QVERIFY(tinted(shown, inside));
    QCOMPARE(shown.pixelColor(outside), desktop); // nothing else is dimmed or tinted

    // Over the desktop: the frozen picture exactly, no tint and no pill.
    const QImage idle = p.shownAt(QPoint(350, 280));
    QCOMPARE(test::differingPixels(
                 idle, test::solidImage(400, 300, desktop).convertToFormat(QImage::Format_RGB32), 0),
             0);
}

void TestWindowPicker::pillNamesTheOwner()
{
    // The same frame and pointer under three owners: only the label can differ.
    auto shownFor = [](const QString& owner) {
        WindowInfo window = browser;
        window.ownerName = owner;
        Picking p({window});
        return p.shownAt(QPoint(100, 90));
    };
    const QImage firefox = shownFor(QStringLiteral("Firefox"));
    const QImage unnamed = shownFor(QString());
    const QImage named = shownFor(QStringLiteral("Window"));
    QCOMPARE(test::differingPixels(unnamed, named, 0), 0); // no name reads "Capture Window"
    QVERIFY(test::differingPixels(firefox, unnamed, 16) > 20);

    // The pill is centred on the pointer, its dark capsule where the pointer is.
    const QColor atPointer = firefox.pixelColor(100, 90);
    QVERIFY(atPointer.lightness() < 60);
    const int width =
        CapturePill::render(QStringLiteral("Firefox"), 1).width() - 2 * CapturePill::shadowMargin;
    QVERIFY(firefox.pixelColor(100 - width / 2 + 4, 90).lightness() < 60);
    QVERIFY(firefox.pixelColor(100 + width / 2 + 3, 90).lightness() > 60);
}

void TestWindowPicker::followsAWindowUnderAStillPointer()
{
    Picking p({browser});
    QTest::mouseMove(p.overlay, QPoint(200, 200));
    QVERIFY(!p.overlay->hoveredWindow());
    // The nameless window moves under the pointer; the poll finds it without any mouse event.
    WindowInfo moved = nameless;
    p.windows.windows = {browser, moved};
    QTRY_COMPARE_WITH_TIMEOUT(p.overlay->hoveredWindow().value_or(WindowInfo{}).windowID, quint32(22),
                              test::waitTimeout);
}

void TestWindowPicker::escapeCancels()
{
    Picking p({browser});
    QTest::keyClick(p.overlay, Qt::Key_Escape);
    QCOMPARE(p.cancelled->count(), 1);
    QCOMPARE(p.picked->count(), 0);
    QVERIFY(!p.overlay->isVisible());
}

QTEST_MAIN(TestWindowPicker)
#include "tst_windowpicker.moc"
