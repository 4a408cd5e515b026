// Annotations read from a file are painted by the export exactly as the editor paints them. Any
// list that parses must paint without fault, whatever its sizes, widths, styles and texts.
#include "FuzzSupport.h"

#include "annotation/AnnotationJson.h"
#include "annotation/AnnotationPainter.h"
#include "annotation/TextLayout.h"

#include <QImage>

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startGuiApplication();
    // The font database fills its caches on first use; do that here, not inside the first input.
    FUZZ_CHECK(registerBundledFonts());
    for (TextStyle style : allCases<TextStyle>()) {
        TextBlockLayout(QStringLiteral("Warm up"), annotationFont(style, 12), std::nullopt).glyphPath(100);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto parsed = parseAnnotationsJson(fuzz::bytes(data, size));
    const auto* annotations = std::get_if<AnnotationList>(&parsed);
    if (!annotations) {
        return 0;
    }
    // Small, so the cost is the shapes and not the pixels; the blur source is the picture itself.
    QImage base(48, 32, QImage::Format_ARGB32_Premultiplied);
    base.fill(Qt::white);
    const QImage painted = renderAnnotated(base, *annotations, BlurSource{base, QPointF()});
    FUZZ_CHECK(painted.size() == base.size());
    FUZZ_CHECK(painted.format() == base.format() || annotations->isEmpty());
    return 0;
}
