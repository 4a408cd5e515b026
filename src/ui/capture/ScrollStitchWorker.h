#pragma once

#include "capture/ScrollStitcher.h"

#include <QImage>
#include <QObject>

namespace velmora {

// The stitcher's home on the scrolling capture's own thread: frames come in queued, registration and
// composition run here, and only outcomes, heights and the final image go back. Nothing else touches
// the stitcher, so it needs no lock.
class ScrollStitchWorker : public QObject
{
    Q_OBJECT

public:
    explicit ScrollStitchWorker(StitchLimits limits) : m_stitcher(limits) {}

    void addFrame(const QImage& frame);
    void compose();

Q_SIGNALS:
    void frameStitched(velmora::StitchOutcome outcome, int stitchedHeight);
    void composed(const QImage& image);

private:
    ScrollStitcher m_stitcher;
};

} // namespace velmora
