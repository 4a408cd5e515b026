#pragma once

#include "capture/ScreenLayout.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QThreadPool>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

class RootBackground;

// The desktop pictures of the screens, decoded once per file and kept for the life of the process.
// Used from several threads at once.
class DesktopWallpaperCache
{
public:
    // `pathForScreen` says which picture file the desktop shows on a screen (empty: none named);
    // `root` (may be null) is the fallback when no file is named. Both are called on any thread.
    using PathForScreen = std::function<QString(const ScreenGeometry& screen)>;
    // Turns a file into a picture; the default is the bounded decoder for outside images.
    using Decode = std::function<std::optional<QImage>(const QString& path)>;
    DesktopWallpaperCache(PathForScreen pathForScreen, const RootBackground* root, Decode decode = {});
    // Waits for a prewarm still running.
    ~DesktopWallpaperCache();
    DesktopWallpaperCache(const DesktopWallpaperCache&) = delete;
    DesktopWallpaperCache& operator=(const DesktopWallpaperCache&) = delete;

    // The program's instance, reading the desktops' own settings and the X root background.
    static DesktopWallpaperCache& shared();
    // Installs what shared() uses; called once at start-up before the first use.
    static void installShared(PathForScreen pathForScreen, const RootBackground* root);

    // The picture the desktop shows on a screen, or nothing.
    std::optional<QImage> image(const ScreenGeometry& screen);
    // Loads every screen's picture on a background thread; the results are only cached.
    void prewarm(const ScreenLayout& layout);

private:
    struct PendingLoad;
    std::optional<QImage> cached(const QString& key, const std::function<std::optional<QImage>()>& load);

    PathForScreen m_pathForScreen;
    const RootBackground* m_root;
    Decode m_decode;
    QMutex m_lock;
    QWaitCondition m_loaded;
    QHash<QString, QImage> m_cache;
    // Pictures being decoded right now: a second thread asking for one waits for that decode.
    QHash<QString, std::shared_ptr<PendingLoad>> m_loading;
    QThreadPool m_prewarmPool;
};

} // namespace velmora
