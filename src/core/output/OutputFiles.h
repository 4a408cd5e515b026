#pragma once

#include "imaging/AtomicFile.h"

#include <QByteArray>
#include <QDate>
#include <QImage>
#include <QString>

#include <optional>

namespace velmora {

// The files an image leaves an editor through.
namespace OutputFiles {

// Six lower-case hexadecimal characters from a fresh UUID.
QString randomSuffix();

// "Screenshot-20261206-1a2b3c.png".
QString screenshotFileName(const QDate& date);

struct SavedFile
{
    WriteResult result;
    QString path; // where it was written, when it was
};

// The path a Save As writes to: a name typed without an extension gets ".png", so the file opens
// as the PNG it is everywhere; a name with an extension is kept as typed.
QString withPngExtension(const QString& path);

// Writes the PNG into the folder under a new screenshot name. An existing file is never
// overwritten: on a clash another name is picked.
SavedFile saveNewScreenshot(const QByteArray& png, const QString& folder, const QDate& date);

// The PNG offered on the clipboard as a file: "clipboard-xxxxxx.png" in the working folder. On
// success the older clipboard files there are removed, so only the newest is kept.
std::optional<QString> writeClipboardFile(const QByteArray& png, const QString& folder);

QString lastScreenshotPath(const QString& folder);
QString lastRawScreenshotPath(const QString& folder);
// Writes both last-screenshot files (each only when it encodes). Safe to call off the main thread.
void persistLastScreenshot(const QImage& rendered, const QImage& raw, const QString& folder);

} // namespace OutputFiles

} // namespace velmora
