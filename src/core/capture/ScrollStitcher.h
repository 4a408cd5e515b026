#pragma once

#include "RowSignatures.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace velmora {

// Limits on the stitched image, so a long capture stops cleanly instead of failing to allocate later.
struct StitchLimits
{
    int maxHeight = 60000;
    std::int64_t maxBytes = std::int64_t(512) * 1024 * 1024;
};

// What became of one frame handed to the stitcher.
enum class StitchOutcome {
    First,       // the first frame: the start of the image
    Appended,    // new rows were added
    Unchanged,   // no or too little movement (pause, jitter): waits for more
    Backward,    // scrolled back up: nothing to add
    OutOfReach,  // no overlap with the last accepted frame (or a jump of 80 % or more): waits
    Rejected,    // empty frame, or a size other than the first frame's
    LimitReached // the next rows would exceed the limits: the capture is over
};

// Builds one tall image from frames grabbed while a page scrolls. Every frame is measured against the
// last accepted frame; only a downward move of at least 3 rows and less than 80 % of the frame height
// is stitched, so small steps add up and a jump beyond reach waits until the page comes back. Rows
// that stay put at the top and bottom of the frames (a fixed header and footer) appear once: the
// header at the top of the image, the footer at the bottom, and new rows are taken from just above
// the footer.
class ScrollStitcher
{
public:
    explicit ScrollStitcher(StitchLimits limits = {});

    StitchOutcome addFrame(const QImage& frame);

    // Height of the image image() would return now.
    int stitchedHeight() const;
    // True once a frame hit the limits; later frames are ignored.
    bool isFull() const { return m_full; }
    // The stitched image; null before the first frame.
    QImage image() const;

private:
    struct Strip
    {
        QImage rows; // the new rows plus the frame's static bottom band as it was measured then
        int height;  // how many of them are new page rows
    };

    StitchLimits m_limits;
    QImage m_firstFrame;
    RowSignatures m_last;
    std::vector<Strip> m_strips;
    int m_appendedRows = 0;
    // Smallest static bands seen over all moving pairs: every pair's bands include the true header
    // and footer, and blank content rows that happened to sit next to them in that pair.
    int m_staticTop = -1;
    int m_staticBottom = -1;
    int m_lastStep = 0;
    int m_framesSinceAccepted = 0;
    bool m_full = false;
};

} // namespace velmora
