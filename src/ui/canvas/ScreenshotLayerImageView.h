#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <atomic>
#include <memory>
#include <optional>

class QThreadPool;

namespace velmora {

// Keeps the capture ready to draw at the size it occupies on screen. A full-screen capture at
// high density shown at a low zoom is many times larger than its on-screen pixels; drawing it
// scaled at every repaint is slow and looks rough, so a smoothly downscaled copy is made once per
// size change on the thread pool. Until it arrives the canvas draws what it had (the full image
// at first), so it is never blank and never waits.
class ScreenshotLayerImageView : public QObject
{
    Q_OBJECT
public:
    explicit ScreenshotLayerImageView(QObject* parent = nullptr);
    ~ScreenshotLayerImageView() override;

    // The same image object (same cacheKey) again changes nothing.
    void setImage(const QImage& image);
    // Forgets the image and any bitmap made from it.
    void clear();
    // The size the image is drawn at on screen, in device pixels.
    void setTargetPixelSize(const QSize& pixels);

    QImage image() const { return m_image; }
    QSize targetPixelSize() const { return m_targetSize; }
    // The bitmap to draw into the target rectangle: the downscaled copy for the current target
    // size when it is ready, else the latest one made for this image, else the full image.
    QImage displayImage() const { return m_display; }
    // True while a downscaled copy is being made that the current target will use.
    bool isResampling() const { return m_pendingKey.has_value(); }

    // Where the downscaling runs; the global pool unless set (tests pass their own).
    void setThreadPool(QThreadPool* pool);

Q_SIGNALS:
    void displayImageChanged();

private:
    struct ResampleKey
    {
        qint64 imageKey = 0;
        QSize size;
        bool operator==(const ResampleKey&) const = default;
    };

    void updateContents();
    void install(const QImage& bitmap, const ResampleKey& key);
    void startResample(const ResampleKey& key);

    QImage m_image;
    QImage m_display;
    QSize m_targetSize;
    std::optional<ResampleKey> m_lastKey;
    std::optional<ResampleKey> m_pendingKey;
    QPointer<QThreadPool> m_pool;
    // Bumped with every request; work that has not started by the time it is superseded skips
    // the scaling. Shared with the tasks, which may outlive this object.
    std::shared_ptr<std::atomic<quint64>> m_generation;
};

} // namespace velmora
