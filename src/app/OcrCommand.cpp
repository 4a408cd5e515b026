#include "OcrCommand.h"

#include "capture/OcrService.h"
#include "imaging/ImageDecoder.h"
#include "preferences/SettingsStore.h"

#include <QCommandLineParser>

#include <cstdio>

namespace velmora {

int runOcr(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Print the text in an image, one line per line of text. Exits 1 when there is no "
                       "text, 2 when the image cannot be read."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("ocr"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("IMAGE"), QStringLiteral("The image to read."));
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "velmora ocr: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList operands = parser.positionalArguments().mid(1);
    if (operands.size() != 1) {
        std::fprintf(stderr, "usage: velmora ocr IMAGE\n");
        return 2;
    }
    const QString path = operands.constFirst();
    const std::optional<QImage> image = decodeImageFile(path);
    if (!image) {
        std::fprintf(stderr, "velmora: cannot read the image \"%s\"\n", qPrintable(path));
        return 2;
    }
    OcrService service(SettingsStore::shared());
    const std::optional<QString> text = service.recognizeText(*image);
    if (!text) {
        return 1;
    }
    std::fputs(text->toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    return 0;
}

} // namespace velmora
