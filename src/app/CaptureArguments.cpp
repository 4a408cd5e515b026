#include "CaptureArguments.h"

#include "capture/GeometryArgument.h"

#include <QCommandLineParser>

#include <cmath>

namespace velmora {

namespace {

QString describe(const QString& command)
{
    if (command == QLatin1String("full")) {
        return QStringLiteral("Capture the screen under the pointer.");
    }
    if (command == QLatin1String("region")) {
        return QStringLiteral("Drag a rectangle over the frozen screens and capture it.");
    }
    if (command == QLatin1String("window")) {
        return QStringLiteral("Click a window and capture it alone.");
    }
    if (command == QLatin1String("text")) {
        return QStringLiteral("Drag a rectangle over text and copy the recognised text; the text is "
                              "also printed.");
    }
    if (command == QLatin1String("scroll")) {
        return QStringLiteral("Drag a rectangle over a page, click Start (or press Return), scroll the page "
                              "down, then click Stop: the frames are stitched into one tall image.");
    }
    return QStringLiteral(
        "Click a pixel (or drag a rectangle for its centre) and copy its colour as #RRGGBB; "
        "the code is also printed.");
}

} // namespace

bool isCaptureCommand(const QString& command)
{
    return command == QLatin1String("full") || command == QLatin1String("region") ||
           command == QLatin1String("window") || command == QLatin1String("color") ||
           command == QLatin1String("text") || command == QLatin1String("scroll");
}

bool CaptureArguments::needsWidgets() const
{
    if (!helpText.isEmpty() || !error.isEmpty()) {
        return false;
    }
    const bool picks = command != QLatin1String("full") && !(command == QLatin1String("region") && geometry);
    return picks || output.isEmpty() || delay > 0;
}

CaptureArguments parseCaptureArguments(const QStringList& arguments)
{
    CaptureArguments parsed;
    parsed.command = arguments.value(1);
    // Colour and text end on the clipboard, not in a file.
    const bool takesFile =
        parsed.command != QLatin1String("color") && parsed.command != QLatin1String("text");
    const bool takesDelay = parsed.command != QLatin1String("color");

    QCommandLineParser parser;
    parser.setApplicationDescription(describe(parsed.command));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the capture to FILE as PNG instead of opening the editor."),
        QStringLiteral("FILE"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Count S seconds down before capturing (at most 60)."),
                                   QStringLiteral("S"));
    const QCommandLineOption geometry(QStringLiteral("geometry"),
                                      QStringLiteral("Capture this rectangle of screen pixels without "
                                                     "picking, e.g. 800x600+100+50."),
                                      QStringLiteral("WxH+X+Y"));
    parser.addOption(help);
    if (takesFile) {
        parser.addOption(output);
    }
    if (takesDelay) {
        parser.addOption(delay);
    }
    if (parsed.command == QLatin1String("region")) {
        parser.addOption(geometry);
    }
    parser.addPositionalArgument(parsed.command, describe(parsed.command));

    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        parsed.helpText = parser.helpText();
        return parsed;
    }
    if (parser.positionalArguments().size() > 1) {
        parsed.error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().at(1));
        return parsed;
    }
    if (takesFile && parser.isSet(output)) {
        parsed.output = parser.value(output);
        if (parsed.output.isEmpty()) {
            parsed.error = QStringLiteral("-o needs a file name");
            return parsed;
        }
    }
    if (takesDelay && parser.isSet(delay)) {
        bool ok = false;
        parsed.delay = parser.value(delay).toDouble(&ok);
        if (!ok || !std::isfinite(parsed.delay) || parsed.delay < 0 ||
            parsed.delay > CaptureArguments::maxDelay) {
            parsed.error = QStringLiteral("invalid delay \"%1\": expected seconds from 0 to %2")
                               .arg(parser.value(delay))
                               .arg(CaptureArguments::maxDelay);
            return parsed;
        }
    }
    if (parsed.command == QLatin1String("region") && parser.isSet(geometry)) {
        const GeometryArgument area = parseGeometryArgument(parser.value(geometry));
        if (!area.rect) {
            parsed.error = area.error;
            return parsed;
        }
        parsed.geometry = area.rect;
    }
    return parsed;
}

} // namespace velmora
