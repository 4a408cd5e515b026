#include "capture/CountdownCircle.h"
#include "capture/CountdownOverlay.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace velmora;

namespace {

QWidget* visibleTopLevel()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

QImage circleShowing(int value)
{
    QImage image(countdownCircleDiameter, countdownCircleDiameter, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintCountdownCircle(painter, QRectF(image.rect()).center(), value);
    return image;
}

} // namespace

class TestCountdownOverlay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsWholeSecondsAndLeavesBeforeFinishing();
    void zeroFinishesWithoutShowing();
};

void TestCountdownOverlay::showsWholeSecondsAndLeavesBeforeFinishing()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    CountdownOverlay countdown(screen);
    bool shownAtFinish = true;
    QSignalSpy finished(&countdown, &CountdownOverlay::finished);
    connect(&countdown, &CountdownOverlay::finished, this,
            [&] { shownAtFinish = visibleTopLevel() != nullptr; });

    countdown.start(1.4); // 1.4 s to go reads 2
    QWidget* window = visibleTopLevel();
    QVERIFY(window);
    QCOMPARE(window->size(), QSize(countdownCircleDiameter, countdownCircleDiameter));
    QCOMPARE(window->geometry().center(), screen->geometry().center());
    QVERIFY(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    // Cut to the circle, so no black corners show without a compositing manager.
    QVERIFY(!window->mask().contains(QPoint(1, 1)));
    QVERIFY(window->mask().contains(QPoint(36, 36)));

    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(test::differingPixels(shown, circleShowing(2), 8), 0);
    QVERIFY(test::differingPixels(shown, circleShowing(1), 8) > 0);

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, test::waitTimeout);
    QVERIFY(!shownAtFinish);
}

void TestCountdownOverlay::zeroFinishesWithoutShowing()
{
    CountdownOverlay countdown(QGuiApplication::primaryScreen());
    QSignalSpy finished(&countdown, &CountdownOverlay::finished);
    countdown.start(0);
    QVERIFY(!visibleTopLevel());
    QVERIFY(finished.wait(test::waitTimeout));
    QVERIFY(!visibleTopLevel());
}

QTEST_MAIN(TestCountdownOverlay)
#include "tst_countdownoverlay.moc"
