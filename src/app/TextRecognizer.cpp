#include "TextRecognizer.h"

#include "capture/OcrService.h"

namespace velmora {

TextRecognizer ocrServiceRecognizer(OcrService& service)
{
    return [&service](const QImage& image, QObject* context, std::function<void(TextRecognition)> done) {
        service.recognizeTextAsync(image, context, [&service, done](std::optional<QString> text) {
            // Asked only when nothing came: by then the engine has been loaded (or failed to), so
            // this is a quick look at the outcome.
            const bool unavailable = !text && !service.isAvailable();
            done({std::move(text), unavailable});
        });
    };
}

} // namespace velmora
