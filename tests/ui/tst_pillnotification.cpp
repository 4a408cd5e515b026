#include "shell/PillActionButton.h"
#include "shell/PillNotification.h"
#include "shell/PillNotificationView.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using State = PillNotification::State;

namespace {

// Fades short enough to wait out; the messages' own durations are chosen per test.
constexpr PillNotification::Timing quickFades{20, 30};

// The pointer entering or leaving a window, as the window system reports it.
void sendEnter(QWidget* window)
{
    const QPointF local = QRectF(window->rect()).center();
    QEnterEvent enter(local, local, window->mapToGlobal(local));
    QApplication::sendEvent(window, &enter);
}

void sendLeave(QWidget* window)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window, &leave);
}

// Stands in for a vendored icon: a plain outlined square in the tint.
QPixmap squareIcon(const QColor& tint, int size, qreal dpr)
{
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(tint, 1.5));
    painter.drawRect(QRectF(1.5, 2.5, size - 3, size - 5));
    return pixmap;
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
    void neverTakesFocus();
    void dismissesAfterItsDuration();
    void untilDismissedStaysAndLetsClicksThrough();
    void hoverPausesTheDismissalAndLeavingRestartsIt();
    void reachingForAFadingPillBringsItBack();
    void messageShownDuringAFadeOutStaysVisible_data();
    void messageShownDuringAFadeOutStaysVisible();
    void newMessageReplacesTheOldOneInTheSameWindow();
    void actionRunsItsHandler_data();
    void actionRunsItsHandler();
    void actionThatShowsAMessageKeepsIt();
    void drawsADarkCapsuleWithItsActions();
};

void TestPillNotification::frameStandsAboveTheBottomOfTheAvailableArea_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");

    // Bottom edge 192 above the available area's bottom, centred across it.
    QTest::newRow("laptop") << QRect(0, 0, 1440, 870) << QSize(180, 40) << QRect(630, 638, 180, 40);
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
    const QRect frame = PillNotification::frameFor(available, size);
    QCOMPARE(frame, expected);
    QCOMPARE(available.y() + available.height() - (frame.y() + frame.height()),
             PillNotification::bottomOffset);
}

void TestPillNotification::showsCentredOnTheScreenWithAMinimumSize_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("actionCount");
    QTest::addColumn<bool>("atMinimumWidth");

    QTest::newRow("short text") << QStringLiteral("Hi") << 0 << true;
    QTest::newRow("long text") << QStringLiteral("Recognised text copied to the clipboard, 12 lines") << 0
                               << false;
    QTest::newRow("with actions") << QStringLiteral("Saved to Downloads") << 2 << false;
}

void TestPillNotification::showsCentredOnTheScreenWithAMinimumSize()
{
    QFETCH(QString, message);
    QFETCH(int, actionCount);
    QFETCH(bool, atMinimumWidth);

    PillNotification pill(quickFades);
    QList<NotificationAction> actions;
    for (int i = 0; i < actionCount; ++i)
        actions.append({QStringLiteral("Show in Folder"), QString(), [] {}, true});
    QScreen* screen = QGuiApplication::primaryScreen();
    pill.show(message, 5.0, actions, screen);

    QWidget* window = pill.window();
    QVERIFY(window && window->isVisible());
    const QRect frame = window->geometry();
    const QRect available = screen->availableGeometry();
    QVERIFY(frame.width() >= PillNotification::minimumSize.width());
    QVERIFY(frame.height() >= PillNotification::minimumSize.height());
    QCOMPARE(frame.width() == PillNotification::minimumSize.width(), atMinimumWidth);
    // Wide enough for its row.
    QVERIFY(frame.width() >= pill.view()->sizeHint().width());
    QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
    QCOMPARE(frame.bottom() + 1, available.bottom() + 1 - PillNotification::bottomOffset);
    QCOMPARE(pill.view()->actionButtons().size(), actionCount);
}

void TestPillNotification::neverTakesFocus()
{
    QWidget editor;
    editor.resize(300, 200);
    editor.show();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));

    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Copied to clipboard"), 5.0);
    QWidget* window = pill.window();
    QVERIFY(window->windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                            Qt::WindowDoesNotAcceptFocus));
    QVERIFY(window->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
    QTRY_COMPARE(pill.state(), State::Visible);
    // The offscreen platform activates every window it shows; a real window system honours the hints.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QCOMPARE(QApplication::activeWindow(), &editor);
}

void TestPillNotification::dismissesAfterItsDuration()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Copied to clipboard"), 0.15);
    QVERIFY(pill.window()->isVisible());
    QVERIFY(pill.isDismissalPending());
    QTRY_COMPARE(pill.state(), State::Visible);
    QTRY_COMPARE(pill.state(), State::Hidden);
    QVERIFY(!pill.window()->isVisible());
    QCOMPARE(pill.window()->windowOpacity(), 0.0);
}

void TestPillNotification::untilDismissedStaysAndLetsClicksThrough()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Capturing…"), PillNotification::untilDismissed);
    QVERIFY(!pill.isDismissalPending());
    QVERIFY(pill.window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QTest::qWait(300);
    QCOMPARE(pill.state(), State::Visible);
    QVERIFY(pill.window()->isVisible());

    // With an action to click it takes the pointer again.
    pill.show(QStringLiteral("Capturing…"), PillNotification::untilDismissed,
              {{QStringLiteral("Stop"), QString(), [] {}, true}});
    QVERIFY(!pill.window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QTRY_COMPARE(pill.state(), State::Visible);
    QVERIFY(pill.window()->isVisible());
    pill.dismissNow();
    QTRY_COMPARE(pill.state(), State::Hidden);
}

void TestPillNotification::hoverPausesTheDismissalAndLeavingRestartsIt()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Copied to clipboard"), 0.2);
    sendEnter(pill.window());
    QVERIFY(!pill.isDismissalPending());
    // Well past its duration, the pill is still up while the pointer rests on it.
    QTest::qWait(500);
    QCOMPARE(pill.state(), State::Visible);

    // Leaving gives it its whole duration again rather than fading out at once.
    sendLeave(pill.window());
    QVERIFY(pill.isDismissalPending());
    QCOMPARE(pill.state(), State::Visible);
    QTRY_COMPARE(pill.state(), State::Hidden);

    // A message appearing under a resting pointer is held as well.
    pill.show(QStringLiteral("Second"), 0.2);
    sendEnter(pill.window());
    pill.show(QStringLiteral("Third"), 0.2);
    QVERIFY(!pill.isDismissalPending());
    sendLeave(pill.window());
    QTRY_COMPARE(pill.state(), State::Hidden);
}

void TestPillNotification::reachingForAFadingPillBringsItBack()
{
    PillNotification pill(PillNotification::Timing{20, 400});
    pill.show(QStringLiteral("Saved to Downloads"), 2.0,
              {{QStringLiteral("Show in Folder"), {}, [] {}, true}});
    QTRY_COMPARE(pill.state(), State::Visible);
    pill.dismissNow();
    QCOMPARE(pill.state(), State::FadingOut);
    sendEnter(pill.window());
    QTRY_COMPARE(pill.state(), State::Visible);
    QCOMPARE(pill.window()->windowOpacity(), 1.0);
    QVERIFY(pill.window()->isVisible());
}

void TestPillNotification::messageShownDuringAFadeOutStaysVisible_data()
{
    QTest::addColumn<bool>("automaticDismissal");
    QTest::newRow("dismissed by an action") << false;
    QTest::newRow("dismissed by its timer") << true;
}

void TestPillNotification::messageShownDuringAFadeOutStaysVisible()
{
    QFETCH(bool, automaticDismissal);
    // A slow fade-out, so the new message surely arrives while it runs.
    PillNotification pill(PillNotification::Timing{20, 300});
    if (automaticDismissal) {
        pill.show(QStringLiteral("First"), 0.05);
        QTRY_COMPARE(pill.state(), State::FadingOut);
    } else {
        pill.show(QStringLiteral("First"), PillNotification::untilDismissed,
                  {{QStringLiteral("OK"), {}, {}, true}});
        QTRY_COMPARE(pill.state(), State::Visible);
        pill.dismissNow();
        QCOMPARE(pill.state(), State::FadingOut);
    }

    pill.show(QStringLiteral("Second"), PillNotification::untilDismissed,
              {{QStringLiteral("OK"), {}, {}, true}});
    // Well past the end of the old fade-out.
    QTest::qWait(600);
    QCOMPARE(pill.state(), State::Visible);
    QVERIFY(pill.window()->isVisible());
    QCOMPARE(pill.window()->windowOpacity(), 1.0);
    QCOMPARE(pill.message(), QStringLiteral("Second"));
}

void TestPillNotification::newMessageReplacesTheOldOneInTheSameWindow()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("First"), 0.1);
    QWidget* window = pill.window();
    pill.show(QStringLiteral("Second"), PillNotification::untilDismissed);
    QCOMPARE(pill.window(), window);
    QCOMPARE(pill.message(), QStringLiteral("Second"));
    // The first message's duration no longer applies.
    QTest::qWait(300);
    QCOMPARE(pill.state(), State::Visible);
    QCOMPARE(window->findChildren<PillNotificationView*>().size(), 1);
}

void TestPillNotification::actionRunsItsHandler_data()
{
    QTest::addColumn<bool>("dismissesOnTap");
    QTest::newRow("dismisses on tap") << true;
    QTest::newRow("stays") << false;
}

void TestPillNotification::actionRunsItsHandler()
{
    QFETCH(bool, dismissesOnTap);
    PillNotification pill(quickFades);
    int reveals = 0;
    int others = 0;
    pill.show(QStringLiteral("Image saved"), 5.0,
              {{QStringLiteral("Show in Folder"), QStringLiteral("folder-open"), [&] { ++reveals; },
                dismissesOnTap},
               {QStringLiteral("Undo"), QString(), [&] { ++others; }, dismissesOnTap}});
    QTRY_COMPARE(pill.state(), State::Visible);
    const auto buttons = pill.view()->actionButtons();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons[0]->text(), QStringLiteral("Show in Folder"));

    QTest::mouseClick(buttons[0], Qt::LeftButton);
    QCOMPARE(reveals, 1);
    QCOMPARE(others, 0);
    if (dismissesOnTap) {
        QCOMPARE(pill.state(), State::FadingOut);
        QTRY_COMPARE(pill.state(), State::Hidden);
    } else {
        QCOMPARE(pill.state(), State::Visible);
        QVERIFY(pill.isDismissalPending());
    }
}

void TestPillNotification::actionThatShowsAMessageKeepsIt()
{
    PillNotification pill(quickFades);
    pill.show(QStringLiteral("Shortcut unavailable: Ctrl+Shift+2"), 5.0,
              {{QStringLiteral("Preferences…"), QString(),
                [&] { pill.show(QStringLiteral("Opening preferences"), 5.0); }, true}});
    QTRY_COMPARE(pill.state(), State::Visible);
    QTest::mouseClick(pill.view()->actionButtons().constFirst(), Qt::LeftButton);
    QCOMPARE(pill.message(), QStringLiteral("Opening preferences"));
    QTRY_COMPARE(pill.state(), State::Visible);
    QVERIFY(pill.window()->isVisible());
}

void TestPillNotification::drawsADarkCapsuleWithItsActions()
{
    PillNotification pill(quickFades);
    QStringList requested;
    pill.setIconProvider([&](const QString& name, const QColor& tint, int size, qreal dpr) {
        requested << name;
        // The default provider draws the vendored icons when they are there.
        QPixmap pixmap = shellIconPixmap(name, tint, size, dpr);
        return pixmap.isNull() ? squareIcon(tint, size, dpr) : pixmap;
    });
    pill.show(QStringLiteral("Saved to Downloads"), 5.0,
              {{QStringLiteral("Show in Folder"), QStringLiteral("folder-open"), [] {}, true}});
    QTRY_COMPARE(pill.state(), State::Visible);
    QVERIFY(requested.contains(QStringLiteral("folder-open")));

    const QImage image = pill.window()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    test::dump(image, QStringLiteral("pill"));
    const int midY = image.height() / 2;
    // Clear outside the capsule's rounded ends, dark and mostly opaque inside.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    const QColor inside = image.pixelColor(image.width() / 2, 3);
    QVERIFY(inside.alpha() > 180);
    QVERIFY(inside.lightness() < 60);
    // White text and icon: bright pixels in the left and the right half of the row.
    const auto hasWhite = [&](int from, int to) {
        for (int x = from; x < to; ++x)
            for (int y = midY - 8; y <= midY + 8; ++y)
                if (image.pixelColor(x, y).lightness() > 200)
                    return true;
        return false;
    };
    QVERIFY(hasWhite(16, image.width() / 2));
    const QRect button = pill.view()->actionButtons().constFirst()->geometry();
    QVERIFY(hasWhite(button.left() + PillActionButton::horizontalPadding,
                     button.left() + PillActionButton::horizontalPadding + PillActionButton::iconSize));

    // Over a light page, for looking at it.
    const qreal dpr = image.devicePixelRatio();
    QImage onPage(image.size() + QSize(60, 60) * dpr, QImage::Format_ARGB32_Premultiplied);
    onPage.setDevicePixelRatio(dpr);
    onPage.fill(QColor(236, 238, 242));
    QPainter painter(&onPage);
    painter.drawImage(QPointF(30, 30), image);
    painter.end();
    test::dump(onPage, QStringLiteral("pill-on-page"));
}

QTEST_MAIN(TestPillNotification)
#include "tst_pillnotification.moc"
