#include "BenchSupport.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace velmora::bench {

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

} // namespace

// A desktop: wallpaper gradient, a photo-like area, a few windows full of text. With `flat`, the
// same windows on a plain grey background (what a region capture of an application looks like).
QImage uiContent(int width, int height, bool flat)
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

} // namespace velmora::bench
