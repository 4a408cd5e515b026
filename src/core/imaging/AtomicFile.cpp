#include "imaging/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// A FIFO or a character device (a pipe, a terminal, /dev/null) has no content to replace: renaming
// a file over it would destroy the device node. The bytes are written into it instead.
WriteResult writeThrough(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return WriteResult::failure(
            QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size())
        return WriteResult::failure(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return WriteResult::success();
}

} // namespace

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return WriteResult::failure(QStringLiteral("No file name given"));
    struct stat target = {};
    if (::stat(QFile::encodeName(path).constData(), &target) == 0 && !S_ISREG(target.st_mode) &&
        !S_ISDIR(target.st_mode)) {
        if (S_ISFIFO(target.st_mode) || S_ISCHR(target.st_mode))
            return writeThrough(path, bytes);
        return WriteResult::failure(
            QStringLiteral("%1 is not a regular file").arg(QDir::toNativeSeparators(path)));
    }
    const QFileInfo info(path);
    if (info.isDir())
        return WriteResult::failure(QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path)));
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return WriteResult::failure(
            QStringLiteral("Folder %1 does not exist").arg(QDir::toNativeSeparators(info.absolutePath())));

    // QSaveFile writes beside the target and renames on commit, after syncing to disk; it never
    // falls back to writing the target in place unless asked to.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    const auto failed = [&](const QString& step) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return WriteResult::failure(
            QStringLiteral("%1 %2: %3").arg(step, QDir::toNativeSeparators(path), reason));
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("Cannot create"));
    if (file.write(bytes) != bytes.size())
        return failed(QStringLiteral("Cannot write"));
    if (!file.commit())
        return WriteResult::failure(
            QStringLiteral("Cannot finish %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return WriteResult::success();
}

WriteResult createFileAtomically(const QString& path, const QByteArray& bytes, bool* existed)
{
    if (existed) {
        *existed = false;
    }
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (existed) {
            *existed = true;
        }
        return WriteResult::failure(QStringLiteral("%1 already exists").arg(QDir::toNativeSeparators(path)));
    }
    if (!QFileInfo(info.absolutePath()).isDir())
        return WriteResult::failure(
            QStringLiteral("Folder %1 does not exist").arg(QDir::toNativeSeparators(info.absolutePath())));
    QTemporaryFile temporary(info.absolutePath() + QStringLiteral("/.velmora-XXXXXX.part"));
    if (!temporary.open())
        return WriteResult::failure(QStringLiteral("Cannot create %1: %2")
                                        .arg(QDir::toNativeSeparators(path), temporary.errorString()));
    if (temporary.write(bytes) != bytes.size() || !temporary.flush() || ::fsync(temporary.handle()) != 0)
        return WriteResult::failure(QStringLiteral("Cannot write %1: %2")
                                        .arg(QDir::toNativeSeparators(path), temporary.errorString()));
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // QFile::rename never replaces an existing file (it renames with RENAME_NOREPLACE or links).
    if (!temporary.rename(path)) {
        if (existed && QFileInfo::exists(path)) {
            *existed = true;
        }
        return WriteResult::failure(QStringLiteral("Cannot create %1: %2")
                                        .arg(QDir::toNativeSeparators(path), temporary.errorString()));
    }
    temporary.setAutoRemove(false);
    return WriteResult::success();
}

WriteResult writePngAtomically(const QString& path, const QImage& image, PngOptions options)
{
    if (image.isNull())
        return WriteResult::failure(
            QStringLiteral("No image to write to %1").arg(QDir::toNativeSeparators(path)));
    const auto png = encodePng(image, options);
    if (!png)
        return WriteResult::failure(
            QStringLiteral("Cannot encode the image for %1").arg(QDir::toNativeSeparators(path)));
    return writeFileAtomically(path, *png);
}

} // namespace velmora
