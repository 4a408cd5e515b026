#pragma once

#include <QByteArray>
#include <QImage>

#include <functional>

namespace velmora::bench {

// A desktop: wallpaper gradient, a photo-like area, a few windows full of text. With `flat`, the
// same windows on a plain grey background (what a region capture of an application looks like).
QImage uiContent(int width, int height, bool flat = false);

// CPU time this process has used so far, all threads, in milliseconds.
double processCpuMs();

// Median of `runs` timings in milliseconds.
double medianMs(int runs, const std::function<void()>& work);

// Qt's own PNG writer with its default settings.
QByteArray qtPng(const QImage& image);

} // namespace velmora::bench
