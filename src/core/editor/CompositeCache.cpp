#include "editor/CompositeCache.h"

#include <QMutexLocker>

namespace velmora {

std::optional<QImage> CompositeCache::image() const
{
    QMutexLocker lock(&m_lock);
    return m_image;
}

quint64 CompositeCache::generation() const
{
    QMutexLocker lock(&m_lock);
    return m_generation;
}

bool CompositeCache::store(const QImage& composite, quint64 generation)
{
    QMutexLocker lock(&m_lock);
    if (generation != m_generation) {
        return false;
    }
    m_image = composite;
    return true;
}

bool CompositeCache::fill(const QImage& composite, quint64 generation)
{
    QMutexLocker lock(&m_lock);
    if (generation != m_generation || m_image) {
        return false;
    }
    m_image = composite;
    return true;
}

void CompositeCache::clear()
{
    QMutexLocker lock(&m_lock);
    m_image.reset();
    ++m_generation;
}

} // namespace velmora
