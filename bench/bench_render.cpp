// Prints how long the export of an annotated screenshot takes: the background composite, the
// annotations drawn over it, and the PNG encoding, against Qt's own PNG writer on the same image.
// Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "annotation/AnnotationPainter.h"
#include "annotation/TextLayout.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/GradientRenderer.h"
#include "imaging/PngEncoder.h"
#include "preferences/SettingsStore.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <functional>

using namespace velmora;
using namespace velmora::bench;

namespace {

// Twenty annotations of every kind spread over a canvas of the given size in points.
AnnotationList twentyAnnotations(const QSizeF& size, double offset)
{
    AnnotationList list;
    const auto at = [&](double fx, double fy) {
        return QPointF(offset + fx * size.width(), offset + fy * size.height());
    };
    const Color red = Color::fromRgb8(255, 59, 48);
    int styleIndex = 0;
    for (int i = 0; i < 4; ++i) {
        list.append(ArrowAnnotation{QUuid::createUuid(), at(0.1 + 0.2 * i, 0.8), at(0.2 + 0.2 * i, 0.5), red,
                                    8, i % 2 == 0, allCases<ArrowStyle>()[std::size_t(styleIndex++ % 6)]});
    }
    for (int i = 0; i < 4; ++i) {
        TextAnnotation t;
        t.id = QUuid::createUuid();
        t.position = at(0.2 + 0.2 * i, 0.2);
        t.text = QStringLiteral("Label %1\nsecond line").arg(i);
        t.fontSize = 32;
        t.color = red;
        t.style = allCases<TextStyle>()[std::size_t(i + 2)];
        t.hasWhiteStroke = i == 0;
        list.append(t);
    }
    for (int i = 0; i < 4; ++i) {
        list.append(RectAnnotation{QUuid::createUuid(), at(0.05 + 0.22 * i, 0.3),
                                   QSizeF(size.width() * 0.15, size.height() * 0.1), red, 6, 6, i % 2 == 1});
    }
    for (int i = 0; i < 3; ++i) {
        list.append(EllipseAnnotation{QUuid::createUuid(), at(0.1 + 0.25 * i, 0.6),
                                      QSizeF(size.width() * 0.12, size.height() * 0.08), red, 6, false});
    }
    for (int i = 0; i < 3; ++i) {
        DrawAnnotation d{QUuid::createUuid(), {}, red, 6, i == 0};
        for (int k = 0; k < 60; ++k) {
            d.points.append(at(0.1 + 0.3 * i + 0.004 * k, 0.9 - 0.05 * std::sin(k / 6.0)));
        }
        list.append(d);
    }
    for (int i = 0; i < 2; ++i) {
        list.append(BlurAnnotation{QUuid::createUuid(), at(0.3 + 0.3 * i, 0.4),
                                   QSizeF(size.width() * 0.2, size.height() * 0.08), 12});
    }
    return list;
}

void benchCapture(int pixelWidth, int pixelHeight, double scale, int runs)
{
    QImage content = uiContent(pixelWidth, pixelHeight, true);
    content.setDevicePixelRatio(scale);
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers(QDir::temp().filePath(QStringLiteral("velmora-bench-unused")));
    EditorSession session(content, CaptureKind::region,
                          CaptureBackgroundAssets{content, std::nullopt, 50, true}, true,
                          {settings, wallpapers});
    session.setBackgroundSelection(BackgroundSelection::gradient(BackgroundGradientPreset::oceanWhisper));
    session.setAnnotations(twentyAnnotations(QSizeF(content.size()) / scale, session.contentOffset()));

    // Wall time is the median of the runs; CPU time (all threads) is the mean, and tells more than
    // the wall time when other work shares the machine.
    struct Figure
    {
        double wallMs;
        double cpuMs;
    };
    const auto measure = [runs](const std::function<void()>& work) {
        const double cpuBefore = processCpuMs();
        const double wall = medianMs(runs, work);
        return Figure{wall, (processCpuMs() - cpuBefore) / runs};
    };
    QImage composite;
    const Figure compositeMs = measure([&] {
        session.clearCompositeCache();
        GradientRenderer::clearCache();
        composite = session.flattenedComposite();
    });
    QImage annotated;
    const Figure annotationMs =
        measure([&] { annotated = renderAnnotated(composite, session.annotations(), session.blurSource()); });
    QByteArray png;
    const Figure encodeMs = measure([&] { png = encodePng(annotated).value_or(QByteArray()); });
    QByteArray qt;
    const double qtMs = medianMs(std::max(1, runs / 2), [&] { qt = qtPng(annotated); });

    std::printf("%dx%d capture at scale %.0f -> %dx%d output, 20 annotations, composite on\n", pixelWidth,
                pixelHeight, scale, annotated.width(), annotated.height());
    std::printf("  composite   %8.1f ms  (CPU %6.1f ms)\n", compositeMs.wallMs, compositeMs.cpuMs);
    std::printf("  annotations %8.1f ms  (CPU %6.1f ms)\n", annotationMs.wallMs, annotationMs.cpuMs);
    std::printf("  PNG encode  %8.1f ms  (CPU %6.1f ms, %.1f MiB)\n", encodeMs.wallMs, encodeMs.cpuMs,
                png.size() / 1048576.0);
    std::printf("  total       %8.1f ms  (CPU %6.1f ms)\n",
                compositeMs.wallMs + annotationMs.wallMs + encodeMs.wallMs,
                compositeMs.cpuMs + annotationMs.cpuMs + encodeMs.cpuMs);
    std::printf("  Qt PNG writer (default) %8.1f ms  (%.1f MiB); Velmora's encoder is %.1fx faster\n\n", qtMs,
                qt.size() / 1048576.0, qtMs / std::max(encodeMs.wallMs, 0.001));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    registerBundledFonts();
    // "--write-input FILE" writes the 5K desktop as a PNG (Qt's writer, as most tools save
    // screenshots) for timing `velmora beautify` on it, and does nothing else.
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--write-input")); at > 0) {
        const QString path = arguments.value(at + 1);
        if (path.isEmpty() || !uiContent(5120, 2880).save(path, "png")) {
            std::fprintf(stderr, "cannot write the input PNG to \"%s\"\n", qPrintable(path));
            return 1;
        }
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    benchCapture(3840, 2160, 1, runs);
    benchCapture(5120, 2880, 2, runs);
    return 0;
}
