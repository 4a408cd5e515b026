#pragma once

#include "annotation/Annotation.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSet>

#include <functional>

class QPainter;

namespace velmora {

// The picture blur boxes pixellate: the capture, placed at `origin` on the canvas. A blur box only
// ever shows this picture's pixels, never other annotations or the background around it.
struct BlurSource
{
    QImage image;
    QPointF origin;
};

// The pixellated patch for a blur box and where it goes on the canvas; nothing when the box misses
// the picture.
struct PixellatedPatch
{
    QImage image;
    QRectF target;
};
std::optional<PixellatedPatch> pixellatedPatch(const BlurAnnotation& blur, const BlurSource& source);

// How a list is painted: the export needs only the blur source; the canvas also leaves out the
// text being typed, marks the selection, shows the drag in progress and keeps its blur patches.
struct AnnotationListPaint
{
    BlurSource blur{};
    std::optional<QUuid> skip{}; // the text being typed: its editor shows it
    QSet<QUuid> selection{};
    AnnotationList provisional{}; // painted over the list, never selected: what a drag is making
    // A patch made earlier (null when the box misses the picture), so repaints need not pixellate.
    std::function<const PixellatedPatch*(const BlurAnnotation&, const BlurSource&)> keptBlurPatch{};
};

// Draws annotations in canvas coordinates onto any painter: the editor canvas scales the painter
// by its zoom, the export by the output's pixels per point. There is one drawing routine per kind,
// so what is exported is what the canvas shows.
class AnnotationPainter
{
public:
    static void paint(QPainter& painter, const Annotation& annotation, const BlurSource& blur,
                      bool selected = false);
    // Every annotation in list order, then the provisional ones: for the canvas and the export alike.
    static void paintList(QPainter& painter, const AnnotationList& annotations,
                          const AnnotationListPaint& options);

    // Canvas chrome, sized in view points (n / zoom canvas units).
    static void paintCropOverlay(QPainter& painter, const QRectF& canvas, const QRectF& crop, double zoom,
                                 bool showGrips, const QColor& accent);
    static void paintSelectionChrome(QPainter& painter, const AnnotationList& annotations,
                                     const QSet<QUuid>& selection, double zoom, const QColor& accent);
};

// The annotations drawn over a copy of `base` at the base's pixel size; the base itself when there
// is nothing to draw.
QImage renderAnnotated(const QImage& base, const AnnotationList& annotations, const BlurSource& blur);

} // namespace velmora
