#pragma once

#include "annotation/Annotation.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSet>

class QPainter;

namespace velmora {

// The picture blur boxes pixellate: the capture, placed at `origin` on the canvas. A blur box only
// ever shows this picture's pixels, never other annotations or the background around it.
struct BlurSource
{
    QImage image;
    QPointF origin;
};

// Draws annotations in canvas coordinates onto any painter: the editor canvas scales the painter
// by its zoom, the export by the output's pixels per point. There is one drawing routine per kind,
// so what is exported is what the canvas shows.
class AnnotationPainter
{
public:
    static void paint(QPainter& painter, const Annotation& annotation, const BlurSource& blur,
                      bool selected = false);
    // Every annotation in list order; texts being edited are left to the text editor.
    static void paintAll(QPainter& painter, const AnnotationList& annotations, const BlurSource& blur,
                         const QSet<QUuid>& selection = {});

    // Canvas chrome, sized in view points (n / zoom canvas units).
    static void paintCropOverlay(QPainter& painter, const QRectF& canvas, const QRectF& crop, double zoom,
                                 bool showGrips, const QColor& accent);
    static void paintSelectionChrome(QPainter& painter, const AnnotationList& annotations,
                                     const QSet<QUuid>& selection, double zoom, const QColor& accent);
};

// The annotations drawn over a copy of `base` at the base's pixel size; the base itself when there
// is nothing to draw.
QImage renderAnnotated(const QImage& base, const AnnotationList& annotations, const BlurSource& blur);

// The pixellated patch for a blur box and where it goes on the canvas; nothing when the box misses
// the picture.
struct PixellatedPatch
{
    QImage image;
    QRectF target;
};
std::optional<PixellatedPatch> pixellatedPatch(const BlurAnnotation& blur, const BlurSource& source);

} // namespace velmora
