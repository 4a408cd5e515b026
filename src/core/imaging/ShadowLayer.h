#pragma once

#include <QImage>
#include <QPainterPath>
#include <QSize>

class QPainter;

namespace velmora {

// A soft black drop shadow: shapes are collected into a coverage mask, which is blurred with a
// Gaussian (three box passes) at a reduced resolution — a shadow has no detail to lose — and
// painted back scaled up, with an opacity and a downward offset.
class ShadowLayer
{
public:
    explicit ShadowLayer(const QSize& size);

    void addPath(const QPainterPath& path);
    void addImageAlpha(const QImage& image, const QPoint& at);

    // sigma is the Gaussian's standard deviation in pixels of the full-size layer.
    void paint(QPainter& painter, double sigma, double opacity, double offsetY) const;
    QImage blurredMask(double sigma) const;

private:
    QImage m_mask;
};

// Three box-blur passes approximating a Gaussian of the given sigma on an 8-bit alpha mask.
// Outside the mask counts as empty, so a shadow fades out at the edges of the layer.
void gaussianBlurAlpha(QImage& alpha8, double sigma);

} // namespace velmora
