#pragma once

#include "annotation/Annotation.h"
#include "editor/BackgroundSelection.h"
#include "editor/CaptureKind.h"
#include "imaging/Color.h"

#include <QImage>
#include <QStringList>

#include <optional>
#include <variant>

namespace velmora {

// Everything `velmora beautify` was asked for, read and checked: the images are decoded and every
// number lies in the range the editor's controls allow.
struct BeautifyJob
{
    QImage input; // its device pixel ratio is --scale
    std::optional<QImage> wallpaper;
    QString outputPath;
    CaptureKind kind = CaptureKind::region;
    double padding = 0;
    double inset = 0;
    double cornerRadius = 0;
    double shadow = 0;
    double backgroundBlur = 0;
    bool drawsShadow = true;
    // One of the built-in backgrounds, or a colour of the user's.
    std::variant<BackgroundSelection, Color> background;
    AnnotationList annotations; // in points of the input
};

// How the command ends without rendering: the help on stdout with status 0, or one line naming the
// bad argument or file on stderr with status 2.
struct BeautifyExit
{
    int status = 2;
    QString message;
};

// Reads the arguments (the program and "beautify" first) and the files they name. Nothing is
// written.
std::variant<BeautifyJob, BeautifyExit> parseBeautifyArguments(const QStringList& arguments);

// Renders the job exactly as the editor would export it and writes the PNG. Returns the exit
// status: 0 when written, 1 when the write fails, 2 when the result is too large to render; a
// failure prints one line on stderr.
int renderBeautify(const BeautifyJob& job);

// `velmora beautify INPUT -o OUTPUT [options]`: places an image on a background and writes the
// PNG exactly as the editor would export it. Returns the process exit status: 0 on success, 2 for
// bad input (one line on stderr names it; OUTPUT is left untouched), 1 when the write fails.
int runBeautify(const QStringList& arguments);

} // namespace velmora
