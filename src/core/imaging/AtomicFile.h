#pragma once

#include "imaging/PngEncoder.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmora {

// The outcome of a file write: success, or the reason it failed, worded for the one log line the
// caller writes ("[Velmora] Save failed: <message>").
struct WriteResult
{
    bool ok = false;
    QString errorMessage;

    explicit operator bool() const { return ok; }
    static WriteResult success() { return {true, {}}; }
    static WriteResult failure(QString message) { return {false, std::move(message)}; }
};

// Every file Velmora writes goes through here. The bytes go to a temporary file in the target's own
// folder, are flushed to disk and then renamed over the final name, so a crash or a full disk never
// leaves a half-written file under that name, and a reader holding the old file keeps reading it
// whole. The folder must exist; it is not created. On failure nothing is left behind and an existing
// file keeps its old content. An existing file's permissions are kept; a symbolic link is followed
// and its target replaced. A FIFO or character device (a pipe, a terminal, /dev/null) is written
// through, never replaced; any other special file is refused.
WriteResult writeFileAtomically(const QString& path, const QByteArray& bytes);

// Like writeFileAtomically, but never replaces anything: the complete file appears under `path` only
// if no file of that name exists at that moment (the rename refuses to overwrite, so a file created
// by someone else meanwhile is safe too). `existed` tells the caller to pick another name.
WriteResult createFileAtomically(const QString& path, const QByteArray& bytes, bool* existed = nullptr);

// encodePng, then writeFileAtomically.
WriteResult writePngAtomically(const QString& path, const QImage& image, PngOptions options = {});

} // namespace velmora
