#pragma once

#include "RowSignatures.h"

#include <optional>

namespace velmora {

// How far the content of a frame moved against an earlier frame of the same size. `shift` > 0: the
// content moved up by that many rows (the page was scrolled down); < 0: scrolled back up.
struct ShiftEstimate
{
    int shift = 0;
    // Rows of distinctive content that agree with the shift; 0 when only the prediction (or the
    // frames being identical) decided it.
    int support = 0;
    // Rows at the top and bottom that stayed in place between the frames (fixed header and footer,
    // possibly with some blank content rows next to them). -1 when the frames are identical, which
    // says nothing about them.
    int staticTop = -1;
    int staticBottom = -1;
};

// Hints from earlier frames of the same capture.
struct ShiftHints
{
    // The shift the recent steps predict, used only when the content itself cannot decide (blank
    // stretches of identical rows).
    std::optional<int> predicted;
    // Static bands measured on earlier pairs of the capture, -1 while unknown. They hold the true header
    // and footer and no more than this pair's bands do, so the rows between them are checked even
    // when this pair's bands grew over blank content that happens to stay in place.
    int knownTop = -1;
    int knownBottom = -1;
};

// The content's vertical shift from `previous` to `current`, or nothing when the frames do not agree
// on any shift (the page jumped beyond the frame's reach, or changed in place). Rows that stay put at
// the top and bottom never vote, so a fixed header or footer does not pull the result to 0. A shift
// is accepted only when every overlapping content row matches exactly.
std::optional<ShiftEstimate> estimateShift(const RowSignatures& previous, const RowSignatures& current,
                                           const ShiftHints& hints = {});

} // namespace velmora
