#include "ScrollStitcher.h"

#include "ShiftEstimator.h"

#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

// A move smaller than this is jitter or a pause; it is left to add up against the same frame.
constexpr int minimumStep = 3;

} // namespace

ScrollStitcher::ScrollStitcher(StitchLimits limits) : m_limits(limits) {}

StitchOutcome ScrollStitcher::addFrame(const QImage& frame)
{
    if (m_full) {
        return StitchOutcome::LimitReached;
    }
    if (frame.isNull() || frame.width() < 1 || frame.height() < 1) {
        return StitchOutcome::Rejected;
    }
    if (m_firstFrame.isNull()) {
        const std::int64_t bytes = std::int64_t(frame.width()) * frame.height() * 4;
        if (frame.height() > m_limits.maxHeight || bytes > m_limits.maxBytes) {
            m_full = true;
            return StitchOutcome::LimitReached;
        }
        m_last = RowSignatures(frame);
        m_firstFrame = m_last.frame();
        return StitchOutcome::First;
    }
    if (frame.size() != m_firstFrame.size()) {
        return StitchOutcome::Rejected;
    }

    RowSignatures current(frame);
    ++m_framesSinceAccepted;
    ShiftHints hints;
    if (m_lastStep > 0) {
        hints.predicted = m_lastStep * m_framesSinceAccepted;
    }
    hints.knownTop = m_staticTop;
    hints.knownBottom = m_staticBottom;
    const std::optional<ShiftEstimate> estimate = estimateShift(m_last, current, hints);
    if (!estimate) {
        return StitchOutcome::OutOfReach;
    }
    if (estimate->staticTop >= 0) {
        m_staticTop = m_staticTop < 0 ? estimate->staticTop : std::min(m_staticTop, estimate->staticTop);
        m_staticBottom =
            m_staticBottom < 0 ? estimate->staticBottom : std::min(m_staticBottom, estimate->staticBottom);
    }
    const int shift = estimate->shift;
    const int height = frame.height();
    const int limit = int(0.8 * height);
    if (shift < 0) {
        return StitchOutcome::Backward;
    }
    if (shift < minimumStep) {
        return StitchOutcome::Unchanged;
    }
    if (shift >= limit) {
        return StitchOutcome::OutOfReach;
    }

    const int newHeight = stitchedHeight() + shift;
    const std::int64_t bytes = std::int64_t(frame.width()) * newHeight * 4;
    if (newHeight > m_limits.maxHeight || bytes > m_limits.maxBytes) {
        m_full = true;
        return StitchOutcome::LimitReached;
    }
    // Keep the new rows together with the bottom band as known so far: should a later pair show that
    // part of the band was content after all, the rows that belong to the page are still here.
    const int band = std::max(0, m_staticBottom);
    const int stripTop = std::max(0, height - band - shift);
    m_strips.push_back(Strip{current.frame().copy(0, stripTop, frame.width(), height - stripTop), shift});
    m_appendedRows += shift;
    m_last = std::move(current);
    m_lastStep = shift / std::max(1, m_framesSinceAccepted);
    m_framesSinceAccepted = 0;
    return StitchOutcome::Appended;
}

int ScrollStitcher::stitchedHeight() const
{
    return m_firstFrame.isNull() ? 0 : m_firstFrame.height() + m_appendedRows;
}

QImage ScrollStitcher::image() const
{
    if (m_firstFrame.isNull()) {
        return {};
    }
    const int width = m_firstFrame.width();
    const int frameHeight = m_firstFrame.height();
    const int footer = std::max(0, m_staticBottom);
    QImage result(width, stitchedHeight(), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull()) {
        return {};
    }
    // Rows are copied, not painted, so the result has exactly the frames' pixels.
    const auto copyRows = [&](const QImage& source, int sourceTop, int count, int destinationTop) {
        for (int i = 0; i < count; ++i) {
            std::copy_n(source.constScanLine(sourceTop + i), std::size_t(width) * 4,
                        result.scanLine(destinationTop + i));
        }
    };
    int y = frameHeight - footer;
    copyRows(m_firstFrame, 0, y, 0);
    for (const Strip& strip : m_strips) {
        // The strip ends with the bottom band of its own pair, at least as tall as the final footer.
        const int first = strip.rows.height() - footer - strip.height;
        copyRows(strip.rows, std::max(0, first), strip.height, y);
        y += strip.height;
    }
    copyRows(m_last.frame(), frameHeight - footer, footer, y);
    return result;
}

} // namespace velmora
