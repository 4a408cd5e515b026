#include "imaging/LargeImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace velmora {

namespace {

constexpr std::size_t HugePage = 2u << 20;
// Smaller buffers gain nothing from huge pages and come from the heap.
constexpr std::size_t LargeBytes = 4 * HugePage;

class LargeBufferPool
{
public:
    void* take(std::size_t bytes)
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->bytes == bytes) {
                void* buffer = it->buffer;
                m_keptBytes -= bytes;
                m_kept.erase(it);
                return buffer;
            }
        }
        return nullptr;
    }

    void remember(void* buffer, std::size_t bytes)
    {
        std::lock_guard lock(m_mutex);
        m_sizes.emplace(buffer, bytes);
    }

    // False for a buffer this pool never handed out (a heap buffer for the caller to free).
    bool giveBack(void* buffer)
    {
        std::vector<void*> dropped;
        {
            std::lock_guard lock(m_mutex);
            const auto it = m_sizes.find(buffer);
            if (it == m_sizes.end()) {
                return false;
            }
            const std::size_t bytes = it->second;
            if (bytes > kKeptLargeBytes) {
                m_sizes.erase(it);
                dropped.push_back(buffer);
            } else {
                while (m_keptBytes + bytes > kKeptLargeBytes) {
                    dropped.push_back(m_kept.front().buffer);
                    m_sizes.erase(m_kept.front().buffer);
                    m_keptBytes -= m_kept.front().bytes;
                    m_kept.pop_front();
                }
#ifdef MADV_FREE
                madvise(buffer, bytes, MADV_FREE);
#endif
                m_kept.push_back({buffer, bytes});
                m_keptBytes += bytes;
            }
        }
        for (void* block : dropped) {
            std::free(block);
        }
        return true;
    }

    std::size_t keptBytes()
    {
        std::lock_guard lock(m_mutex);
        return m_keptBytes;
    }

private:
    struct Kept
    {
        void* buffer;
        std::size_t bytes;
    };
    std::mutex m_mutex;
    std::unordered_map<void*, std::size_t> m_sizes; // every large buffer out or kept, by its size
    std::deque<Kept> m_kept;                        // oldest first
    std::size_t m_keptBytes = 0;
};

LargeBufferPool& pool()
{
    // Never destroyed: images in other statics (the gradient cache) give their buffers back after
    // static destruction has begun.
    static auto* instance = new LargeBufferPool;
    return *instance;
}

} // namespace

void* allocateLarge(std::size_t bytes)
{
    if (bytes < LargeBytes) {
        return std::malloc(std::max<std::size_t>(bytes, 1));
    }
    const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
    if (void* kept = pool().take(rounded)) {
        return kept;
    }
    void* buffer = std::aligned_alloc(HugePage, rounded);
    if (buffer) {
        madvise(buffer, rounded, MADV_HUGEPAGE);
        pool().remember(buffer, rounded);
    }
    return buffer;
}

void releaseLarge(void* buffer)
{
    if (buffer && !pool().giveBack(buffer)) {
        std::free(buffer);
    }
}

std::size_t keptLargeBytes()
{
    return pool().keptBytes();
}

QImage largeImage(QSize size, QImage::Format format)
{
    if (size.isEmpty()) {
        return {};
    }
    const int bitsPerPixel = QImage::toPixelFormat(format).bitsPerPixel();
    const auto bytesPerLine = (std::size_t(size.width()) * std::size_t(bitsPerPixel) + 31) / 32 * 4;
    void* buffer = allocateLarge(bytesPerLine * std::size_t(size.height()));
    if (!buffer) {
        return {};
    }
    return QImage(
        static_cast<uchar*>(buffer), size.width(), size.height(), qsizetype(bytesPerLine), format,
        [](void* data) { releaseLarge(data); }, buffer);
}

QImage largeCopy(const QImage& image)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage copy = largeImage(source.size());
    if (copy.isNull()) {
        return source.copy();
    }
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(copy.scanLine(y), source.constScanLine(y), std::size_t(source.width()) * 4);
    }
    copy.setDevicePixelRatio(image.devicePixelRatio());
    return copy;
}

} // namespace velmora
