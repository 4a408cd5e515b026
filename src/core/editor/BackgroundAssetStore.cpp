#include "editor/BackgroundAssetStore.h"

#include "imaging/ImageDecoder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace velmora {

bool BackgroundWallpaperItem::operator==(const BackgroundWallpaperItem& other) const
{
    return id == other.id && url == other.url && image == other.image;
}

struct BackgroundAssetStore::Cache
{
    mutable QMutex mutex;
    std::optional<QVector<BackgroundWallpaperItem>> items;
    // Bumped whenever the list is replaced, so a background load can tell it was overtaken.
    quint64 generation = 0;

    quint64 currentGeneration() const
    {
        QMutexLocker lock(&mutex);
        return generation;
    }
    void replace(const QVector<BackgroundWallpaperItem>& list)
    {
        QMutexLocker lock(&mutex);
        items = list;
        ++generation;
    }
    std::optional<QVector<BackgroundWallpaperItem>> get() const
    {
        QMutexLocker lock(&mutex);
        return items;
    }
    // Stores `loaded` unless the list changed since `startedAt`; returns what is cached afterwards.
    QVector<BackgroundWallpaperItem> storeIfCurrent(const QVector<BackgroundWallpaperItem>& loaded,
                                                    quint64 startedAt)
    {
        QMutexLocker lock(&mutex);
        if (generation == startedAt || !items) {
            items = loaded;
            ++generation;
        }
        return *items;
    }
};

namespace {

QVector<BackgroundWallpaperItem> loadFolder(const QString& folder)
{
    QDir().mkpath(folder);
    // QDir leaves out hidden entries unless asked for them; the name check also covers an
    // accepted extension on a dot file.
    QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [](const QFileInfo& info) {
                                   return info.fileName().startsWith(QLatin1Char('.')) ||
                                          !BackgroundAssetStore::isAcceptedExtension(info.suffix());
                               }),
                files.end());
    // Newest first; a file without a date counts as infinitely old. Equal dates keep name order.
    std::stable_sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime da = a.lastModified();
        const QDateTime db = b.lastModified();
        if (!db.isValid()) {
            return da.isValid();
        }
        return da.isValid() && da > db;
    });

    QVector<BackgroundWallpaperItem> items;
    items.reserve(files.size());
    for (const QFileInfo& info : files) {
        const QString path = info.absoluteFilePath();
        items.append({info.fileName(), QUrl::fromLocalFile(path), decodeImageFile(path).value_or(QImage())});
    }
    return items;
}

// A wallpaper id is a bare file name; anything that could reach outside the folder is no id.
bool isPlainFileName(const QString& id)
{
    return !id.isEmpty() && !id.contains(QLatin1Char('/')) && !id.contains(QLatin1Char('\\')) &&
           !id.contains(QLatin1String("..")) && !id.startsWith(QLatin1Char('.')) && !id.contains(QChar(0));
}

} // namespace

BackgroundAssetStore::BackgroundAssetStore(QString folder)
    : m_folder(std::move(folder)), m_cache(std::make_shared<Cache>())
{}

BackgroundAssetStore::~BackgroundAssetStore() = default;

BackgroundAssetStore& BackgroundAssetStore::shared()
{
    static BackgroundAssetStore store(defaultFolder());
    return store;
}

QString BackgroundAssetStore::defaultFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        // Without a home there is no data folder. The per-user runtime folder is private; the
        // shared temporary folder is the last resort.
        base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (base.isEmpty()) {
        base = QDir::tempPath();
    }
    return base + QStringLiteral("/Velmora/BackgroundWallpapers");
}

QString BackgroundAssetStore::folder() const
{
    QDir().mkpath(m_folder);
    return m_folder;
}

QStringList BackgroundAssetStore::acceptedExtensions()
{
    // The plugins do not change while the program runs.
    static const QStringList accepted = [] {
        QStringList formats;
        for (const QByteArray& format : QImageReader::supportedImageFormats()) {
            formats.append(QString::fromLatin1(format).toLower());
        }
        formats.removeDuplicates();
        return formats;
    }();
    return accepted;
}

bool BackgroundAssetStore::isAcceptedExtension(const QString& suffix)
{
    return !suffix.isEmpty() && acceptedExtensions().contains(suffix.toLower());
}

QVector<BackgroundWallpaperItem> BackgroundAssetStore::loadWallpapers() const
{
    return loadFolder(m_folder);
}

std::optional<QVector<BackgroundWallpaperItem>> BackgroundAssetStore::cachedWallpapers() const
{
    return m_cache->get();
}

QVector<BackgroundWallpaperItem> BackgroundAssetStore::reloadAndCache()
{
    const QVector<BackgroundWallpaperItem> items = loadWallpapers();
    m_cache->replace(items);
    return items;
}

void BackgroundAssetStore::prewarmWallpapers(
    QObject* context, std::function<void(const QVector<BackgroundWallpaperItem>&)> completion)
{
    if (const auto cached = cachedWallpapers()) {
        if (completion) {
            completion(*cached);
        }
        return;
    }
    if (!context) {
        return;
    }
    const std::shared_ptr<Cache> cache = m_cache;
    const quint64 startedAt = cache->currentGeneration();
    // The watcher belongs to the context: if the context goes away first, so does the watcher, and
    // the finished load is dropped without touching anything.
    auto* watcher = new QFutureWatcher<QVector<BackgroundWallpaperItem>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, cache, startedAt, completion = std::move(completion)] {
                         const QVector<BackgroundWallpaperItem> items =
                             cache->storeIfCurrent(watcher->result(), startedAt);
                         watcher->deleteLater();
                         if (completion) {
                             completion(items);
                         }
                     });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), loadFolder, m_folder));
}

BackgroundAssetStore::ImportResult BackgroundAssetStore::importWallpapers(const QList<QUrl>& urls)
{
    const QDir dir(folder());
    ImportResult result;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QFileInfo source(url.toLocalFile());
        const QString suffix = source.suffix();
        if (!isAcceptedExtension(suffix)) {
            result.refusedFiles.append(source.fileName());
            continue;
        }
        const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QLatin1Char('.') +
                             (suffix.isEmpty() ? QStringLiteral("png") : suffix);
        const QString target = dir.filePath(name);
        if (QFileInfo::exists(target)) {
            QFile::remove(target);
        }
        if (QFile::copy(source.absoluteFilePath(), target)) {
            result.importedIds.append(name);
        }
    }
    result.items = reloadAndCache();
    return result;
}

QVector<BackgroundWallpaperItem> BackgroundAssetStore::removeWallpaper(const QString& id)
{
    if (isPlainFileName(id)) {
        QFile::remove(QDir(folder()).filePath(id));
    }
    return reloadAndCache();
}

} // namespace velmora
