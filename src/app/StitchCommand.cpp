#include "StitchCommand.h"

#include "capture/ScrollStitcher.h"
#include "imaging/AtomicFile.h"
#include "imaging/ImageDecoder.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace velmora {

namespace {

void printError(const QString& message)
{
    std::fprintf(stderr, "velmora stitch: %s\n", qPrintable(message));
}

} // namespace

int runStitch(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stitch frames of a scrolled page, top first, into one tall PNG. Each frame must "
                       "overlap the last one used; frames that do not are skipped."));
    parser.addHelpOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The PNG to write."), QStringLiteral("OUTPUT"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("stitch"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("FRAME"), QStringLiteral("Frames in capture order."),
                                 QStringLiteral("FRAME…"));
    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList frames = parser.positionalArguments().mid(1);
    if (frames.isEmpty()) {
        printError(QStringLiteral("no frames given"));
        return 2;
    }
    if (!parser.isSet(output) || parser.value(output).isEmpty()) {
        printError(QStringLiteral("no output file given (-o OUTPUT)"));
        return 2;
    }

    // Every frame is read and checked before anything is stitched or written.
    std::vector<QImage> images;
    for (const QString& path : frames) {
        if (!QFileInfo(path).isFile()) {
            printError(QStringLiteral("%1: no such file").arg(path));
            return 2;
        }
        std::optional<QImage> image = decodeImageFile(path);
        if (!image || image->isNull()) {
            printError(QStringLiteral("%1: not a readable image").arg(path));
            return 2;
        }
        if (!images.empty() && image->size() != images.front().size()) {
            printError(QStringLiteral("%1: %2×%3 pixels, but the first frame is %4×%5")
                           .arg(path)
                           .arg(image->width())
                           .arg(image->height())
                           .arg(images.front().width())
                           .arg(images.front().height()));
            return 2;
        }
        images.push_back(std::move(*image));
    }

    ScrollStitcher stitcher;
    int used = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const StitchOutcome outcome = stitcher.addFrame(images[i]);
        if (outcome == StitchOutcome::LimitReached) {
            printError(QStringLiteral("the image reached its height limit; %1 and later frames are left out")
                           .arg(frames[int(i)]));
            break;
        }
        used += outcome == StitchOutcome::First || outcome == StitchOutcome::Appended ? 1 : 0;
    }
    const QImage stitched = stitcher.image();
    if (stitched.isNull()) {
        printError(QStringLiteral("the stitched image could not be made"));
        return 1;
    }
    const WriteResult written = writePngAtomically(parser.value(output), stitched);
    if (!written) {
        printError(QStringLiteral("could not write %1: %2").arg(parser.value(output), written.errorMessage));
        return 1;
    }
    std::printf("Stitched %d of %d frames into %d×%d pixels: %s\n", used, int(frames.size()),
                stitched.width(), stitched.height(), qPrintable(parser.value(output)));
    return 0;
}

} // namespace velmora
