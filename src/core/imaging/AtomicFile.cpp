#include "imaging/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora {

WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (path.isEmpty())
        return WriteResult::failure(QStringLiteral("No file name given"));
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
