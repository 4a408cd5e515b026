#include "shell/PillActionButton.h"
#include "shell/PillNotification.h"
#include "shell/PillNotificationView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QScreen>
#include <QTest>

using namespace velmora;
using State = PillNotification::State;

namespace {

// Fades short enough to wait out; the messages' own durations are chosen per test.
constexpr PillNotification::Timing quickFades{20, 30};

// The pointer entering or leaving the pill, as the window system reports it.
void hover(const PillNotification& pill, bool entering)
{
    const QPointF local = QRectF(pill.window()->rect()).center();
    QEnterEvent enter(local, local, pill.window()->mapToGlobal(local));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(pill.window(), entering ? static_cast<QEvent*>(&enter) : &leave);
}

NotificationAction action(
    std::function<void()> handler = [] {}, bool dismissesOnTap = true)
{
    return {QStringLiteral("Show in Folder"), QStringLiteral("folder-open"), std::move(handler),
            dismissesOnTap};
}

} // namespace

class TestPillNotification : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frameStandsAboveTheBottomOfTheAvailableArea_data();
    void frameStandsAboveTheBottomOfTheAvailableArea();
    void showsCentredOnTheScreenWithAMinimumSize_data();
    void showsCentredOnTheScreenWithAMinimumSize();
    void dismissesAfterItsDurationOrWhenReplaced();
    void hoverHoldsThePillAndBringsAFadingOneBack();
    void messageShownDuringAFadeOutStaysVisible_data();
    void messageShownDuringAFadeOutStaysVisible();
    void actionRunsItsHandler_data();
    void actionRunsItsHandler();
    void drawsADarkCapsuleWithItsActions();
};

void TestPillNotification::frameStandsAboveTheBottomOfTheAvailableArea_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");
    // Bottom edge 192 above the available area's bottom, centred across it.
    QTest::newRow("panel at the top")
        << QRect(0, 32, 1920, 1048) << QSize(300, 40) << QRect(810, 848, 300, 40);
    QTest::newRow("second screen to the right")
        << QRect(1920, 0, 1280, 1024) << QSize(240, 44) << QRect(2440, 788, 240, 44);
    QTest::newRow("screen above the first")
        << QRect(0, -1080, 1920, 1040) << QSize(180, 40) << QRect(870, -272, 180, 40);
}

void TestPillNotification::frameStandsAboveTheBottomOfTheAvailableArea()
{
    QFETCH(QRect, available);
    QFETCH(QSize, size);
    QFETCH(QRect, expected);
    QCOMPARE(PillNotification::frameFor(available, size), expected);
}

void TestPillNotification::showsCentredOnTheScreenWithAMinimumSize_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("actionCount");
    QTest::addColumn<bool>("atMinimumWidth");
    QTest::newRow("short text") << QStringLiteral("Hi") << 0 << true;
    QTest::newRow("long text") << QStringLiteral("Recognised text copied, twelve lines") << 0 << false;
    QTest::newRow("with actions") << QStringLiteral("Saved to Downloads") << 2 << false;
}

void TestPillNotification::showsCentredOnTheScreenWithAMinimumSize()
{
    QFETCH(QString, message);
    QFETCH(int, actionCount);
    QFETCH(bool, atMinimumWidth);
    PillNotification pill(quickFades);
    QScreen* screen = QGuiApplication::primaryScreen();
    pill.show(message, 5.0, QList<NotificationAction>(actionCount, action()), screen);

    QVERIFY(pill.window() && pill.window()->isVisible());
    const QRect frame = pill.window()->geometry();
    QVERIFY(frame.height() >= PillNotification::minimumSize.height());
    QCOMPARE(frame.width() == PillNotification::minimumSize.width(), atMinimumWidth);
    QVERIFY(frame.width() >=
            std::max(PillNotification::minimumSize.width(), pill.view()->sizeHint().width()));
    QCOMPARE(frame, PillNotification::frameFor(screen->availableGeometry(), frame.size()));
    QCOMPARE(pill.view()->actionButtons().size(), actionCount);
}

void TestPillNotification::dismissesAfterItsDurationOrWhenReplaced()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Copied to clipboard"), 0.15);
    QVERIFY(pill.window()->isVisible());
    QVERIFY(pill.isDismissalPending());
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Visible, test::waitTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Hidden, test::waitTimeout);
    QVERIFY(!pill.window()->isVisible());
    QCOMPARE(pill.window()->windowOpacity(), 0.0);

    // A new message replaces the old one in the same window, and the old duration no longer applies;
    // one kept until dismissed lets clicks through unless it has an action to click.
    QWidget* window = pill.window();
    pill.show(QStringLiteral("First"), 0.1);
    pill.show(QStringLiteral("Capturing…"), PillNotification::untilDismissed);
    QCOMPARE(pill.window(), window);
    QVERIFY(!pill.isDismissalPending());
    QVERIFY(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QTest::qWait(300);
    QCOMPARE(pill.state(), State::Visible);
    QCOMPARE(window->findChildren<PillNotificationView*>().size(), 1);
    pill.show(QStringLiteral("Capturing…"), PillNotification::untilDismissed, {action()});
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    pill.dismissNow();
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Hidden, test::waitTimeout);
}

void TestPillNotification::hoverHoldsThePillAndBringsAFadingOneBack()
{
    // A slow fade-out, so the pointer surely reaches the pill while it runs.
    PillNotification pill(PillNotification::Timing{20, 400});
    pill.show(QStringLiteral("Copied to clipboard"), 0.2);
    hover(pill, true);
    QVERIFY(!pill.isDismissalPending());
    QTest::qWait(500); // well past its duration
    QCOMPARE(pill.state(), State::Visible);

    // Leaving gives it its whole duration again rather than fading out at once.
    hover(pill, false);
    QVERIFY(pill.isDismissalPending());
    QCOMPARE(pill.state(), State::Visible);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::FadingOut, test::waitTimeout);
    hover(pill, true);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Visible, test::waitTimeout);
    QCOMPARE(pill.window()->windowOpacity(), 1.0);
    hover(pill, false);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Hidden, test::waitTimeout);

    // A message appearing under a resting pointer is held as well.
    pill.show(QStringLiteral("Second"), 0.2);
    hover(pill, true);
    pill.show(QStringLiteral("Third"), 0.2);
    QVERIFY(!pill.isDismissalPending());
    hover(pill, false);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Hidden, test::waitTimeout);
}

void TestPillNotification::messageShownDuringAFadeOutStaysVisible_data()
{
    QTest::addColumn<int>("dismissal");
    QTest::newRow("dismissed by its timer") << 0;
    QTest::newRow("dismissed by dismissNow") << 1;
    QTest::newRow("the action's own handler shows it") << 2;
}

void TestPillNotification::messageShownDuringAFadeOutStaysVisible()
{
    QFETCH(int, dismissal);
    // A slow fade-out, so the new message surely arrives while it runs.
    PillNotification pill(PillNotification::Timing{20, 300});
    const auto showSecond = [&] {
        pill.show(QStringLiteral("Second"), PillNotification::untilDismissed, {action()});
    };
    pill.show(QStringLiteral("First"), dismissal ? PillNotification::untilDismissed : 0.05,
              {action(showSecond)});
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), dismissal ? State::Visible : State::FadingOut, test::waitTimeout);
    if (dismissal == 1)
        pill.dismissNow();
    if (dismissal == 2) {
        QTest::mouseClick(pill.view()->actionButtons().constFirst(), Qt::LeftButton);
    } else {
        QCOMPARE(pill.state(), State::FadingOut);
        showSecond();
    }
    QTest::qWait(600); // well past the end of the old fade-out
    QCOMPARE(pill.state(), State::Visible);
    QVERIFY(pill.window()->isVisible());
    QCOMPARE(pill.window()->windowOpacity(), 1.0);
    QCOMPARE(pill.message(), QStringLiteral("Second"));
}

void TestPillNotification::actionRunsItsHandler_data()
{
    QTest::addColumn<bool>("dismissesOnTap");
    QTest::newRow("dismisses on tap") << true;
    QTest::newRow("stays after a tap") << false;
}

void TestPillNotification::actionRunsItsHandler()
{
    QFETCH(bool, dismissesOnTap);
    PillNotification pill(quickFades);
    int first = 0, second = 0;
    pill.show(QStringLiteral("Image saved"), 5.0,
              {action([&] { ++first; }, dismissesOnTap), action([&] { ++second; }, dismissesOnTap)});
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Visible, test::waitTimeout);
    QTest::mouseClick(pill.view()->actionButtons().constFirst(), Qt::LeftButton);
    QCOMPARE(first, 1);
    QCOMPARE(second, 0);
    QCOMPARE(pill.state(), dismissesOnTap ? State::FadingOut : State::Visible);
    QCOMPARE(pill.isDismissalPending(), !dismissesOnTap);
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), dismissesOnTap ? State::Hidden : State::Visible,
                              test::waitTimeout);
}

void TestPillNotification::drawsADarkCapsuleWithItsActions()
{
    PillNotification pill(quickFades);
    // Stands in for the vendored icons: a square in the tint, for the action's icon only.
    pill.setIconProvider([](const QString& name, const QColor& tint, int size, qreal dpr) {
        QPixmap pixmap(QSize(size, size) * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(name == QLatin1String("folder-open") ? tint : QColor(Qt::transparent));
        return pixmap;
    });
    pill.show(QStringLiteral("Saved to Downloads"), 5.0, {action()});
    QTRY_COMPARE_WITH_TIMEOUT(pill.state(), State::Visible, test::waitTimeout);

    const QImage image = pill.window()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    test::dump(image, QStringLiteral("pill"));
    // Clear outside the capsule's rounded ends, dark and mostly opaque inside.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    const QColor inside = image.pixelColor(image.width() / 2, 3);
    QVERIFY(inside.alpha() > 180 && inside.lightness() < 60);
    // White text and icon: bright pixels in the left half of the row and where the icon goes.
    const auto hasWhite = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = image.height() / 2 - 8; y <= image.height() / 2 + 8; ++y)
                if (image.pixelColor(x, y).lightness() > 200)
                    return true;
        return false;
    };
    QVERIFY(hasWhite(16, image.width() / 2));
    const int icon =
        pill.view()->actionButtons().constFirst()->geometry().left() + PillActionButton::horizontalPadding;
    QVERIFY(hasWhite(icon, icon + PillActionButton::iconSize));
}

QTEST_MAIN(TestPillNotification)
#include "tst_pillnotification.moc"
