#include "DesktopWallpaperCache.h"

#include "ScreenCapture.h"
#include "capture/DesktopPictureReader.h"
#include "imaging/ImageDecoder.h"

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

QString systemPicturePath(const ScreenGeometry& screen)
{
    return desktopPictureFile(DesktopPictureEnvironment::system(), screen);
}

// File paths are absolute, so no file can share a key that does not start with a slash.
QString rootKey(const ScreenGeometry& screen)
{
    const QRect r = screen.nativeRect();
    return QStringLiteral("root:%1:%2,%3,%4x%5")
        .arg(screen.name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// The screen's part of the root background, which spans the whole desktop in native pixels.
std::optional<QImage> rootPicture(const RootBackground& root, const ScreenGeometry& screen)
{
    const std::optional<QImage> whole = root.picture();
    if (!whole || whole->isNull()) {
        return std::nullopt;
    }
    const QRect part = screen.nativeRect() & whole->rect();
    if (part.isEmpty()) {
        return std::nullopt;
    }
    QImage picture = whole->copy(part);
    picture.setDevicePixelRatio(std::max<qreal>(screen.devicePixelRatio, 1.0));
    return picture;
}

// Prewarming is a convenience: it must not take the processor from a capture or the editor.
// Linux gives each thread its own nice value; raising it is always allowed, so this pool's thread
// stays lowered, which is why prewarming has a pool of its own.
void lowerThisThreadsPriority()
{
#ifdef Q_OS_LINUX
    const auto thread = id_t(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (errno == 0 && current < 10) {
        setpriority(PRIO_PROCESS, thread, 10);
    }
#endif
}

} // namespace

struct DesktopWallpaperCache::PendingLoad
{
    bool done = false;
    std::optional<QImage> result;
};

DesktopWallpaperCache::DesktopWallpaperCache(PathForScreen pathForScreen, const RootBackground* root,
                                             Decode decode)
    : m_pathForScreen(std::move(pathForScreen)), m_root(root),
      m_decode(decode ? std::move(decode) : Decode(&decodeImageFile))
{
    m_prewarmPool.setMaxThreadCount(1);
}

DesktopWallpaperCache::~DesktopWallpaperCache()
{
    m_prewarmPool.waitForDone();
}

DesktopWallpaperCache& DesktopWallpaperCache::shared()
{
    // Never destroyed: background work may still ask for pictures while the program exits.
    static auto* const instance = new DesktopWallpaperCache(&systemPicturePath, nullptr);
    return *instance;
}

void DesktopWallpaperCache::installShared(PathForScreen pathForScreen, const RootBackground* root)
{
    DesktopWallpaperCache& cache = shared();
    QMutexLocker locker(&cache.m_lock);
    cache.m_pathForScreen = pathForScreen ? std::move(pathForScreen) : PathForScreen(&systemPicturePath);
    cache.m_root = root;
}

std::optional<QImage> DesktopWallpaperCache::image(const ScreenGeometry& screen)
{
    PathForScreen pathForScreen;
    const RootBackground* root = nullptr;
    {
        QMutexLocker locker(&m_lock);
        pathForScreen = m_pathForScreen;
        root = m_root;
    }
    // Reading the desktop's settings may run programs: never under the lock.
    const QString path = pathForScreen ? pathForScreen(screen) : QString();
    if (!path.isEmpty()) {
        // A named file that cannot be read gives nothing: the root background is what the desktop
        // shows only when it names no file.
        return cached(path, [&] { return m_decode(path); });
    }
    if (!root) {
        return std::nullopt;
    }
    return cached(rootKey(screen), [&] { return rootPicture(*root, screen); });
}

std::optional<QImage> DesktopWallpaperCache::cached(const QString& key,
                                                    const std::function<std::optional<QImage>()>& load)
{
    QMutexLocker locker(&m_lock);
    if (const auto hit = m_cache.constFind(key); hit != m_cache.cend()) {
        return *hit;
    }
    if (const auto loading = m_loading.constFind(key); loading != m_loading.cend()) {
        const std::shared_ptr<PendingLoad> pending = *loading;
        while (!pending->done) {
            m_loaded.wait(&m_lock);
        }
        return pending->result;
    }
    const auto pending = std::make_shared<PendingLoad>();
    m_loading.insert(key, pending);
    locker.unlock();

    // Decoding a 5K picture takes a while; other screens' pictures load meanwhile.
    std::optional<QImage> result = load();

    locker.relock();
    pending->result = result;
    pending->done = true;
    if (result) {
        m_cache.insert(key, *result);
    }
    m_loading.remove(key);
    m_loaded.wakeAll();
    return result;
}

void DesktopWallpaperCache::prewarm(const ScreenLayout& layout)
{
    if (layout.isEmpty()) {
        return;
    }
    m_prewarmPool.start([this, screens = layout.screens()] {
        lowerThisThreadsPriority();
        for (const ScreenGeometry& screen : screens) {
            image(screen);
        }
    });
}

} // namespace velmora
