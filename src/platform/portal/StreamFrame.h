#pragma once

#include "capture/ScreenLayout.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>

namespace velmora::portal {

// The byte orders a screencast offers that Velmora reads (four bytes a pixel, in memory order).
enum class StreamPixelFormat { bgrx, bgra, rgbx, rgba };

// One frame as PipeWire hands it over: the whole buffer, of which `content` holds the picture of
// the monitor (the rest is padding the compositor may add).
struct StreamFrame
{
    const uchar* data = nullptr;
    QSize size;     // of the buffer, in pixels
    int stride = 0; // bytes from one row to the next
    StreamPixelFormat format = StreamPixelFormat::bgrx;
    QRect content; // empty: the whole buffer

    QRect contentRect() const;
};

// `crop` of the frame's content (content coordinates) as an opaque RGB32 picture: the screen has
// no transparency, whatever the fourth byte holds. Null when the crop leaves the content or the
// frame is incomplete.
QImage cropStreamFrame(const StreamFrame& frame, const QRect& crop);

// Where a rectangle of native pixels on `screen` lies in a frame of the monitor whose content is
// `contentPixels` large. `monitor` is the monitor's area in logical points as the portal gave it;
// without it the screen's own geometry stands in. The scale is frame pixels per logical point, so
// a compositor that casts at another size than it shows is followed. Empty when the rectangle
// does not lie inside the monitor.
std::optional<QRect> regionInStream(const QRect& native, const ScreenGeometry& screen,
                                    const std::optional<QRect>& monitor, const QSize& contentPixels);

} // namespace velmora::portal
