#include "canvas/ScreenshotLayerImageView.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace velmora {

namespace {

// Area-averaged downscale; a null image when there is no memory for it.
QImage resample(const QImage& full, const QSize& size)
{
    QImage scaled = full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull()) {
        return {};
    }
    // Keep the logical size of the capture, so the copy stands in for it wherever it is drawn.
    scaled.setDevicePixelRatio(full.devicePixelRatio() * scaled.width() / full.width());
    return scaled;
}

} // namespace

ScreenshotLayerImageView::ScreenshotLayerImageView(QObject* parent)
    : QObject(parent), m_generation(std::make_shared<std::atomic<quint64>>(0))
{}

// Tasks still running keep their own copy of the image; their watchers die with this object, so
// nothing is delivered afterwards.
ScreenshotLayerImageView::~ScreenshotLayerImageView() = default;

void ScreenshotLayerImageView::setThreadPool(QThreadPool* pool)
{
    m_pool = pool;
}

void ScreenshotLayerImageView::setImage(const QImage& image)
{
    if (image.cacheKey() == m_image.cacheKey()) {
        updateContents();
        return;
    }
    m_image = image;
    m_lastKey.reset();
    m_pendingKey.reset();
    ++*m_generation;
    m_display = image;
    Q_EMIT displayImageChanged();
    updateContents();
}

void ScreenshotLayerImageView::clear()
{
    const bool hadImage = !m_display.isNull();
    m_image = QImage();
    m_display = QImage();
    m_lastKey.reset();
    m_pendingKey.reset();
    ++*m_generation;
    if (hadImage) {
        Q_EMIT displayImageChanged();
    }
}

void ScreenshotLayerImageView::setTargetPixelSize(const QSize& pixels)
{
    m_targetSize = pixels;
    updateContents();
}

void ScreenshotLayerImageView::updateContents()
{
    if (m_image.isNull() || m_targetSize.width() <= 0 || m_targetSize.height() <= 0) {
        return;
    }
    const ResampleKey key{m_image.cacheKey(), m_targetSize};
    if (key == m_lastKey) {
        // Back to what is already shown: a request for another size that is still running must
        // not replace it when it finishes.
        if (m_pendingKey) {
            m_pendingKey.reset();
            ++*m_generation;
        }
        return;
    }
    // At or above the capture's own resolution there is nothing to gain from a copy: the painter
    // enlarges the full image itself. Any downscale still running is no longer wanted.
    if (m_targetSize.width() >= m_image.width() && m_targetSize.height() >= m_image.height()) {
        m_pendingKey.reset();
        ++*m_generation;
        install(m_image, key);
        return;
    }
    if (key == m_pendingKey) {
        return;
    }
    startResample(key);
}

void ScreenshotLayerImageView::startResample(const ResampleKey& key)
{
    m_pendingKey = key;
    const quint64 generation = ++*m_generation;
    QThreadPool* pool = m_pool ? m_pool.data() : QThreadPool::globalInstance();
    // Work that is superseded before it starts (rapid zooming queues many sizes) skips the scaling.
    auto work = [full = m_image, size = key.size, latest = m_generation, generation]() -> QImage {
        if (latest->load() != generation) {
            return {};
        }
        return resample(full, size);
    };
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, key, generation] {
        watcher->deleteLater();
        // Only the newest request's result is installed, in whatever order the results come back;
        // the request number also tells a skipped task from a newer request for the same size.
        if (!m_pendingKey || m_generation->load() != generation) {
            return;
        }
        const QImage result = watcher->result();
        install(result.isNull() ? m_image : result, key);
    });
    watcher->setFuture(QtConcurrent::run(pool, std::move(work)));
}

void ScreenshotLayerImageView::install(const QImage& bitmap, const ResampleKey& key)
{
    m_lastKey = key;
    m_pendingKey.reset();
    if (bitmap.cacheKey() == m_display.cacheKey()) {
        return;
    }
    m_display = bitmap;
    Q_EMIT displayImageChanged();
}

} // namespace velmora
