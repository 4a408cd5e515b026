#include "ShiftEstimator.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace velmora {

namespace {

// Signatures of rows [begin, end) sorted by hash, so a row's twins are found by binary search.
std::vector<std::pair<std::uint64_t, int>> sortedRows(const RowSignatures& rows, int begin, int end)
{
    std::vector<std::pair<std::uint64_t, int>> sorted;
    sorted.reserve(std::size_t(std::max(0, end - begin)));
    for (int y = begin; y < end; ++y) {
        sorted.emplace_back(rows.hash(y), y);
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

// The row with this hash when it occurs exactly once in `sorted`, else -1.
int uniqueRow(const std::vector<std::pair<std::uint64_t, int>>& sorted, std::uint64_t hash)
{
    const auto first = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(hash, -1));
    if (first == sorted.end() || first->first != hash) {
        return -1;
    }
    const auto next = first + 1;
    if (next != sorted.end() && next->first == hash) {
        return -1;
    }
    return first->second;
}

bool hasUniqueRow(const RowSignatures& rows, int begin, int end)
{
    const auto sorted = sortedRows(rows, begin, end);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const bool sameAsPrevious = i > 0 && sorted[i - 1].first == sorted[i].first;
        const bool sameAsNext = i + 1 < sorted.size() && sorted[i + 1].first == sorted[i].first;
        if (!sameAsPrevious && !sameAsNext) {
            return true;
        }
    }
    return false;
}

// Whether every content row of `current` that has a counterpart in `previous` under `shift` matches
// it pixel for pixel; at least one row must overlap.
bool agrees(const RowSignatures& previous, const RowSignatures& current, int begin, int end, int shift)
{
    const int from = std::max(begin, begin - shift);
    const int to = std::min(end, end - shift);
    if (from >= to) {
        return false;
    }
    for (int y = from; y < to; ++y) {
        if (!current.sameRow(y, previous, y + shift)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<ShiftEstimate> estimateShift(const RowSignatures& previous, const RowSignatures& current,
                                           const ShiftHints& hints)
{
    const int height = current.height();
    if (height < 1 || previous.height() != height || previous.endColumn() != current.endColumn()) {
        return std::nullopt;
    }

    int top = 0;
    while (top < height && current.sameRow(top, previous, top)) {
        ++top;
    }
    if (top == height) {
        // Identical frames are a pause, unless the content between the known bands is nothing but
        // repeated rows (a blank stretch): then any multiple of the row period fits, and only the
        // steps before can say how far the page went.
        const int begin = std::clamp(hints.knownTop, 0, height);
        const int end = std::max(begin, height - std::clamp(hints.knownBottom, 0, height));
        // Nothing known yet: the whole frame, header included, decides.
        if (hints.predicted && *hints.predicted != 0 && !hasUniqueRow(current, begin, end)) {
            return ShiftEstimate{*hints.predicted, 0, -1, -1};
        }
        return ShiftEstimate{0, 0, -1, -1};
    }
    int bottom = 0;
    while (bottom < height - top && current.sameRow(height - 1 - bottom, previous, height - 1 - bottom)) {
        ++bottom;
    }
    const int begin = top;
    const int end = height - bottom;
    const int span = end - begin;
    const int checkBegin = hints.knownTop >= 0 ? std::min(begin, hints.knownTop) : begin;
    const int checkEnd = hints.knownBottom >= 0 ? std::max(end, height - hints.knownBottom) : end;

    // Every row that occurs once in each frame's content votes for the shift that lines it up.
    // Repeated rows (blank lines, rules) could line up under many shifts and do not vote.
    const auto previousRows = sortedRows(previous, begin, end);
    const auto currentRows = sortedRows(current, begin, end);
    std::vector<int> votes(std::size_t(2 * span + 1), 0);
    for (int y = begin; y < end; ++y) {
        const std::uint64_t hash = current.hash(y);
        if (uniqueRow(currentRows, hash) < 0) {
            continue;
        }
        const int match = uniqueRow(previousRows, hash);
        if (match >= 0) {
            ++votes[std::size_t(match - y + span)];
        }
    }

    std::vector<std::pair<int, int>> candidates; // (votes, shift)
    for (int i = 0; i < int(votes.size()); ++i) {
        if (votes[std::size_t(i)] > 0) {
            candidates.emplace_back(votes[std::size_t(i)], i - span);
        }
    }
    std::sort(candidates.begin(), candidates.end(), std::greater<>());
    // A handful is plenty: a wrong candidate only gets votes from chance hash coincidences.
    constexpr std::size_t maxChecked = 4;
    for (std::size_t i = 0; i < std::min(candidates.size(), maxChecked); ++i) {
        const int shift = candidates[i].second;
        if (agrees(previous, current, checkBegin, checkEnd, shift)) {
            return ShiftEstimate{shift, candidates[i].first, top, bottom};
        }
    }
    if (hints.predicted && agrees(previous, current, checkBegin, checkEnd, *hints.predicted)) {
        return ShiftEstimate{*hints.predicted, 0, top, bottom};
    }
    return std::nullopt;
}

} // namespace velmora
