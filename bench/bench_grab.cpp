// Prints how long a grab of the whole X screen takes: GetImage through the socket against the
// shared-memory path, the backend's asynchronous grabScreens end to end, and Qt's own
// QScreen::grabWindow for reference. Run it in an X session of the size to measure, e.g.
//   Xvfb :77 -screen 0 5120x2880x24 & DISPLAY=:77 build/bench/bench_grab
// Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "CaptureJob.h"
#include "x11/X11Connection.h"
#include "x11/X11PixelReader.h"
#include "x11/X11ScreenCapture.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

using namespace velmora;
using namespace velmora::bench;
using Method = x11::X11PixelReader::Method;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 15;
    auto connection = x11::X11Connection::open();
    if (!connection) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const QRect root(0, 0, connection->screen()->width_in_pixels, connection->screen()->height_in_pixels);
    const int depth = connection->screen()->root_depth;
    std::printf("%d x %d root window, depth %d, shared memory %s (median of %d runs)\n", root.width(),
                root.height(), depth, connection->hasShm() ? "available" : "missing", runs);

    const auto report = [](const char* what, double ms) { std::printf("  %-52s %8.1f ms\n", what, ms); };
    {
        x11::X11PixelReader reader(connection);
        report("GetImage (reply buffer kept, alpha fixed in place)", medianMs(runs, [&] {
                   if (!reader.read(connection->root(), root, depth, Method::getImage)) {
                       std::fprintf(stderr, "GetImage failed\n");
                   }
               }));
    }
    if (connection->hasShm()) {
        x11::X11PixelReader reader(connection);
        report("shared memory, first grab (segment made and attached)",
               medianMs(1, [&] { reader.read(connection->root(), root, depth, Method::shm); }));
        report("shared memory, segment reused (picture kept in it)", medianMs(runs, [&] {
                   if (!reader.read(connection->root(), root, depth, Method::shm)) {
                       std::fprintf(stderr, "shm grab failed\n");
                   }
               }));
    }
    {
        auto reader = std::make_shared<x11::X11PixelReader>(connection);
        x11::X11ScreenCapture capture(connection, reader);
        const QList<ScreenGeometry> screens{{root, 1.0, QStringLiteral("root")}};
        report("grabScreens, thread pool and job included", medianMs(runs, [&] {
                   QEventLoop loop;
                   CaptureJob* job = capture.grabScreens(screens);
                   QObject::connect(job, &CaptureJob::done, &loop, &QEventLoop::quit);
                   QObject::connect(job, &CaptureJob::failed, &loop, &QEventLoop::quit);
                   loop.exec();
               }));
    }
    report("Qt QScreen::grabWindow(0)",
           medianMs(runs, [&] { QGuiApplication::primaryScreen()->grabWindow(0); }));
    return 0;
}
