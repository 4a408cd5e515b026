#pragma once

#include <QImage>
#include <QMutex>

#include <optional>

namespace velmora {

// The rendered composite of one session, shared with background renders: they hold it weakly, so a
// render that finishes after its session is gone stores nothing. Each clear starts a new
// generation, and a render started before a clear must not store its stale result. Every call
// takes the lock, so the background renders may use it from any thread.
class CompositeCache
{
public:
    std::optional<QImage> image() const;
    quint64 generation() const;
    // Keeps a composite rendered from the state of `generation`; refused when the cache was cleared
    // since.
    bool store(const QImage& composite, quint64 generation);
    // The same for a warm-up in the background, which also leaves alone a composite stored meanwhile.
    bool fill(const QImage& composite, quint64 generation);
    void clear();

private:
    mutable QMutex m_lock;
    std::optional<QImage> m_image;
    quint64 m_generation = 0;
};

} // namespace velmora
