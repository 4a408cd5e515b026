// Annotation files come from scripts and strangers (`velmora beautify --annotations`). Whatever
// parses must also survive everything the editor does with it: bounds, grips, hit tests, resizing,
// moving and crop. Painting is fuzzed by fuzz_annotation_render, which runs far fewer inputs.
#include "FuzzSupport.h"

#include "annotation/AnnotationGeometry.h"
#include "annotation/AnnotationJson.h"
#include "annotation/TextLayout.h"

#include <cmath>

using namespace velmora;

namespace {

bool isFinite(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height());
}

void exercise(const AnnotationList& annotations)
{
    for (const Annotation& annotation : annotations) {
        const std::optional<QRectF> bounds = selectionBoundingRect(annotation);
        FUZZ_CHECK(!bounds || isFinite(*bounds));
        const QPointF probe = bounds ? bounds->center() : QPointF();
        annotationContainsPoint(annotation, probe);
        hitTestHandle(annotation, probe, 1.0);
        for (const auto& [handle, position] : resizeHandlePositions(annotation)) {
            const ResizeState state = setupResizeState(annotation, handle);
            const Annotation resized =
                resizedAnnotation(annotation, handle, position + QPointF(7, -5), state);
            FUZZ_CHECK(annotationId(resized) == annotationId(annotation));
        }
        if (const std::optional<QPointF> anchor = annotationAnchor(annotation)) {
            const Annotation moved = movedAnnotation(annotation, *anchor + QPointF(3, 4));
            FUZZ_CHECK(annotationId(moved) == annotationId(annotation));
        }
    }
    hitTest(annotations, QPointF(10, 10));
    translatedAndKept(annotations, QPointF(-5, -5), QRectF(0, 0, 40, 30));
}

} // namespace

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
    if (const auto* error = std::get_if<AnnotationParseError>(&parsed)) {
        FUZZ_CHECK(!error->message.isEmpty());
        return 0;
    }
    exercise(std::get<AnnotationList>(parsed));
    return 0;
}
