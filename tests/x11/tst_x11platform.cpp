// The X11 backend against a real X server: run by run_x11_tests.sh inside a private Xvfb session
// with openbox. Windows of known pixels are shown by child processes (this binary started with
// --window), since the backend never lists its own process's windows.

#include "CaptureJob.h"
#include "Platform.h"
#include "X11TestSupport.h"
#include "x11/X11Connection.h"
#include "x11/X11PixelReader.h"
#include "x11/X11ScreenCapture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <xcb/xcb.h>

#include <memory>

using namespace velmora;
using namespace velmora::x11test;

namespace {

struct Helper
{
    std::unique_ptr<QProcess> process;
    quint32 window = 0;
    int seed = 0;
};

} // namespace

class TestX11Platform : public QObject
{
    Q_OBJECT

private:
    Helper startWindow(int seed, QRect geometry, const QString& title, const QString& kind = {})
    {
        Helper helper;
        helper.seed = seed;
        helper.process = std::make_unique<QProcess>();
        helper.process->start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--window"), QString::number(seed),
                               QString::number(geometry.x()), QString::number(geometry.y()),
                               QString::number(geometry.width()), QString::number(geometry.height()), title,
                               kind});
        for (int i = 0; i < 100 && !helper.process->canReadLine(); ++i) {
            helper.process->waitForReadyRead(100);
        }
        const QByteArray line = helper.process->readLine().trimmed();
        if (line.startsWith("ready ")) {
            helper.window = line.mid(6).toUInt();
        }
        // Until the window manager has framed it and announced it in its lists.
        for (int i = 0;
             i < 50 && kind != QLatin1String("bypass") && !m_platform->windows->windowInfo(helper.window);
             ++i) {
            QTest::qWait(50);
        }
        QTest::qWait(200);
        return helper;
    }

    static void stop(Helper& helper)
    {
        if (helper.process) {
            helper.process->kill(); // by its own id
            helper.process->waitForFinished(5000);
        }
    }

    std::unique_ptr<Platform> m_platform;
    Helper m_a;
    Helper m_b;
    xcb_connection_t* m_x = nullptr;
    xcb_screen_t* m_screen = nullptr;

    xcb_atom_t atom(const char* name)
    {
        auto* reply =
            xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // The client's part of a window grab: the image covers the frame, the client sits inside it.
    void checkWindowGrab(const Helper& helper)
    {
        const QRect client = clientRect(helper.window);
        const QMargins extents = frameExtents(helper.window);
        const Outcome outcome = await(m_platform->capture->grabWindow(helper.window));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        QCOMPARE(outcome.images.size(), 1);
        const QImage image = outcome.images.first();
        QCOMPARE(image.size(), client.marginsAdded(extents).size());
        COMPARE_PIXELS(image.copy(QRect(QPoint(extents.left(), extents.top()), client.size())),
                       pattern(client.size(), helper.seed));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_platform = createPlatform();
        QCOMPARE(m_platform->name, QStringLiteral("x11"));
        m_x = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(m_x));
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data;
        m_a = startWindow(1, QRect(100, 120, 320, 240), QStringLiteral("Grün ✓ Alpha"));
        QVERIFY(m_a.window != 0);
    }

    void cleanupTestCase()
    {
        stop(m_a);
        stop(m_b);
        if (m_x) {
            xcb_disconnect(m_x);
        }
    }

    void loaderChoice_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("xcb session") << QByteArray() << QStringLiteral("x11");
        QTest::newRow("forced null") << QByteArray("null") << QStringLiteral("null");
        QTest::newRow("forced x11") << QByteArray("x11") << QStringLiteral("x11");
        QTest::newRow("unknown") << QByteArray("wayland-ish") << QStringLiteral("null");
    }

    void loaderChoice()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("VELMORA_PLATFORM");
        if (variable.isEmpty()) {
            qunsetenv("VELMORA_PLATFORM");
        } else {
            qputenv("VELMORA_PLATFORM", variable);
        }
        const auto platform = createPlatform();
        qputenv("VELMORA_PLATFORM", saved);
        QCOMPARE(platform->name, expected);
    }

    void grabAreaReadsTheWindowsPixels()
    {
        const QRect client = clientRect(m_a.window);
        const Outcome outcome = await(m_platform->capture->grabArea(client));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        const QImage image = outcome.images.value(0);
        QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(image.devicePixelRatio(), 1.0);
        // The padding byte X leaves undefined must come out opaque.
        QVERIFY(image.convertToFormat(QImage::Format_RGB32)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied) == image);
        COMPARE_PIXELS(image, pattern(client.size(), m_a.seed));
        COMPARE_PIXELS(image, importRoot().copy(client));

        // Letting go of the kept buffers while a picture still lives in one, then grabbing again:
        // both pictures stay whole.
        m_platform->capture->releaseIdleMemory();
        const Outcome again = await(m_platform->capture->grabArea(client));
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        m_platform->capture->releaseIdleMemory();
        COMPARE_PIXELS(again.images.value(0), pattern(client.size(), m_a.seed));
        COMPARE_PIXELS(image, pattern(client.size(), m_a.seed));
    }

    void grabAreaClipsToTheScreens_data()
    {
        QTest::addColumn<QRect>("asked");
        const QSize root(m_screen->width_in_pixels, m_screen->height_in_pixels);
        QTest::newRow("over the top-left corner") << QRect(-40, -30, 200, 150);
        QTest::newRow("over the bottom-right corner")
            << QRect(root.width() - 100, root.height() - 60, 300, 200);
        QTest::newRow("inside") << QRect(7, 9, 33, 21);
    }

    void grabAreaClipsToTheScreens()
    {
        QFETCH(QRect, asked);
        const QRect screen(0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels);
        const Outcome outcome = await(m_platform->capture->grabArea(asked));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        COMPARE_PIXELS(outcome.images.value(0), importRoot().copy(asked.intersected(screen)));
    }

    void grabAreaOffEveryScreenFails()
    {
        const Outcome outcome = await(m_platform->capture->grabArea(QRect(-500, -500, 100, 100)));
        QVERIFY(outcome.images.isEmpty());
        QCOMPARE(outcome.error, QStringLiteral("the area lies off every screen"));
    }

    void grabScreensAtEachDensity()
    {
        const QImage whole = importRoot();
        const int w = m_screen->width_in_pixels;
        const int h = m_screen->height_in_pixels;
        // Xvfb has one monitor; the density comes from the geometry the caller passes. The first
        // picture is still held while the second is read, so they must not share memory.
        const QList<ScreenGeometry> screens{
            {QRect(0, 0, w, h), 1.0, QStringLiteral("plain")},
            {QRect(w / 4, h / 4, w / 4, h / 4), 2.0, QStringLiteral("dense")}};
        const Outcome outcome = await(m_platform->capture->grabScreens(screens));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        QCOMPARE(outcome.images.size(), 2);
        QCOMPARE(outcome.images[0].devicePixelRatio(), 1.0);
        QCOMPARE(outcome.images[1].devicePixelRatio(), 2.0);
        COMPARE_PIXELS(outcome.images[0], whole);
        // A screen keeps its top-left corner in native pixels; only its size is scaled.
        COMPARE_PIXELS(outcome.images[1], whole.copy(w / 4, h / 4, w / 4 * 2, h / 4 * 2));
    }

    void listsTheWindow()
    {
        const auto info = m_platform->windows->windowInfo(m_a.window);
        QVERIFY(info);
        QCOMPARE(info->frame, clientRect(m_a.window).marginsAdded(frameExtents(m_a.window)));
        QCOMPARE(info->ownerName, QStringLiteral("VelmoraTestHelper"));
        QCOMPARE(info->name, QStringLiteral("Grün ✓ Alpha"));
        const auto hit = m_platform->windows->windowAtPoint(clientRect(m_a.window).center());
        QVERIFY(hit);
        QCOMPARE(hit->windowID, m_a.window);
    }

    void windowOnTopWinsThePoint()
    {
        m_b = startWindow(2, QRect(300, 250, 300, 200), QStringLiteral("Beta"));
        QVERIFY(m_b.window != 0);
        const QRect overlap = clientRect(m_a.window).intersected(clientRect(m_b.window));
        QVERIFY(!overlap.isEmpty());
        const auto hit = m_platform->windows->windowAtPoint(overlap.center());
        QVERIFY(hit);
        QCOMPARE(hit->windowID, m_b.window);
        const QList<WindowInfo> windows = m_platform->windows->visibleWindows();
        QVERIFY(windows.size() >= 2);
        QCOMPARE(windows[0].windowID, m_b.window);
        QCOMPARE(windows[1].windowID, m_a.window);
    }

    void grabWindowCoveredWithoutCompositor()
    {
        checkWindowGrab(m_a);
        // The stacking is put back: the window that covered it covers it again.
        const QRect overlap = clientRect(m_a.window).intersected(clientRect(m_b.window));
        QTRY_COMPARE(m_platform->windows->windowAtPoint(overlap.center()).value_or(WindowInfo{}).windowID,
                     m_b.window);
    }

    void grabWindowCoveredWithCompositor()
    {
        const xcb_atom_t selection = atom("_NET_WM_CM_S0");
        const auto compositorOwner = [&] {
            auto* reply =
                xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, selection), nullptr);
            const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
            std::free(reply);
            return owner;
        };
        QProcess compositor;
        compositor.start(QStringLiteral("xcompmgr"), {QStringLiteral("-n")});
        QVERIFY(compositor.waitForStarted());
        QTRY_VERIFY(compositorOwner() != XCB_WINDOW_NONE);
        // A cover no window manager can stack below the window: only the window's own pixmap has
        // what lies under it.
        Helper cover = startWindow(4, clientRect(m_a.window).adjusted(40, 30, -40, -30),
                                   QStringLiteral("Cover"), QStringLiteral("bypass"));
        QVERIFY(cover.window != 0);
        QTest::qWait(200);
        checkWindowGrab(m_a);
        stop(cover);
        compositor.kill(); // by its own id
        compositor.waitForFinished(5000);
        QTRY_VERIFY(compositorOwner() == XCB_WINDOW_NONE);
    }

    // The margins come off the listed frame and off the grab, whose pixels are the client's inside them.
    void shadowMarginsCutOff()
    {
        Helper csd =
            startWindow(6, QRect(700, 300, 260, 180), QStringLiteral("Shadowed"), QStringLiteral("csd"));
        QVERIFY(csd.window != 0);
        const QRect client = clientRect(csd.window);
        const QMargins margins{int(shadow[0]), int(shadow[2]), int(shadow[1]), int(shadow[3])};
        const auto info = m_platform->windows->windowInfo(csd.window);
        QVERIFY(info);
        QCOMPARE(info->frame, client.marginsRemoved(margins));
        const Outcome outcome = await(m_platform->capture->grabWindow(csd.window));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        COMPARE_PIXELS(outcome.images.value(0),
                       pattern(client.size(), csd.seed)
                           .copy(QRect(QPoint(0, 0), client.size()).marginsRemoved(margins)));
        stop(csd);
    }

    // Screens of different heights: the corner no screen shows comes out transparent, the rest as
    // the screen shows it.
    void grabAreaLeavesHolesBetweenScreensBlank()
    {
        const int w = m_screen->width_in_pixels;
        const int h = m_screen->height_in_pixels;
        const QList<ScreenGeometry> screens{{QRect(0, 0, w / 2, h / 2), 1.0, QStringLiteral("short")},
                                            {QRect(w / 2, 0, w - w / 2, h), 1.0, QStringLiteral("tall")}};
        auto connection = x11::X11Connection::open();
        QVERIFY(connection);
        x11::X11ScreenCapture capture(connection, std::make_shared<x11::X11PixelReader>(connection),
                                      [&] { return ScreenLayout(screens); });
        const QImage screen = importRoot();
        const Outcome outcome = await(capture.grabArea(QRect(-10, -10, w + 20, h + 20)));
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        const QImage image = outcome.images.value(0);
        QCOMPARE(image.size(), QSize(w, h));
        const QRect hole(0, h / 2, w / 2, h - h / 2);
        QImage expected = screen.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        {
            QPainter painter(&expected);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(hole, Qt::transparent);
        }
        QCOMPARE(image.pixel(hole.center()), 0u);
        COMPARE_PIXELS(image, expected);
        // Alpha too: the shown part opaque, the hole transparent.
        const QImage got = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPoint differs(-1, -1);
        for (int y = 0; y < h && differs.x() < 0; ++y) {
            for (int x = 0; x < w && differs.x() < 0; ++x) {
                if (qAlpha(got.pixel(x, y)) != qAlpha(expected.pixel(x, y))) {
                    differs = QPoint(x, y);
                }
            }
        }
        QVERIFY2(differs.x() < 0,
                 qPrintable(QStringLiteral("alpha at (%1, %2)").arg(differs.x()).arg(differs.y())));
    }

    // Without the window manager's stacking list the root's children give the same answer.
    void listWithoutStackingProperty()
    {
        const QList<WindowInfo> withList = m_platform->windows->visibleWindows();
        const xcb_atom_t stacking = atom("_NET_CLIENT_LIST_STACKING");
        auto* saved = xcb_get_property_reply(
            m_x, xcb_get_property(m_x, 0, m_screen->root, stacking, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        QVERIFY(saved && saved->value_len > 0);
        xcb_delete_property(m_x, m_screen->root, stacking);
        std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
        const QList<WindowInfo> fromTree = m_platform->windows->visibleWindows();
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, m_screen->root, stacking, XCB_ATOM_WINDOW, 32,
                            saved->value_len, xcb_get_property_value(saved));
        std::free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
        std::free(saved);
        QVERIFY(withList.size() >= 2);
        QCOMPARE(fromTree, withList);
    }

    void grabWindowUnmappedFails()
    {
        Helper hidden = startWindow(7, QRect(60, 60, 200, 150), QStringLiteral("Hidden"));
        QVERIFY(hidden.window != 0);
        xcb_unmap_window(m_x, hidden.window);
        xcb_flush(m_x);
        QTRY_VERIFY(!m_platform->windows->windowInfo(hidden.window));
        const Outcome outcome = await(m_platform->capture->grabWindow(hidden.window));
        stop(hidden);
        QVERIFY(outcome.images.isEmpty());
        QCOMPARE(outcome.error,
                 QStringLiteral("the window is not shown on screen, so it cannot be captured"));
    }

    void grabWindowThatClosedFails()
    {
        Helper gone = startWindow(3, QRect(50, 50, 200, 150), QStringLiteral("Gone"));
        QVERIFY(gone.window != 0);
        stop(gone);
        QTRY_VERIFY(!m_platform->windows->windowInfo(gone.window));
        const Outcome outcome = await(m_platform->capture->grabWindow(gone.window));
        QVERIFY(outcome.images.isEmpty());
        QCOMPARE(outcome.error, QStringLiteral("the window closed before it could be captured"));
    }

    void rootBackground()
    {
        QVERIFY(!m_platform->rootBackground->picture());
        const QImage picture = pattern(QSize(64, 48), 5);
        const xcb_pixmap_t pixmap = xcb_generate_id(m_x);
        xcb_create_pixmap(m_x, m_screen->root_depth, pixmap, m_screen->root, 64, 48);
        const xcb_gcontext_t gc = xcb_generate_id(m_x);
        xcb_create_gc(m_x, gc, pixmap, 0, nullptr);
        xcb_put_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, 64, 48, 0, 0, 0, m_screen->root_depth,
                      uint32_t(picture.sizeInBytes()), picture.constBits());
        const xcb_atom_t property = atom("_XROOTPMAP_ID");
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, m_screen->root, property, XCB_ATOM_PIXMAP, 32, 1,
                            &pixmap);
        free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr)); // a round trip: all done
        const auto read = m_platform->rootBackground->picture();
        QVERIFY(read);
        COMPARE_PIXELS(*read, picture);

        // The property stays behind when the pixmap goes.
        xcb_free_pixmap(m_x, pixmap);
        xcb_free_gc(m_x, gc);
        free(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
        QVERIFY(!m_platform->rootBackground->picture());
        xcb_delete_property(m_x, m_screen->root, property);
        xcb_flush(m_x);
    }

    void activateMovesTheActiveWindow()
    {
        m_platform->focus->activate(m_a.window);
        QTRY_COMPARE(m_platform->focus->activeWindow(), m_a.window);
        m_platform->focus->activate(m_b.window);
        QTRY_COMPARE(m_platform->focus->activeWindow(), m_b.window);
    }
};

int main(int argc, char** argv)
{
    if (argc >= 8 && qstrcmp(argv[1], "--window") == 0) {
        return runWindow(argc, argv);
    }
    QGuiApplication app(argc, argv);
    TestX11Platform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11platform.moc"
