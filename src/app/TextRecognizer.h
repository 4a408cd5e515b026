#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QObject;

namespace velmora {

class OcrService;

// What a recognition gave: the text, or nothing; `unavailable` when nothing came because the
// recogniser could not run at all (its module or language data missing).
struct TextRecognition
{
    std::optional<QString> text;
    bool unavailable = false;
};

// Recognises the text of a picture off the main thread and answers on `context`'s thread, not at
// all once `context` is gone.
using TextRecognizer =
    std::function<void(const QImage& image, QObject* context, std::function<void(TextRecognition)> done)>;

// A recogniser backed by `service`, which must outlive every recognition started through it.
TextRecognizer ocrServiceRecognizer(OcrService& service);

} // namespace velmora
