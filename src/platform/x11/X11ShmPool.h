#pragma once

#include "x11/X11Connection.h"

#include <QMutex>

#include <memory>
#include <optional>

namespace velmora::x11 {

// A System V shared-memory segment the X server has attached, for MIT-SHM image transfers.
struct ShmSegment
{
    quint32 id = 0; // the server's name for it
    uchar* address = nullptr;
    size_t size = 0;
};

// Hands out attached segments and keeps the last one returned for the next grab: making and
// attaching a segment, and faulting in its pages, costs more than reading a whole screen into a
// warm one. Segments are handed back from any thread, when the picture that used one goes away.
class X11ShmPool
{
public:
    explicit X11ShmPool(std::shared_ptr<X11Connection> connection);
    ~X11ShmPool();
    X11ShmPool(const X11ShmPool&) = delete;
    X11ShmPool& operator=(const X11ShmPool&) = delete;

    // A segment of at least `bytes`, or nothing when the server cannot share memory with this
    // process (another machine, another IPC namespace); then it never tries again.
    std::optional<ShmSegment> take(size_t bytes);
    void give(ShmSegment segment);
    // Releases the segment kept for the next grab; segments in use are released when handed back.
    void releaseSpare();

private:
    std::optional<ShmSegment> create(size_t bytes);
    void release(const ShmSegment& segment);

    std::shared_ptr<X11Connection> m_connection;
    QMutex m_lock;
    std::optional<ShmSegment> m_spare;
    bool m_broken = false;
};

} // namespace velmora::x11
