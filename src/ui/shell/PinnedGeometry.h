#pragma once

#include <QFlags>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <optional>

namespace velmora {

// The edges of a pinned window that a drag moves; a corner is two of them.
enum class ResizeEdge { Left = 1, Right = 2, Bottom = 4, Top = 8 };
Q_DECLARE_FLAGS(ResizeEdges, ResizeEdge)
Q_DECLARE_OPERATORS_FOR_FLAGS(ResizeEdges)

// The geometry of a pinned image window: where its resize zones are, how a drag on them and a turn
// of the wheel change its frame. All in screen (or window) coordinates, y growing downward.
namespace pinned {

// The strip along each edge that resizes, and the square at each corner that resizes both ways.
inline constexpr int edgeThickness = 8;
inline constexpr int cornerSize = 14;
// Below this size in a direction that direction has no resize zones, so that a very flat window
// can still be moved by dragging it.
inline constexpr int smallestResizableExtent = 28;
inline constexpr int minimumWidth = 80;
// Zooming stops at this many times the image's width in points.
inline constexpr double maximumZoom = 3.0;

// The edges a press at `pos` inside a window of `size` grabs; none means the press moves the window.
ResizeEdges edgesAt(QPoint pos, QSize size);

// 80 points wide, as high as the image's proportions make that.
QSize minimumSize(QSizeF imageSize);

// The frame after dragging `edges` by `delta` from `initial`. The size never falls below
// minimumSize(imageSize) and keeps the image's proportions: a side edge lets the height follow (the
// bottom edge stays put), a top or bottom edge lets the width follow (the left edge stays put), and
// a corner follows whichever of width and height changed more, keeping the opposite corner in place.
QRect resizedFrame(const QRect& initial, ResizeEdges edges, QPoint delta, QSizeF imageSize);

// The zoom factor of one wheel event: pixel deltas (touchpads) count 1 % per 2 pixels, wheel notches
// 5 % each, taking the axis that moved more. None when the deltas give no usable factor.
std::optional<double> wheelZoomFactor(QPoint angleDelta, QPoint pixelDelta);

// The frame after zooming `frame` by `factor` around `pointer`, which stays over the same point of
// the image. The width stays between minimumWidth and the smaller of maximumZoom × the image's width
// and `availableWidth` (the width of the screen's available area; the current width when there is
// no screen). None for an image without area or a factor that is not a positive number.
std::optional<QRect> zoomedFrame(const QRect& frame, QPointF pointer, double factor, QSizeF imageSize,
                                 std::optional<int> availableWidth);

} // namespace pinned

} // namespace velmora
