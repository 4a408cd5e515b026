// Prints how long cutting one screencast frame down to the captured region takes, for each byte
// order the stream can come in: the work done on PipeWire's thread for every frame of a scrolling
// capture (a 1200x800 region of a padded 1920x1080 frame, and the whole frame). Figures only.
//   build/bench/bench_streamframe [runs]

#include "BenchSupport.h"
#include "portal/StreamFrame.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstring>

#include <cstdio>
#include <vector>

using namespace velmora;
using namespace velmora::bench;
using namespace velmora::portal;

int main(int argc, char** argv)
{
    // The desktop picture draws text.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const QSize size(1920, 1080);
    const int stride = size.width() * 4 + 256;
    const QImage desktop = uiContent(size.width(), size.height()).convertToFormat(QImage::Format_RGB32);
    std::vector<uchar> bytes(size_t(stride) * size.height());
    for (int y = 0; y < size.height(); ++y) {
        std::memcpy(bytes.data() + size_t(y) * stride, desktop.constScanLine(y), size_t(size.width()) * 4);
    }
    std::printf("%d x %d frame, row stride %d bytes (median of %d runs)\n", size.width(), size.height(),
                stride, runs);
    const struct
    {
        const char* name;
        StreamPixelFormat format;
    } formats[] = {{"BGRx", StreamPixelFormat::bgrx},
                   {"BGRA", StreamPixelFormat::bgra},
                   {"RGBx", StreamPixelFormat::rgbx},
                   {"RGBA", StreamPixelFormat::rgba}};
    for (const QRect crop : {QRect(300, 140, 1200, 800), QRect(QPoint(0, 0), size)}) {
        for (const auto& format : formats) {
            const StreamFrame frame{bytes.data(), size, stride, format.format, {}};
            const double ms = medianMs(runs, [&] {
                if (cropStreamFrame(frame, crop).isNull()) {
                    std::fprintf(stderr, "crop failed\n");
                }
            });
            std::printf("  %s, %4d x %4d region  %8.3f ms\n", format.name, crop.width(), crop.height(), ms);
        }
    }
    return 0;
}
