#include "shell/PinnedGeometry.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace velmora::pinned {

namespace {

bool hasArea(QSizeF size)
{
    return size.width() > 0 && size.height() > 0;
}

} // namespace

ResizeEdges edgesAt(QPoint pos, QSize size)
{
    const bool horizontal = size.width() > smallestResizableExtent;
    const bool vertical = size.height() > smallestResizableExtent;
    ResizeEdges edges;
    if (horizontal) {
        // Corners are larger than the edge strips: an easy target for the diagonal resize.
        const int zone = vertical && (pos.y() < cornerSize || pos.y() >= size.height() - cornerSize)
                             ? cornerSize
                             : edgeThickness;
        if (pos.x() < zone)
            edges |= ResizeEdge::Left;
        else if (pos.x() >= size.width() - zone)
            edges |= ResizeEdge::Right;
    }
    if (vertical) {
        const int zone = horizontal && (pos.x() < cornerSize || pos.x() >= size.width() - cornerSize)
                             ? cornerSize
                             : edgeThickness;
        if (pos.y() < zone)
            edges |= ResizeEdge::Top;
        else if (pos.y() >= size.height() - zone)
            edges |= ResizeEdge::Bottom;
    }
    return edges;
}

QSize minimumSize(QSizeF imageSize)
{
    if (!hasArea(imageSize))
        return {minimumWidth, 1};
    return {minimumWidth, std::max(1, qCeil(minimumWidth * imageSize.height() / imageSize.width()))};
}

QRect resizedFrame(const QRect& initial, ResizeEdges edges, QPoint delta, QSizeF imageSize)
{
    const QSize minimum = minimumSize(imageSize);
    const int right = initial.x() + initial.width();
    const int bottom = initial.y() + initial.height();
    const bool sideDrag = edges & (ResizeEdge::Left | ResizeEdge::Right);
    const bool endDrag = edges & (ResizeEdge::Top | ResizeEdge::Bottom);

    int width = initial.width();
    int height = initial.height();
    if (edges & ResizeEdge::Right)
        width = initial.width() + delta.x();
    else if (edges & ResizeEdge::Left)
        width = initial.width() - delta.x();
    if (edges & ResizeEdge::Bottom)
        height = initial.height() + delta.y();
    else if (edges & ResizeEdge::Top)
        height = initial.height() - delta.y();
    width = std::max(minimum.width(), width);
    height = std::max(minimum.height(), height);

    if (hasArea(imageSize)) {
        const double aspect = imageSize.width() / imageSize.height();
        const bool widthLeads = sideDrag && (!endDrag || std::abs(width - initial.width()) >=
                                                             std::abs(height - initial.height()));
        if (widthLeads)
            height = std::max(minimum.height(), int(std::lround(width / aspect)));
        else if (endDrag)
            width = std::max(minimum.width(), int(std::lround(height * aspect)));
    }

    // The edges opposite the dragged ones stay where they were; a side drag keeps the bottom edge.
    const int x = (edges & ResizeEdge::Left) ? right - width : initial.x();
    const bool keepBottom = (edges & ResizeEdge::Top) || (sideDrag && !endDrag);
    const int y = keepBottom ? bottom - height : initial.y();
    return {x, y, width, height};
}

std::optional<double> wheelZoomFactor(QPoint angleDelta, QPoint pixelDelta)
{
    const auto dominant = [](QPoint delta) {
        return std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
    };
    double step = 0;
    if (!pixelDelta.isNull())
        step = dominant(pixelDelta) / 200.0;
    else
        step = dominant(angleDelta) / 120.0 / 20.0; // 120 eighths of a degree per notch
    const double factor = 1.0 + step;
    if (!std::isfinite(factor) || factor <= 0)
        return std::nullopt;
    return factor;
}

std::optional<QRect> zoomedFrame(const QRect& frame, QPointF pointer, double factor, QSizeF imageSize,
                                 std::optional<int> availableWidth)
{
    if (!hasArea(imageSize) || frame.isEmpty() || !std::isfinite(factor) || factor <= 0)
        return std::nullopt;
    const double aspect = imageSize.width() / imageSize.height();
    const double rx = (pointer.x() - frame.x()) / frame.width();
    const double ry = (pointer.y() - frame.y()) / frame.height();

    const double limit =
        std::min(maximumZoom * imageSize.width(), double(availableWidth.value_or(frame.width())));
    const double width = std::max(double(minimumWidth), std::min(factor * frame.width(), limit));
    const double height = width / aspect;
    const double left = pointer.x() - rx * width;
    const double top = pointer.y() - ry * height;
    return QRect(int(std::lround(left)), int(std::lround(top)), int(std::lround(width)),
                 std::max(1, int(std::lround(height))));
}

} // namespace velmora::pinned
