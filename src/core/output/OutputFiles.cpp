#include "output/OutputFiles.h"

#include "imaging/PngEncoder.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace velmora::OutputFiles {

QString randomSuffix()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).left(6).toLower();
}

QString screenshotFileName(const QDate& date)
{
    return QStringLiteral("Screenshot-%1-%2.png")
        .arg(date.toString(QStringLiteral("yyyyMMdd")), randomSuffix());
}

QString withPngExtension(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')) || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + QStringLiteral(".png");
}

SavedFile saveNewScreenshot(const QByteArray& png, const QString& folder, const QDate& date)
{
    SavedFile saved;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString path = QDir(folder).filePath(screenshotFileName(date));
        bool existed = false;
        saved.result = createFileAtomically(path, png, &existed);
        if (saved.result) {
            saved.path = path;
            return saved;
        }
        if (!existed) {
            return saved;
        }
    }
    return saved;
}

std::optional<QString> writeClipboardFile(const QByteArray& png, const QString& folder)
{
    const QString name = QStringLiteral("clipboard-%1.png").arg(randomSuffix());
    const QString path = QDir(folder).filePath(name);
    if (!writeFileAtomically(path, png)) {
        return std::nullopt;
    }
    const QDir dir(folder);
    for (const QString& old :
         dir.entryList({QStringLiteral("clipboard-*.png")}, QDir::Files | QDir::Hidden)) {
        if (old != name) {
            QFile::remove(dir.filePath(old));
        }
    }
    return path;
}

QString lastScreenshotPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("last-screenshot.png"));
}

QString lastRawScreenshotPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("last-screenshot-raw.png"));
}

void persistLastScreenshot(const QImage& rendered, const QImage& raw, const QString& folder)
{
    if (const auto png = encodePng(rendered)) {
        writeFileAtomically(lastScreenshotPath(folder), *png);
    }
    if (const auto png = encodePng(raw)) {
        writeFileAtomically(lastRawScreenshotPath(folder), *png);
    }
}

} // namespace velmora::OutputFiles
