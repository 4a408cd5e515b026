#include "toolbar/StylePreviews.h"

#include "annotation/AnnotationPainter.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace velmora {

void paintStrokeWidthPreview(QPainter& painter, const QRectF& box, double width, const QColor& color)
{
    const double thickness = std::clamp(width, 1.0, 10.0);
    const QRectF bar(box.left(), box.center().y() - thickness / 2, box.width(), thickness);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(bar, thickness / 2, thickness / 2);
    painter.restore();
}

void paintArrowStylePreview(QPainter& painter, const QRectF& box, ArrowStyle style, const QColor& color)
{
    // Coordinates are those of a W × H box with the midline at H / 2.
    const double W = box.width();
    const double y = box.height() / 2;
    auto at = [&box](double x, double yy) { return QPointF(box.left() + x, box.top() + yy); };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    auto solidHead = [&](bool atRight) {
        QPainterPath head;
        if (atRight) {
            head.moveTo(at(W - 2, y));
            head.lineTo(at(W - 9, y - 4));
            head.lineTo(at(W - 9, y + 4));
        } else {
            head.moveTo(at(2, y));
            head.lineTo(at(9, y - 4));
            head.lineTo(at(9, y + 4));
        }
        head.closeSubpath();
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(head);
        painter.restore();
    };
    auto openHead = [&](bool atRight) {
        if (atRight) {
            painter.drawLine(at(W - 2, y), at(W - 9, y - 4));
            painter.drawLine(at(W - 2, y), at(W - 9, y + 4));
        } else {
            painter.drawLine(at(2, y), at(9, y - 4));
            painter.drawLine(at(2, y), at(9, y + 4));
        }
    };

    if (style == ArrowStyle::filled) {
        QPainterPath outline;
        outline.moveTo(at(2, y - 1.6));
        outline.lineTo(at(W - 9, y - 1.6));
        outline.lineTo(at(W - 9, y - 4));
        outline.lineTo(at(W - 2, y));
        outline.lineTo(at(W - 9, y + 4));
        outline.lineTo(at(W - 9, y + 1.6));
        outline.lineTo(at(2, y + 1.6));
        outline.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(outline);
        painter.restore();
        return;
    }

    painter.drawLine(at(2, y), at(W - 2, y));
    switch (style) {
    case ArrowStyle::single:
        solidHead(true);
        break;
    case ArrowStyle::double_:
        solidHead(true);
        solidHead(false);
        break;
    case ArrowStyle::sketch:
        openHead(true);
        break;
    case ArrowStyle::sketchDouble:
        openHead(true);
        openHead(false);
        break;
    case ArrowStyle::none:
    case ArrowStyle::filled:
        break;
    }
    painter.restore();
}

void paintTextStylePreview(QPainter& painter, const QRectF& box, TextStyle style, const Color& color,
                           double sampleFontSize)
{
    TextAnnotation sample;
    sample.position = box.center();
    sample.text = QStringLiteral("Text");
    sample.fontSize = sampleFontSize;
    sample.color = color;
    sample.style = style;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(box);
    AnnotationPainter::paint(painter, Annotation{sample}, BlurSource{});
    painter.restore();
}

QString arrowStyleLabel(ArrowStyle style)
{
    switch (style) {
    case ArrowStyle::filled:
        return QStringLiteral("Filled arrow");
    case ArrowStyle::single:
        return QStringLiteral("Single head");
    case ArrowStyle::sketch:
        return QStringLiteral("Sketch arrow");
    case ArrowStyle::sketchDouble:
        return QStringLiteral("Sketch double");
    case ArrowStyle::none:
        return QStringLiteral("Line (no head)");
    case ArrowStyle::double_:
        return QStringLiteral("Double head");
    }
    return {};
}

QString textStyleLabel(TextStyle style)
{
    switch (style) {
    case TextStyle::standard:
        return QStringLiteral("Standard");
    case TextStyle::rounded:
        return QStringLiteral("Rounded");
    case TextStyle::outlined:
        return QStringLiteral("Outlined");
    case TextStyle::mono:
        return QStringLiteral("Mono");
    case TextStyle::box:
        return QStringLiteral("Box");
    case TextStyle::roundedBox:
        return QStringLiteral("Rounded Box");
    }
    return {};
}

QString pointLabel(double value)
{
    // Truncated like an integer conversion; out-of-range values are not meaningful sizes.
    const double whole = std::isfinite(value) ? std::clamp(value, -1e15, 1e15) : 0.0;
    return QString::asprintf("%lld pt", static_cast<long long>(whole));
}

} // namespace velmora
