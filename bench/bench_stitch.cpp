// Scrolling capture: what registering one 1280×800 frame against the last accepted one costs (row
// signatures of the new frame plus the shift search), and what a 40-frame stitch costs end to end.
// Figures only; nothing is asserted.
#include "BenchSupport.h"
#include "capture/RowSignatures.h"
#include "capture/ScrollStitcher.h"
#include "capture/ShiftEstimator.h"

#include <QGuiApplication>

#include <algorithm>
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
    // Each pair once, as a capture sees them: the new frame is not in the cache yet.
    const double sequence = medianMs(5, [&] {
        RowSignatures last(views[0]);
        for (int i = 1; i < frames; ++i) {
            RowSignatures next(views[std::size_t(i)]);
            measured = estimateShift(last, next)->shift;
            last = std::move(next);
        }
    });
    std::printf("registration of a %dx%d pair: %.2f ms over %d successive pairs (same pair again: "
                "signatures %.2f ms, shift search %.2f ms); shift %d\n",
                width, height, sequence / (frames - 1), frames - 1, signatures, search, measured);

    int stitchedHeight = 0;
    double framesMs = 0;
    double imageMs = 0;
    for (int run = 0; run < 5; ++run) {
        ScrollStitcher stitcher;
        const double frameTime = medianMs(1, [&] {
            for (const QImage& view : views) {
                stitcher.addFrame(view);
            }
        });
        const double imageTime = medianMs(1, [&] { stitchedHeight = stitcher.image().height(); });
        framesMs = run == 0 ? frameTime : std::min(framesMs, frameTime);
        imageMs = run == 0 ? imageTime : std::min(imageMs, imageTime);
    }
    std::printf("%d-frame stitch (best of 5): frames %.1f ms (%.2f ms per frame), composing the %d-row "
                "image %.1f ms\n",
                frames, framesMs, framesMs / frames, stitchedHeight, imageMs);
    return 0;
}
