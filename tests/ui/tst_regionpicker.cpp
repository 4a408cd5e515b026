#include "capture/ColorLoupe.h"
#include "capture/OverlayHosts.h"
#include "capture/RegionPicker.h"
#include "capture/RegionPickerOverlay.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;

namespace {

// Every pixel different: its colour spells its own coordinates.
QImage codedPicture(QSize points, qreal ratio)
{
    QImage image(points * ratio, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
        }
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

struct Picking
{
    Picking(RegionPicker::Mode mode, QList<ScreenGeometry> screens)
    {
        for (const ScreenGeometry& screen : screens) {
            frozen << codedPicture(screen.geometry.size(), screen.devicePixelRatio);
        }
        picker = std::make_unique<RegionPicker>(mode, ScreenLayout(screens), frozen);
        picked = std::make_unique<QSignalSpy>(picker.get(), &RegionPicker::picked);
        cancelled = std::make_unique<QSignalSpy>(picker.get(), &RegionPicker::cancelled);
        picker->show();
    }

    RegionPickerOverlay* overlay(int index) const
    {
        QList<RegionPickerOverlay*> overlays;
        // The overlays sit in host windows that outlive them.
        for (QWidget* widget : QApplication::allWidgets()) {
            if (auto* overlay = qobject_cast<RegionPickerOverlay*>(widget); overlay && overlay->isVisible()) {
                overlays << overlay;
            }
        }
        std::sort(overlays.begin(), overlays.end(), [](auto* a, auto* b) {
            return a->window()->geometry().left() < b->window()->geometry().left();
        });
        return overlays.value(index);
    }

    QList<QImage> frozen;
    std::unique_ptr<RegionPicker> picker;
    std::unique_ptr<QSignalSpy> picked;
    std::unique_ptr<QSignalSpy> cancelled;
};

ScreenGeometry screenAt(QRect geometry, qreal ratio)
{
    return ScreenGeometry{geometry, ratio, QStringLiteral("test")};
}

void drag(QWidget* w, QPoint from, QPoint to)
{
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, (from + to) / 2);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

} // namespace

class TestRegionPicker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { OverlayHosts::releaseIdle(); }
    void aLaterPickerReusesTheHiddenWindow();
    void dragPicksThePixels_data();
    void dragPicksThePixels();
    void secondScreen();
    void cancels_data();
    void cancels();
    void drawsTheSelectionUndimmed();
    void shrinkingLeavesNoTrail();
    void editingKeepsTheRegion();
    void colorPicks_data();
    void colorPicks();
    void loupeShowsThePixelUnderThePointer_data();
    void loupeShowsThePixelUnderThePointer();
};

void TestRegionPicker::dragPicksThePixels_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("pixels"); // empty: nothing is picked

    QTest::newRow("1x") << 1.0 << QPoint(10, 20) << QPoint(110, 70) << QRect(10, 20, 100, 50);
    QTest::newRow("2x, dragged up") << 2.0 << QPoint(110, 70) << QPoint(10, 20) << QRect(20, 40, 200, 100);
    QTest::newRow("exactly 16x16") << 1.0 << QPoint(300, 200) << QPoint(316, 216) << QRect(300, 200, 16, 16);
    QTest::newRow("10x200 too narrow") << 1.0 << QPoint(10, 20) << QPoint(20, 220) << QRect();
    QTest::newRow("15 high at 2x") << 2.0 << QPoint(10, 20) << QPoint(210, 35) << QRect();
}

void TestRegionPicker::dragPicksThePixels()
{
    QFETCH(qreal, ratio);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, pixels);

    Picking p(RegionPicker::Mode::region, {screenAt(QRect(0, 0, 400, 300), ratio)});
    RegionPickerOverlay* overlay = p.overlay(0);
    QVERIFY(overlay);
    drag(overlay, from, to);

    if (pixels.isEmpty()) {
        // Discarded, and the picker waits for another drag.
        QCOMPARE(p.picked->count(), 0);
        QCOMPARE(p.overlay(0), overlay);
        drag(overlay, QPoint(50, 50), QPoint(90, 90));
        QCOMPARE(p.picked->count(), 1);
        return;
    }
    QCOMPARE(p.picked->count(), 1);
    const QImage crop = p.picked->at(0).at(0).value<QImage>();
    QCOMPARE(crop.devicePixelRatio(), ratio);
    QCOMPARE(crop.convertToFormat(QImage::Format_RGB32),
             p.frozen[0].copy(pixels).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(p.picked->at(0).at(1).toInt(), 0);
    QCOMPARE(p.picked->at(0).at(2).toRect(), pixels);
    QVERIFY(!p.overlay(0)); // closed before the result went out
}

void TestRegionPicker::aLaterPickerReusesTheHiddenWindow()
{
    QWidget* host = nullptr;
    {
        Picking first(RegionPicker::Mode::region, {screenAt(QRect(0, 0, 400, 300), 1)});
        host = first.overlay(0)->window();
        QTest::keyClick(first.overlay(0), Qt::Key_Escape);
        QCOMPARE(first.cancelled->count(), 1);
        // Gone from the screen at once, kept for the next capture.
        QVERIFY(!host->isVisible());
    }
    QPointer<QWidget> kept(host);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(kept);

    // The same screen, now at another density: the window is the old one, the picture the new.
    Picking second(RegionPicker::Mode::region, {screenAt(QRect(0, 0, 400, 300), 2)});
    RegionPickerOverlay* overlay = second.overlay(0);
    QCOMPARE(overlay->window(), host);
    QCOMPARE(host->findChildren<RegionPickerOverlay*>(), QList<RegionPickerOverlay*>{overlay});
    drag(overlay, QPoint(20, 30), QPoint(70, 90));
    QCOMPARE(second.picked->count(), 1);
    const QImage crop = second.picked->at(0).at(0).value<QImage>();
    QCOMPARE(crop.convertToFormat(QImage::Format_RGB32),
             second.frozen[0].copy(QRect(40, 60, 100, 120)).convertToFormat(QImage::Format_RGB32));
}

void TestRegionPicker::secondScreen()
{
    // A denser screen to the right of the first: its pixels begin at native x 400.
    Picking p(RegionPicker::Mode::region,
              {screenAt(QRect(0, 0, 400, 300), 1), screenAt(QRect(400, 0, 200, 150), 2)});
    QVERIFY(p.overlay(1));
    drag(p.overlay(1), QPoint(10, 10), QPoint(60, 40));
    QCOMPARE(p.picked->count(), 1);
    const QImage crop = p.picked->at(0).at(0).value<QImage>();
    QCOMPARE(crop.convertToFormat(QImage::Format_RGB32),
             p.frozen[1].copy(20, 20, 100, 60).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(p.picked->at(0).at(1).toInt(), 1);
    QCOMPARE(p.picked->at(0).at(2).toRect(), QRect(420, 20, 100, 60));
    QVERIFY(!p.overlay(0));
}

void TestRegionPicker::cancels_data()
{
    QTest::addColumn<RegionPicker::Mode>("mode");
    QTest::addColumn<bool>("rightClick");
    QTest::newRow("escape") << RegionPicker::Mode::region << false;
    QTest::newRow("right click") << RegionPicker::Mode::region << true;
    QTest::newRow("escape, colour") << RegionPicker::Mode::color << false;
    QTest::newRow("right click, colour") << RegionPicker::Mode::color << true;
}

void TestRegionPicker::cancels()
{
    QFETCH(RegionPicker::Mode, mode);
    QFETCH(bool, rightClick);

    Picking p(mode, {screenAt(QRect(0, 0, 400, 300), 1)});
    RegionPickerOverlay* overlay = p.overlay(0);
    // Half-way through a drag, even.
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(overlay, QPoint(100, 100));
    if (rightClick) {
        QTest::mouseClick(overlay, Qt::RightButton, {}, QPoint(100, 100));
    } else {
        QTest::keyClick(overlay, Qt::Key_Escape);
    }
    QCOMPARE(p.cancelled->count(), 1);
    QCOMPARE(p.picked->count(), 0);
    QVERIFY(!p.overlay(0));
}

void TestRegionPicker::drawsTheSelectionUndimmed()
{
    Picking p(RegionPicker::Mode::region, {screenAt(QRect(0, 0, 400, 300), 1)});
    RegionPickerOverlay* overlay = p.overlay(0);
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(100, 50));
    QTest::mouseMove(overlay, QPoint(200, 150));
    const QImage shown = overlay->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& frozen = p.frozen[0];
    // Inside: the frozen pixels themselves. Outside: the same pixels at 65 % brightness.
    for (const QPoint inside : {QPoint(100, 50), QPoint(150, 60), QPoint(199, 149)}) {
        QCOMPARE(shown.pixel(inside), frozen.pixel(inside));
    }
    for (const QPoint outside : {QPoint(99, 50), QPoint(150, 40), QPoint(350, 20)}) {
        const QColor expected = frozen.pixelColor(outside);
        const QColor actual = shown.pixelColor(outside);
        QVERIFY2(std::abs(actual.red() - expected.red() * 0.65) <= 2,
                 qPrintable(QString::number(actual.red())));
        QVERIFY(std::abs(actual.green() - expected.green() * 0.65) <= 2);
    }
}

void TestRegionPicker::shrinkingLeavesNoTrail()
{
    // What reaches the screen, not a fresh rendering: the overlay repaints only part of itself.
    Picking p(RegionPicker::Mode::region, {screenAt(QRect(0, 0, 400, 300), 1)});
    RegionPickerOverlay* overlay = p.overlay(0);
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(50, 50));
    QImage shown;
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
               std::abs(qBlue(a) - qBlue(b)) <= 2;
    };
    auto showsUndimmed = [&](QPoint at) {
        shown = overlay->screen()->grabWindow(overlay->winId()).toImage();
        return !shown.isNull() && near(shown.pixel(at), p.frozen[0].pixel(at));
    };
    const QPoint wasInside(300, 200);
    QTest::mouseMove(overlay, QPoint(350, 250));
    QTRY_VERIFY_WITH_TIMEOUT(showsUndimmed(wasInside), test::waitTimeout);
    QTest::mouseMove(overlay, QPoint(20, 20)); // now up-left of where the drag began
    const QRgb dimmed =
        qRgb(qRed(p.frozen[0].pixel(wasInside)) * 65 / 100, qGreen(p.frozen[0].pixel(wasInside)) * 65 / 100,
             qBlue(p.frozen[0].pixel(wasInside)) * 65 / 100);
    // The new rectangle shows undimmed; where only the old one was is dimmed again.
    QTRY_VERIFY_WITH_TIMEOUT(showsUndimmed(QPoint(30, 30)), test::waitTimeout);
    QVERIFY(near(shown.pixel(wasInside), dimmed));
}

void TestRegionPicker::editingKeepsTheRegion()
{
    const QImage frozen = codedPicture(QSize(400, 300), 1);
    RegionPickerOverlay overlay(RegionPickerOverlay::Behaviour::editRegion,
                                screenAt(QRect(0, 0, 400, 300), 1), frozen);
    QSignalSpy first(&overlay, &RegionPickerOverlay::regionFirstSelected);
    QSignalSpy changed(&overlay, &RegionPickerOverlay::regionChanged);
    QSignalSpy picked(&overlay, &RegionPickerOverlay::picked);
    overlay.show();
    drag(&overlay, QPoint(100, 100), QPoint(200, 180));
    QCOMPARE(first.count(), 1);
    QCOMPARE(first.at(0).at(0).toRectF(), QRectF(100, 100, 100, 80));
    QCOMPARE(picked.count(), 0);

    // The region stays, with a white handle on each corner; dragging its body moves it.
    QCOMPARE(overlay.grab().toImage().pixelColor(100, 100), QColor(Qt::white));
    drag(&overlay, QPoint(150, 140), QPoint(170, 150));
    QCOMPARE(changed.last().at(0).toRectF(), QRectF(120, 110, 100, 80));

    // Locked: no gesture, no Escape, no handles; the countdown sits in the middle.
    overlay.setLocked(true);
    overlay.setCountdown(3);
    QSignalSpy cancelled(&overlay, &RegionPickerOverlay::cancelled);
    const int changes = changed.count();
    drag(&overlay, QPoint(150, 140), QPoint(300, 250));
    QTest::keyClick(&overlay, Qt::Key_Escape);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(cancelled.count(), 0);
    const QImage shown = overlay.grab().toImage();
    QCOMPARE(shown.pixel(120, 110), frozen.pixel(120, 110)); // no handle on the corner
    // The circle darkens the picture by 55 % beside the digit.
    QVERIFY(std::abs(qGreen(shown.pixel(145, 150)) - qGreen(frozen.pixel(145, 150)) * 45 / 100) <= 2);
}

void TestRegionPicker::colorPicks_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("click") << 1.0 << QPoint(33, 44) << QPoint(33, 44) << QRect(33, 44, 1, 1);
    QTest::newRow("click at 2x") << 2.0 << QPoint(33, 44) << QPoint(33, 44) << QRect(66, 88, 1, 1);
    QTest::newRow("a shaky click") << 1.0 << QPoint(33, 44) << QPoint(35, 45) << QRect(35, 45, 1, 1);
    QTest::newRow("drag") << 1.0 << QPoint(10, 10) << QPoint(30, 40) << QRect(10, 10, 20, 30);
    QTest::newRow("drag at 2x") << 2.0 << QPoint(30, 40) << QPoint(10, 10) << QRect(20, 20, 40, 60);
}

void TestRegionPicker::colorPicks()
{
    QFETCH(qreal, ratio);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, pixels);

    Picking p(RegionPicker::Mode::color, {screenAt(QRect(0, 0, 400, 300), ratio)});
    drag(p.overlay(0), from, to);
    QCOMPARE(p.picked->count(), 1);
    const QImage crop = p.picked->at(0).at(0).value<QImage>();
    QCOMPARE(crop.size(), pixels.size());
    QCOMPARE(crop.convertToFormat(QImage::Format_RGB32),
             p.frozen[0].copy(pixels).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(p.picked->at(0).at(2).toRect(), pixels);
}

void TestRegionPicker::loupeShowsThePixelUnderThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("above");
    QTest::newRow("open screen") << QPoint(100, 80) << false << false;
    QTest::newRow("right edge") << QPoint(390, 80) << true << false;
    QTest::newRow("bottom-right corner") << QPoint(395, 295) << true << true;
}

void TestRegionPicker::loupeShowsThePixelUnderThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(bool, left);
    QFETCH(bool, above);

    Picking p(RegionPicker::Mode::color, {screenAt(QRect(0, 0, 400, 300), 1)});
    RegionPickerOverlay* overlay = p.overlay(0);
    QTest::mouseMove(overlay, pointer);
    const QImage shown = overlay->grab().toImage();

    // The loupe lies wholly on the screen, on the side of the pointer there is room for.
    const QRectF loupe = ColorLoupe::placement(pointer, overlay->size());
    QVERIFY(QRectF(overlay->rect()).contains(loupe));
    QCOMPARE(loupe.right() < pointer.x(), left);
    QCOMPARE(loupe.bottom() < pointer.y(), above);
    // The middle of the centre cell shows the pixel under the pointer, undimmed; its neighbour
    // cell the next pixel to the right.
    const int half = ColorLoupe::gridPixels / 2;
    const QPoint centre =
        loupe.topLeft().toPoint() + QPoint(1, 1) * (half * ColorLoupe::cellSize + ColorLoupe::cellSize / 2);
    QCOMPARE(shown.pixel(centre), p.frozen[0].pixel(pointer));
    QCOMPARE(shown.pixel(centre + QPoint(ColorLoupe::cellSize, 0)),
             p.frozen[0].pixel(std::min(pointer.x() + 1, 399), pointer.y()));
}

QTEST_MAIN(TestRegionPicker)
#include "tst_regionpicker.moc"
