// Prints how long the editor's live background takes to render for a 5K wallpaper and for a
// gradient: the first picture of a new background, a change of the blur alone, and
// one step of panning at 300 %. Figures only; nothing is asserted.

#include "BenchSupport.h"
#include "editor/BackgroundPreview.h"

#include <QGuiApplication>

#include <cstdio>

using namespace velmora;
using namespace velmora::bench;

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QImage wallpaper = uiContent(5120, 2880);
    // A 1440 × 900 capture at density 2 with 50 points of padding, fitted into a 1500 × 1000 area.
    const QSize composite(2880 + 200, 1800 + 200);
    const QSize area(1500, 1000);
    const double fit = 0.45;
    const QSizeF shown(composite.width() * fit, composite.height() * fit);
    const QRectF fitted(QPointF((area.width() - shown.width()) / 2, (area.height() - shown.height()) / 2),
                        shown);
    const int runs = 7;

    const auto report = [&](const char* what, const CompositeBackground& background) {
        BackgroundPreview preview;
        BackgroundPreviewInputs in{background, 20, composite, fitted, area};
        const double firstMs = medianMs(runs, [&] {
            BackgroundPreview fresh;
            fresh.render(in);
        });
        preview.render(in);
        double blur = 20;
        const double blurMs = medianMs(runs, [&] {
            in.backgroundBlur = ++blur;
            preview.render(in);
        });
        const QSizeF zoomed = shown * 3;
        in.compositeRect = QRectF(QPointF(0, 0), zoomed);
        preview.render(in);
        double x = 0;
        const double panMs = medianMs(runs, [&] {
            in.compositeRect = QRectF(QPointF(x -= 20, 0), zoomed);
            preview.render(in);
        });
        std::printf("%s, %dx%d area\n", what, area.width(), area.height());
        std::printf("  new background         %8.1f ms\n", firstMs);
        std::printf("  blur changed           %8.1f ms\n", blurMs);
        std::printf("  pan step at 300%%       %8.1f ms\n\n", panMs);
    };
    report("5120x2880 wallpaper, blur 20", wallpaper);
    report("Preset gradient, blur 20", PresetGradientBackground{BackgroundGradientPreset::oceanWhisper});
    return 0;
}
