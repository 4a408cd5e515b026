#pragma once

#include <QRect>
#include <QString>

namespace velmora {

// `velmora-dev-capture scroll --geometry WxH+X+Y [--out FILE] [--seconds S]`: a scrolling capture
// of the rectangle (native pixels) through the running display's backend, without the HUD: it
// starts at once, prints "capturing" when the first frame is stitched, stops S seconds later and
// writes the stitched picture. For scripts that scroll the page themselves. Returns 0 with a
// picture, 1 when cancelled, 2 on failure.
int runDevScroll(const QRect& native, const QString& file, double seconds);

// `velmora-dev-capture stream --geometry WxH+X+Y [--seconds S] [--rate N]`: the rectangle's
// stream alone, grabbed N times a second for S seconds once ready; prints how long it took to
// become ready, how many grabs showed a new picture and how long a grab took. For measuring.
int runDevStream(const QRect& native, double seconds, int rate);

} // namespace velmora
