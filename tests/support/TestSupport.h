#pragma once

#include "annotation/Annotation.h"

#include <QImage>
#include <QString>
#include <QTemporaryDir>

namespace velmora::test {

// How long a test waits for something asynchronous. It is a bound, not a pace: a wait ends as soon
// as its condition holds, and sanitizer builds on a busy machine can be many times slower.
inline constexpr int waitTimeout = 60000;

// A temporary folder that XDG_* variables and QStandardPaths point into for the life of a test,
// so nothing touches the real home folder.
class IsolatedHome
{
public:
    IsolatedHome();
    ~IsolatedHome();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// An image of the given point size and pixel density filled with one colour.
QImage solidImage(int width, int height, QColor color, double devicePixelRatio = 1.0);

// How many characters must be inserted, deleted or replaced to turn `reference` into `text`
// (Levenshtein): what recognised text is scored by.
int editDistance(const QString& reference, const QString& text);

} // namespace velmora::test

namespace velmora::test {

// Annotations with a fresh id and default style, placed where a test needs them.
RectAnnotation rect(double x, double y, double w = 40, double h = 30);
EllipseAnnotation ellipse(double x, double y, double w, double h);
ArrowAnnotation arrow(QPointF start, QPointF end);
DrawAnnotation stroke(QVector<QPointF> points);
TextAnnotation text(QString value, QPointF position);

// How many pixels of two images of one size differ by more than `tolerance` in a colour channel.
int differingPixels(const QImage& a, const QImage& b, int tolerance);

// Writes the image as a PNG under $VELMORA_TEST_DUMP (when set), for looking at what a test drew.
void dump(const QImage& image, const QString& name);
} // namespace velmora::test
