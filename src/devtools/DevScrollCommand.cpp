#include "DevScrollCommand.h"

#include "AreaStream.h"
#include "CaptureJob.h"
#include "Platform.h"
#include "capture/ScrollingCaptureController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace velmora {

int runDevScroll(const QRect& native, const QString& file, double seconds)
{
    const auto platform = createPlatform();
    QTextStream out(stdout);
    QTextStream err(stderr);
    int status = 1;
    ScrollingCaptureController controller(*platform->capture, native, 1.0);
    controller.onComplete = [&](const QImage& image) {
        status = image.save(file) ? 0 : 2;
        out << "stitched " << image.width() << 'x' << image.height() << Qt::endl;
        QCoreApplication::quit();
    };
    controller.onCancel = [&] {
        out << "cancelled" << Qt::endl;
        QCoreApplication::quit();
    };
    controller.onFailure = [&](const QString& message) {
        err << "failed: " << message << Qt::endl;
        status = 2;
        QCoreApplication::quit();
    };
    bool said = false;
    QObject::connect(&controller, &ScrollingCaptureController::stateChanged, [&] {
        if (!said && controller.stitchedPixelHeight() > 0) {
            said = true;
            out << "capturing" << Qt::endl;
            QTimer::singleShot(int(seconds * 1000), &controller, &ScrollingCaptureController::finishCapture);
        }
    });
    controller.startCapture();
    QCoreApplication::exec();
    return status;
}

int runDevStream(const QRect& native, double seconds, int rate)
{
    const auto platform = createPlatform();
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<AreaStream> stream = platform->capture->openAreaStream(native);
    int status = 2;
    qint64 readyMs = -1;
    int grabs = 0;
    int fresh = 0;
    qint64 totalNs = 0;
    qint64 longestNs = 0;
    QImage previous;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1000 / std::max(1, rate));
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 asked = clock.nsecsElapsed();
        CaptureJob* job = stream->grab();
        QObject::connect(job, &CaptureJob::done, [&, job, asked] {
            const qint64 took = clock.nsecsElapsed() - asked;
            ++grabs;
            totalNs += took;
            longestNs = std::max(longestNs, took);
            const QImage image = job->image();
            if (image != previous) {
                ++fresh;
                previous = image;
            }
        });
    });
    auto begin = [&] {
        readyMs = clock.elapsed();
        ticks.start();
        QTimer::singleShot(int(seconds * 1000), [&] {
            ticks.stop();
            status = 0;
            QCoreApplication::quit();
        });
    };
    // A display that grabs on demand is ready at once and says nothing.
    if (stream->isReady()) {
        QTimer::singleShot(0, begin);
    }
    QObject::connect(stream.get(), &AreaStream::ready, begin);
    QObject::connect(stream.get(), &AreaStream::failed, [&](const QString& message) {
        QTextStream(stderr) << "failed: " << message << Qt::endl;
        QCoreApplication::quit();
    });
    QObject::connect(stream.get(), &AreaStream::cancelled, [&] {
        status = 1;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    stream.reset();
    if (status == 0) {
        out << "ready after " << readyMs << " ms; " << grabs << " grabs in " << seconds << " s at " << rate
            << "/s, " << fresh << " with a new picture (" << QString::number(fresh / seconds, 'f', 1)
            << "/s); a grab took " << QString::number(grabs ? totalNs / grabs / 1000.0 : 0, 'f', 0)
            << " us on average, " << longestNs / 1000 << " us at most" << Qt::endl;
    }
    return status;
}

} // namespace velmora
