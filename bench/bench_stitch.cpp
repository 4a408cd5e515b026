// Scrolling capture: what registering one 1280×800 frame against the last accepted one costs (row
// signatures of the new frame plus the shift search), and what a 40-frame stitch costs end to end.
// Figures only; nothing is asserted.
#include "BenchSupport.h"
#include "capture/RowSignatures.h"
#include "capture/ScrollStitcher.h"
#include "capture/ShiftEstimator.h"

#include <QGuiApplication>

#include <cstdio>
#include <vector>

using namespace velmora;
using namespace velmora::bench;

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    constexpr int width = 1280;
    constexpr int height = 800;
    constexpr int step = 90;
    constexpr int frames = 40;
    // A page of application windows full of text, tall enough for 40 steps.
    const QImage page =
        uiContent(width, height + step * frames, true).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<QImage> views;
    for (int i = 0; i < frames; ++i) {
        views.push_back(page.copy(0, i * step, width, height));
    }

    const RowSignatures previous(views[0]);
    const double signatures = medianMs(21, [&] { RowSignatures current(views[1]); });
    const RowSignatures current(views[1]);
    int measured = 0;
    const double search = medianMs(21, [&] { measured = estimateShift(previous, current)->shift; });
    const double registration = medianMs(21, [&] {
        const RowSignatures next(views[1]);
        measured = estimateShift(previous, next)->shift;
    });
    std::printf("registration of a %dx%d pair: %.2f ms (signatures %.2f ms, shift search %.2f ms); "
                "shift %d\n",
                width, height, registration, signatures, search, measured);

    int stitchedHeight = 0;
    const double stitch = medianMs(5, [&] {
        ScrollStitcher stitcher;
        for (const QImage& view : views) {
            stitcher.addFrame(view);
        }
        stitchedHeight = stitcher.image().height();
    });
    std::printf("%d-frame stitch (frames in, image out): %.1f ms, %.2f ms per frame; %d rows\n", frames,
                stitch, stitch / frames, stitchedHeight);
    return 0;
}
