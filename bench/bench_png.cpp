// Prints how long PNG encoding and the background blur take on screenshot-like content, for the
// encoders Velmora has and for Qt's own PNG writer. Figures only; nothing is asserted.

#include "imaging/Blur.h"
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
#include <vector>

using namespace velmora;
using Encoder = PngOptions::Encoder;

namespace {

void paintWindow(QPainter& painter, const QRect& frame, QRandomGenerator& random, int scale)
{
    QPainterPath outline;
    outline.addRoundedRect(frame, 10 * scale, 10 * scale);
    painter.fillPath(outline, QColor(250, 250, 252));
    const QRect titleBar(frame.left(), frame.top(), frame.width(), 36 * scale);
    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(titleBar, QColor(232, 232, 236));
    painter.fillRect(QRect(frame.left(), titleBar.bottom(), 220 * scale, frame.height()),
                     QColor(240, 241, 245));
    painter.restore();
    const QColor buttons[] = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(buttons[i]);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(frame.left() + (20 + 22 * i) * scale, frame.top() + 18 * scale), 7 * scale,
                            7 * scale);
    }

    QFont font = painter.font();
    font.setPixelSize(14 * scale);
    painter.setFont(font);
    painter.setPen(QColor(60, 60, 67));
    painter.drawText(titleBar, Qt::AlignCenter, QStringLiteral("Project notes — Velmora"));

    static const char* words[] = {"capture",  "region", "window",   "annotation", "arrow",
                                  "pixel",    "render", "the",      "of",         "and",
                                  "settings", "screen", "shortcut", "export",     "a"};
    int y = titleBar.bottom() + 30 * scale;
    for (int line = 0; y < frame.bottom() - 20 * scale; ++line, y += 22 * scale) {
        QString sidebar = QString::fromLatin1(words[random.bounded(15)]);
        painter.setPen(QColor(90, 90, 100));
        painter.drawText(QPoint(frame.left() + 16 * scale, y), sidebar);
        QString text;
        const int count = 6 + random.bounded(10);
        for (int w = 0; w < count; ++w)
            text += QString::fromLatin1(words[random.bounded(15)]) + QLatin1Char(' ');
        painter.setPen(line % 7 == 0 ? QColor(20, 90, 200) : QColor(30, 30, 35));
        painter.drawText(QPoint(frame.left() + 240 * scale, y), text);
    }
}

// A desktop: wallpaper gradient, a photo-like area, a few windows full of text. With `flat`, the
// same windows on a plain grey background (what a region capture of an application looks like).
QImage uiContent(int width, int height, bool flat = false)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(20240611);
    const int scale = std::max(1, width / 1920);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient wallpaper(0, 0, width, height);
    wallpaper.setColorAt(0, QColor(38, 70, 140));
    wallpaper.setColorAt(0.5, QColor(120, 80, 160));
    wallpaper.setColorAt(1, QColor(240, 150, 110));
    painter.fillRect(image.rect(), flat ? QBrush(QColor(236, 236, 240)) : QBrush(wallpaper));

    // Photo-like: smooth shapes with sensor noise on top.
    const QRect photo(width * 55 / 100, height * 45 / 100, width * 40 / 100, height * 45 / 100);
    for (int y = photo.top(); !flat && y <= photo.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = photo.left(); x <= photo.right(); ++x) {
            const double u = double(x - photo.left()) / photo.width();
            const double v = double(y - photo.top()) / photo.height();
            const int noise = int(random.bounded(17)) - 8;
            const auto channel = [&](double value) { return std::clamp(int(value) + noise, 0, 255); };
            line[x] = qRgb(channel(120 + 90 * std::sin(6 * u + 2 * v)),
                           channel(140 + 70 * std::cos(5 * v - u)), channel(100 + 60 * std::sin(9 * u * v)));
        }
    }

    painter.setPen(Qt::NoPen);
    painter.fillRect(QRect(0, 0, width, 28 * scale), QColor(20, 20, 24, 230));
    paintWindow(painter, QRect(width * 4 / 100, height * 6 / 100, width * 48 / 100, height * 60 / 100),
                random, scale);
    paintWindow(painter, QRect(width * 30 / 100, height * 30 / 100, width * 40 / 100, height * 55 / 100),
                random, scale);
    paintWindow(painter, QRect(width * 62 / 100, height * 5 / 100, width * 34 / 100, height * 36 / 100),
                random, scale);
    painter.end();
    return image;
}

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Median of `runs` timings in milliseconds.
double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QByteArray qtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

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

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // "png" or "blur" runs only that half.
    const QString only = app.arguments().value(1);
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
