#include "output/AppFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace velmora::AppFolders {

namespace {

bool ensurePrivateFolder(const QString& path)
{
    if (!QDir().mkpath(path)) {
        return false;
    }
    const QFileInfo info(path);
    // Refuse a folder someone else owns or that is a link elsewhere.
    if (info.isSymLink() || !info.isDir() || info.ownerId() != uint(::geteuid())) {
        return false;
    }
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString cacheRoot()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return (cache.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : cache) +
           QStringLiteral("/Velmora");
}

} // namespace

QString temporary()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        const QString folder = runtime + QStringLiteral("/Velmora");
        if (ensurePrivateFolder(folder)) {
            return folder;
        }
    }
    const QString fallback = cacheRoot() + QStringLiteral("/tmp");
    ensurePrivateFolder(fallback);
    return fallback;
}

QString dragExports()
{
    // The dragged picture waits here for the drop target to read it: private, like the runtime folder.
    const QString folder = cacheRoot() + QStringLiteral("/DragExports");
    ensurePrivateFolder(folder);
    return folder;
}

} // namespace velmora::AppFolders
