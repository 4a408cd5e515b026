#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <QSize>

class QPainter;

namespace velmora {

// A soft black drop shadow. A shadow has no detail to lose, so its shapes are collected into a
// coverage mask at a reduced resolution (where the blur is a few pixels wide), blurred there
// with a Gaussian (three box passes), and painted back scaled up with an opacity and a downward
// offset.
class ShadowLayer
{
public:
    // `sigma` is the Gaussian's standard deviation in pixels of the full-size layer.
    ShadowLayer(const QSize& size, double sigma);
    // A full-resolution layer whose blur is given when painting (for small layers).
    explicit ShadowLayer(const QSize& size) : ShadowLayer(size, 0) {}

    // False when the memory for the layer could not be had; nothing may be drawn with it then.
    bool isValid() const { return !m_mask.isNull(); }

    void addPath(const QPainterPath& path);
    void addImageAlpha(const QImage& image, const QPoint& at);

    // Paints the shadow; only inside `clip` when one is given (the parts a covering picture would
    // hide anyway need not be drawn). False when there was no memory for the blurred mask.
    bool paint(QPainter& painter, double opacity, double offsetY, const QRegion& clip = {}) const;
    bool paint(QPainter& painter, double sigma, double opacity, double offsetY) const;
    // The blurred coverage at the reduced resolution, and that resolution's scale.
    QImage blurredMask() const { return blurredMask(m_sigma); }
    QImage blurredMask(double sigma) const;
    double scale() const { return m_scale; }

private:
    QSize m_size;
    double m_sigma;
    double m_scale;
    QImage m_mask;
};

// Three box-blur passes approximating a Gaussian of the given sigma on an 8-bit alpha mask.
// Outside the mask counts as empty, so a shadow fades out at the edges of the layer.
void gaussianBlurAlpha(QImage& alpha8, double sigma);

} // namespace velmora
