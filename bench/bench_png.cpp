// Prints how long PNG encoding and the background blur take on screenshot-like content, for the
// encoders Velmora has and for Qt's own PNG writer. Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "imaging/Blur.h"
#include "imaging/ImageDecoder.h"
#include "imaging/PngEncoder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

using namespace velmora;
using namespace velmora::bench;
using Encoder = PngOptions::Encoder;

namespace {

bool decodesTo(const QByteArray& png, const QImage& image)
{
    QBuffer buffer;
    buffer.setData(png);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(1024);
    const QImage decoded = reader.read();
    return decoded.convertToFormat(QImage::Format_RGB32) == image.convertToFormat(QImage::Format_RGB32);
}

struct Variant
{
    const char* name;
    std::function<QByteArray(const QImage&)> encode;
};

void benchSize(int width, int height, bool flat, int runs)
{
    const QImage image = uiContent(width, height, flat);
    std::printf("\n%d x %d, %s, opaque, Format_ARGB32_Premultiplied (median of %d runs)\n", width, height,
                flat ? "windows on a flat background" : "desktop with wallpaper gradient, photo and windows",
                runs);
    const auto ours = [](Encoder encoder, PngOptions::RowFilter filter, bool rgb) {
        PngOptions options;
        options.encoder = encoder;
        options.filter = filter;
        options.rgbWhenOpaque = rgb;
        return [options](const QImage& image) { return encodePng(image, options).value_or(QByteArray()); };
    };
    using Filter = PngOptions::RowFilter;
    const Variant variants[] = {
        {"libspng, level 1, no filter, RGB", ours(Encoder::Libspng, Filter::None, true)},
        {"libspng, level 1, no filter, RGBA", ours(Encoder::Libspng, Filter::None, false)},
        {"parallel deflate, level 1, no filter, RGB", ours(Encoder::ParallelDeflate, Filter::None, true)},
        {"parallel deflate, level 1, no filter, RGBA", ours(Encoder::ParallelDeflate, Filter::None, false)},
        {"parallel deflate, level 1, Up filter, RGB", ours(Encoder::ParallelDeflate, Filter::Up, true)},
        {"Qt QImageWriter PNG (default)", qtPng},
    };

    std::vector<double> times;
    std::vector<qsizetype> sizes;
    for (const Variant& variant : variants) {
        QByteArray png;
        const double cpuBefore = processCpuMs();
        const double ms = medianMs(runs, [&] { png = variant.encode(image); });
        const double cpuMs = (processCpuMs() - cpuBefore) / runs;
        times.push_back(ms);
        sizes.push_back(png.size());
        std::printf("  %-44s %7.1f ms (CPU %7.1f ms) %7.2f MB  %s\n", variant.name, ms, cpuMs,
                    double(png.size()) / 1e6,
                    decodesTo(png, image) ? "decodes identically" : "DOES NOT DECODE IDENTICALLY");
    }
    const double qtMs = times.back();
    const double qtSize = double(sizes.back());
    std::printf("  relative to Qt's writer:\n");
    for (std::size_t i = 0; i + 1 < times.size(); ++i)
        std::printf("    %-42s %5.2fx faster, %5.2fx the size\n", variants[i].name, qtMs / times[i],
                    double(sizes[i]) / qtSize);
}

void benchBlur(int width, int height, double radius, int runs)
{
    const QImage image = uiContent(width, height);
    QImage result;
    const double cpuBefore = processCpuMs();
    const double ms = medianMs(runs, [&] { result = blurred(image, radius); });
    const double cpuMs = (processCpuMs() - cpuBefore) / runs;
    std::printf("  blurred(%d x %d, radius %g): %.1f ms (CPU time of all threads: %.1f ms)\n", width, height,
                radius, ms, cpuMs);
}

// Decoding a PNG as Qt's writer saves it (as most tools do): Qt's reader with the conversion
// Velmora needs after it, against Velmora's decoder.
void benchDecode(int width, int height, int runs)
{
    const QImage image = uiContent(width, height);
    const QByteArray png = qtPng(image);
    std::printf("\nDecoding %d x %d (%.1f MB PNG from Qt's writer, median of %d runs)\n", width, height,
                double(png.size()) / 1e6, runs);
    QImage viaQt;
    double cpuBefore = processCpuMs();
    double ms = medianMs(runs, [&] {
        QBuffer buffer;
        buffer.setData(png);
        QImageReader reader(&buffer, "png");
        reader.setAllocationLimit(1024);
        viaQt = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    });
    std::printf("  Qt QImageReader + conversion      %7.1f ms (CPU %7.1f ms)\n", ms,
                (processCpuMs() - cpuBefore) / runs);
    std::optional<QImage> ours;
    cpuBefore = processCpuMs();
    ms = medianMs(runs, [&] { ours = decodeImageData(png); });
    std::printf("  decodeImageData (libspng)         %7.1f ms (CPU %7.1f ms)  %s\n", ms,
                (processCpuMs() - cpuBefore) / runs,
                ours && *ours == viaQt ? "same pixels" : "PIXELS DIFFER");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // "png", "blur" or "decode" runs only that part.
    const QString only = app.arguments().value(1);
    if (only == QLatin1String("decode")) {
        benchDecode(5120, 2880, 5);
        return 0;
    }
    std::printf("Threads in the global pool: %d\n", QThreadPool::globalInstance()->maxThreadCount());
    if (only != QLatin1String("blur")) {
        for (const bool flat : {false, true}) {
            benchSize(3840, 2160, flat, 5);
            benchSize(5120, 2880, flat, 5);
        }
    }
    if (only != QLatin1String("png")) {
        std::printf("\nBlur\n");
        // "blur R" measures one radius at 5K.
        const double radius = app.arguments().value(2).toDouble();
        if (radius > 0) {
            benchBlur(5120, 2880, radius, 5);
            return 0;
        }
        benchBlur(5120, 2880, 20, 5);
        benchBlur(5120, 2880, 40, 5);
        benchBlur(5120, 2880, 3, 3);
        benchBlur(5120, 2880, 1, 3);
        benchBlur(1920, 1080, 20, 5);
    }
    return 0;
}
