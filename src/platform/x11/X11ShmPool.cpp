#include "x11/X11ShmPool.h"

#include <QMutexLocker>

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>

namespace velmora::x11 {

X11ShmPool::X11ShmPool(std::shared_ptr<X11Connection> connection) : m_connection(std::move(connection)) {}

X11ShmPool::~X11ShmPool()
{
    if (m_spare) {
        release(*m_spare);
    }
}

std::optional<ShmSegment> X11ShmPool::take(size_t bytes)
{
    QMutexLocker locker(&m_lock);
    if (m_broken) {
        return std::nullopt;
    }
    if (m_spare && m_spare->size >= bytes) {
        return std::exchange(m_spare, std::nullopt);
    }
    locker.unlock();
    auto segment = create(bytes);
    if (!segment) {
        locker.relock();
        m_broken = true;
    }
    return segment;
}

void X11ShmPool::give(ShmSegment segment)
{
    QMutexLocker locker(&m_lock);
    if (!m_spare) {
        m_spare = segment;
        return;
    }
    // Keep the larger one: a screen grab after a small window grab then still finds one warm.
    if (segment.size > m_spare->size) {
        std::swap(*m_spare, segment);
    }
    locker.unlock();
    release(segment);
}

void X11ShmPool::releaseSpare()
{
    QMutexLocker locker(&m_lock);
    const std::optional<ShmSegment> spare = std::exchange(m_spare, std::nullopt);
    locker.unlock();
    if (spare) {
        release(*spare);
    }
}

namespace {

// Maps every page of a new segment in one call. Touched one by one instead (the server writes the
// picture, then we read it), each page costs a fault, and under virtualisation a fault is slow
// enough that a 5K screen's 14,000 pages took longer than the grab itself. Kernels before 5.14 do
// not know the advice and leave the pages to fault in as before.
void populate(void* address, size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    madvise(address, bytes, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(address);
    Q_UNUSED(bytes);
#endif
}

} // namespace

std::optional<ShmSegment> X11ShmPool::create(size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return std::nullopt;
    }
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return std::nullopt;
    }
    populate(address, bytes);
    xcb_connection_t* c = m_connection->get();
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, segment, quint32(id), 0));
    // Marked for removal at once: the kernel frees it when both sides have detached, even after a
    // crash.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        shmdt(address);
        return std::nullopt;
    }
    return ShmSegment{segment, static_cast<uchar*>(address), bytes};
}

void X11ShmPool::release(const ShmSegment& segment)
{
    xcb_shm_detach(m_connection->get(), segment.id);
    xcb_flush(m_connection->get());
    shmdt(segment.address);
}

} // namespace velmora::x11
