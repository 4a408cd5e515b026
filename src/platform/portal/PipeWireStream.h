#pragma once

#include "portal/StreamFrame.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace velmora::portal {

// How the frames of one PipeWire video stream came in, for the log and for measuring.
struct StreamStatistics
{
    qint64 frames = 0;
    qint64 firstFrameMs = -1; // after the stream was started
    qint64 lastFrameMs = -1;
    // From the desktop's timestamp of a frame (CLOCK_MONOTONIC) to its region being ready here,
    // over the frames that carried one.
    qint64 timedFrames = 0;
    double latencyTotalMs = 0;
    double latencyMaxMs = 0;
};

// A screencast's video, read on PipeWire's own thread from the remote a portal opened: shared
// memory only (the compositor copies into plain memory, which needs no GPU here), in one of the
// four byte orders StreamFrame reads. Only the latest frame is kept, already cut to the region
// that `crop` maps the frame's content size to. Signals come from PipeWire's thread.
class PipeWireStream final : public QObject
{
    Q_OBJECT

public:
    using CropFor = std::function<std::optional<QRect>(const QSize& contentPixels)>;

    explicit PipeWireStream(CropFor crop, QObject* parent = nullptr);
    // Stops PipeWire's thread first, so that no callback outlives the object.
    ~PipeWireStream() override;

    // Connects to the remote on `fd` (taken over, closed in any case) and to the stream `node`.
    bool start(int fd, quint32 node, QString* error);

    // The latest frame's region; null before the first one.
    QImage latest() const;
    StreamStatistics statistics() const;

Q_SIGNALS:
    void firstFrame();
    // Once, from whichever thread found it: the stream cannot give the region.
    void failed(const QString& message);

private:
    struct Connection; // PipeWire's objects and listeners, known only where PipeWire is included
    friend struct Connection;
    void formatChanged(StreamPixelFormat format, const QSize& size);
    // `timestamp`: when the desktop took the frame, in CLOCK_MONOTONIC nanoseconds; 0 when unknown.
    void frameArrived(const StreamFrame& frame, qint64 timestamp);
    void reportFailure(const QString& message);

    CropFor m_crop;
    std::unique_ptr<Connection> m_connection;

    // Written on PipeWire's thread only.
    QSize m_size;
    StreamPixelFormat m_format = StreamPixelFormat::bgrx;
    bool m_formatKnown = false;

    mutable QMutex m_mutex;
    QImage m_latest;
    StreamStatistics m_statistics;
    QElapsedTimer m_clock;
    std::atomic<bool> m_failed = false;
};

} // namespace velmora::portal
