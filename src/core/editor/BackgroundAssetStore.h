#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

// One of the user's own background pictures: a file in the wallpaper folder, identified by its name.
struct BackgroundWallpaperItem
{
    QString id;   // file name inside the folder
    QUrl url;     // the file
    QImage image; // null when the file cannot be decoded

    bool operator==(const BackgroundWallpaperItem& other) const;
};

// The folder of the user's wallpapers and an in-memory list of them, so that every editor can show
// them without reading the folder again. Import and removal run on the calling (main) thread; only
// prewarmWallpapers() reads the folder in the background.
class BackgroundAssetStore
{
public:
    explicit BackgroundAssetStore(QString folder);
    ~BackgroundAssetStore();

    BackgroundAssetStore(const BackgroundAssetStore&) = delete;
    BackgroundAssetStore& operator=(const BackgroundAssetStore&) = delete;

    // $XDG_DATA_HOME/Velmora/BackgroundWallpapers.
    static BackgroundAssetStore& shared();
    static QString defaultFolder();

    // The folder, created with its parents if missing (a failure shows up later as an empty list).
    QString folder() const;

    // The accepted image files of the folder, newest first, each decoded. Safe on any thread.
    QVector<BackgroundWallpaperItem> loadWallpapers() const;

    // The list from the last load, import or removal; nothing before the first of them.
    std::optional<QVector<BackgroundWallpaperItem>> cachedWallpapers() const;

    // With a cached list, calls `completion` at once. Otherwise reads the folder on the thread
    // pool, then, in the thread of `context`, stores the list and calls `completion` with it.
    // Nothing happens if `context` is destroyed first. A load overtaken by an import or removal
    // delivers the newer list instead of its own.
    void prewarmWallpapers(QObject* context,
                           std::function<void(const QVector<BackgroundWallpaperItem>&)> completion);

    struct ImportResult
    {
        QVector<BackgroundWallpaperItem> items;
        QStringList importedIds;  // in the order of the given URLs
        QStringList refusedFiles; // names of the files refused for their format, in the same order
    };
    // Copies each local file of an accepted format into the folder under a new unique name; files
    // that cannot be copied are skipped.
    ImportResult importWallpapers(const QList<QUrl>& urls);

    // Deletes the wallpaper of that id; an id that is not a plain file name in the folder is
    // ignored. Returns the reloaded list.
    QVector<BackgroundWallpaperItem> removeWallpaper(const QString& id);

    // The formats the image reader can decode here ("png", "jpg", "webp", … as its plugins
    // provide), compared in lower case. A picture it cannot read would be listed and chosen, and
    // then draw nothing.
    static bool isAcceptedExtension(const QString& suffix);
    static QStringList acceptedExtensions();

private:
    struct Cache;

    QVector<BackgroundWallpaperItem> reloadAndCache();

    QString m_folder;
    std::shared_ptr<Cache> m_cache; // shared with loads still running when the store goes away
};

} // namespace velmora
