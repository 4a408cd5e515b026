#include "ScrollStitchWorker.h"

namespace velmora {

void ScrollStitchWorker::addFrame(const QImage& frame)
{
    const StitchOutcome outcome = m_stitcher.addFrame(frame);
    Q_EMIT frameStitched(outcome, m_stitcher.stitchedHeight());
}

void ScrollStitchWorker::compose()
{
    Q_EMIT composed(m_stitcher.image());
}

} // namespace velmora
