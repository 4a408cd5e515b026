#include "OcrCommand.h"

#include "capture/OcrService.h"
#include "imaging/ImageDecoder.h"
#include "preferences/SettingsStore.h"

#include <cstdio>

namespace velmora {

int runOcr(const QStringList& arguments)
{
    const QStringList operands = arguments.mid(2);
    if (operands.size() != 1 || operands.constFirst().startsWith(QLatin1Char('-'))) {
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
