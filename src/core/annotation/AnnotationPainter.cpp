#include "annotation/AnnotationPainter.h"
#include "Overloaded.h"

#include "annotation/AnnotationGeometry.h"
#include "annotation/ArrowPath.h"
#include "annotation/TextLayout.h"
#include "imaging/LargeImage.h"
#include "imaging/PixelMetrics.h"
#include "imaging/Pixellate.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace velmora {

namespace {

const QColor outlineWhite(255, 255, 255);

QPen standardPen(const QColor& color, double width)
{
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    return pen;
}

// Strokes a path, first in white 4 units wider when the annotation has an outline.
void strokeWithOutline(QPainter& painter, const QPainterPath& path, const Color& color, double width,
                       bool outline)
{
    painter.setBrush(Qt::NoBrush);
    if (outline) {
        painter.setPen(standardPen(outlineWhite, width + 4));
        painter.drawPath(path);
    }
    painter.setPen(standardPen(color.toQColor(), width));
    painter.drawPath(path);
}

void paintArrow(QPainter& painter, const ArrowAnnotation& arrow)
{
    const ArrowGeometry geometry = arrowGeometry(arrow);
    const QColor color = arrow.color.toQColor();
    if (geometry.filledPolygon) {
        if (arrow.hasWhiteStroke) {
            painter.setPen(standardPen(outlineWhite, 4));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(*geometry.filledPolygon);
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(*geometry.filledPolygon);
        return;
    }
    if (arrow.hasWhiteStroke) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(standardPen(outlineWhite, arrow.lineWidth + 4));
        for (const QPainterPath& line : geometry.strokes) {
            painter.drawPath(line);
        }
        painter.setPen(standardPen(outlineWhite, geometry.headStrokeWidth + 4));
        painter.setBrush(outlineWhite);
        for (const QPainterPath& head : geometry.heads) {
            painter.drawPath(head);
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(standardPen(color, arrow.lineWidth));
    for (const QPainterPath& line : geometry.strokes) {
        painter.drawPath(line);
    }
    painter.setPen(standardPen(color, geometry.headStrokeWidth));
    painter.setBrush(color);
    for (const QPainterPath& head : geometry.heads) {
        painter.drawPath(head);
    }
}

const QPointF eightOffsets[] = {{-2, 0}, {2, 0}, {0, -2}, {0, 2}, {-2, -2}, {2, -2}, {-2, 2}, {2, 2}};

void fillCopies(QPainter& painter, const QPainterPath& glyphs, const QColor& color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const QPointF& offset : eightOffsets) {
        painter.drawPath(glyphs.translated(offset));
    }
}

void paintText(QPainter& painter, const TextAnnotation& text)
{
    if (text.text.isEmpty()) {
        return;
    }
    const QSizeF size = measuredTextSize(text);
    const QRectF block(text.position.x() - size.width() / 2, text.position.y() - size.height() / 2,
                       size.width(), size.height());
    const QPainterPath glyphs = textGlyphPath(text, block);
    const QColor color = text.color.toQColor();
    const double f = text.fontSize;

    switch (text.style) {
    case TextStyle::box: {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRect(block.adjusted(-0.25 * f, -0.12 * f, 0.25 * f, 0.12 * f));
        break;
    }
    case TextStyle::roundedBox: {
        const QRectF box = block.adjusted(-0.45 * f, -0.18 * f, 0.45 * f, 0.18 * f);
        const double radius = std::min(box.width(), box.height()) / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(box, radius, radius);
        break;
    }
    default:
        break;
    }

    if (text.style == TextStyle::outlined) {
        fillCopies(painter, glyphs, color);
        painter.setBrush(outlineWhite);
        painter.drawPath(glyphs);
        return;
    }
    if (text.hasWhiteStroke) {
        fillCopies(painter, glyphs, outlineWhite);
    }
    const bool onBox = text.style == TextStyle::box || text.style == TextStyle::roundedBox;
    painter.setPen(Qt::NoPen);
    painter.setBrush(onBox ? outlineWhite : color);
    painter.drawPath(glyphs);
}

// Blocks stay sharp at every scale.
void drawPixellatedPatch(QPainter& painter, const PixellatedPatch& patch)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(patch.target, patch.image);
    painter.restore();
}

void paintBlur(QPainter& painter, const BlurAnnotation& blur, const BlurSource& source)
{
    if (const auto patch = pixellatedPatch(blur, source)) {
        drawPixellatedPatch(painter, *patch);
    }
}

void paintSelectedFeedback(QPainter& painter, const Annotation& annotation)
{
    QPen pen(QColor(128, 128, 128, 128), 1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    std::visit(
        Overloaded{
            [](const ArrowAnnotation&) {},
            [&](const RectAnnotation& r) {
                const double radius = r.cornerRadius + 3;
                painter.drawRoundedRect(r.rect().adjusted(-3, -3, 3, 3), radius, radius);
            },
            [&](const EllipseAnnotation& e) { painter.drawEllipse(e.rect().adjusted(-3, -3, 3, 3)); },
            [&](const TextAnnotation& t) {
                if (const auto bounds = selectionBoundingRect(t)) {
                    painter.drawRect(bounds->adjusted(-3, -3, 3, 3));
                }
            },
            [&](const DrawAnnotation& d) { painter.drawRect(d.boundingRect().adjusted(-5, -5, 5, 5)); },
            [&](const BlurAnnotation& b) { painter.drawRect(b.rect().adjusted(-3, -3, 3, 3)); },
        },
        annotation);
}

void paintGrip(QPainter& painter, const QPointF& centre, double zoom, const QColor& accent)
{
    const double radius = 4 / zoom;
    painter.setPen(QPen(accent, 1.5 / zoom));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
}

} // namespace

std::optional<PixellatedPatch> pixellatedPatch(const BlurAnnotation& blur, const BlurSource& source)
{
    const QImage& image = source.image;
    if (image.isNull()) {
        return std::nullopt;
    }
    const QRectF imageBounds(QPointF(0, 0), pointSize(image));
    const QRectF region = blur.rect().translated(-source.origin).intersected(imageBounds);
    if (region.isEmpty()) {
        return std::nullopt;
    }
    const double kx = image.width() / imageBounds.width();
    const double ky = image.height() / imageBounds.height();
    const QRectF regionPixels(region.x() * kx, region.y() * ky, region.width() * kx, region.height() * ky);
    QImage patch = pixellated(image, regionPixels, blur.pixelSize * kx);
    if (patch.isNull()) {
        return std::nullopt;
    }
    const QRect covered = pixellationRect(image, regionPixels);
    const QRectF target(covered.x() / kx, covered.y() / ky, covered.width() / kx, covered.height() / ky);
    patch.setDevicePixelRatio(1);
    return PixellatedPatch{patch, target.translated(source.origin)};
}

QImage renderAnnotated(const QImage& base, const AnnotationList& annotations, const BlurSource& blur)
{
    if (annotations.isEmpty() || base.isNull()) {
        return base;
    }
    QImage out = largeCopy(base);
    // Drawn in points, scaled by the image's own pixel scale. QPainter would apply the density by
    // itself, but never one below 1, which would put annotations on a low-density capture off its
    // pixels.
    const double scale = nativePixelScale(out);
    out.setDevicePixelRatio(1);
    QPainter painter(&out);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    AnnotationPainter::paintList(painter, annotations, {.blur = blur});
    painter.end();
    out.setDevicePixelRatio(scale);
    return out;
}

void AnnotationPainter::paint(QPainter& painter, const Annotation& annotation, const BlurSource& blur,
                              bool selected)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    std::visit(Overloaded{
                   [&](const ArrowAnnotation& a) { paintArrow(painter, a); },
                   [&](const TextAnnotation& t) { paintText(painter, t); },
                   [&](const RectAnnotation& r) {
                       QPainterPath path;
                       path.addRoundedRect(r.rect(), r.cornerRadius, r.cornerRadius);
                       strokeWithOutline(painter, path, r.color, r.lineWidth, r.hasWhiteStroke);
                   },
                   [&](const EllipseAnnotation& e) {
                       QPainterPath path;
                       path.addEllipse(e.rect());
                       strokeWithOutline(painter, path, e.color, e.lineWidth, e.hasWhiteStroke);
                   },
                   [&](const DrawAnnotation& d) {
                       if (d.points.size() < 2) {
                           return;
                       }
                       QPainterPath path(d.points.front());
                       for (qsizetype i = 1; i < d.points.size(); ++i) {
                           path.lineTo(d.points[i]);
                       }
                       strokeWithOutline(painter, path, d.color, d.lineWidth, d.hasWhiteStroke);
                   },
                   [&](const BlurAnnotation& b) { paintBlur(painter, b, blur); },
               },
               annotation);
    if (selected) {
        paintSelectedFeedback(painter, annotation);
    }
    painter.restore();
}

void AnnotationPainter::paintList(QPainter& painter, const AnnotationList& annotations,
                                  const AnnotationListPaint& options)
{
    const auto paintOne = [&](const Annotation& annotation, bool selected) {
        const auto* blur = std::get_if<BlurAnnotation>(&annotation);
        const bool kept = blur && options.keptBlurPatch;
        if (const PixellatedPatch* patch = kept ? options.keptBlurPatch(*blur, options.blur) : nullptr) {
            drawPixellatedPatch(painter, *patch);
        }
        // Over a kept patch only the selection outline is left: without a picture a box draws nothing.
        paint(painter, annotation, kept ? BlurSource{} : options.blur, selected);
    };
    for (const Annotation& annotation : annotations) {
        if (const QUuid id = annotationId(annotation); id != options.skip) {
            paintOne(annotation, options.selection.contains(id));
        }
    }
    for (const Annotation& annotation : options.provisional) {
        paintOne(annotation, false);
    }
}

void AnnotationPainter::paintCropOverlay(QPainter& painter, const QRectF& canvas, const QRectF& crop,
                                         double zoom, bool showGrips, const QColor& accent)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shade;
    shade.setFillRule(Qt::OddEvenFill);
    shade.addRect(canvas);
    shade.addRect(crop);
    painter.fillPath(shade, QColor(0, 0, 0, qRound(0.45 * 255)));

    QPen border(Qt::white, 1.5 / zoom, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    // Qt measures dashes in pen widths.
    const double width = 1.5 / zoom;
    border.setDashPattern({(4 / zoom) / width, (3 / zoom) / width});
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(crop);
    if (showGrips) {
        for (const auto& [handle, point] : rectHandles(crop)) {
            paintGrip(painter, point, zoom, accent);
        }
    }
    painter.restore();
}

void AnnotationPainter::paintSelectionChrome(QPainter& painter, const AnnotationList& annotations,
                                             const QSet<QUuid>& selection, double zoom, const QColor& accent)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const Annotation* single = nullptr;
    int selectedCount = 0;
    for (const Annotation& annotation : annotations) {
        if (!selection.contains(annotationId(annotation))) {
            continue;
        }
        ++selectedCount;
        single = &annotation;
        if (const auto bounds = selectionBoundingRect(annotation)) {
            const double grow = 6 / zoom;
            const double radius = 4 / zoom;
            painter.setPen(QPen(accent, 1.5 / zoom, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(bounds->adjusted(-grow, -grow, grow, grow), radius, radius);
        }
    }
    if (selectedCount == 1 && single) {
        for (const auto& [handle, point] : resizeHandlePositions(*single)) {
            paintGrip(painter, point, zoom, accent);
        }
    }
    painter.restore();
}

} // namespace velmora
