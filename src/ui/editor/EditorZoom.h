#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace velmora {

// The editor's zoom: 100% (the fitted size) to 1000% in steps of 100, driven by keys and by
// Ctrl+scroll through an accumulator so a trackpad's small deltas add up to whole steps.
class EditorZoom
{
public:
    static constexpr double stepPercent = 100;
    static constexpr double minPercent = 100;
    static constexpr double maxPercent = 1000;

    double percent() const { return m_percent; }
    double accumulator() const { return m_accumulator; }

    void zoomIn();
    void zoomOut();
    void reset();
    // One scroll event: the larger of the two deltas (vertical on a tie), in wheel notches; precise
    // (pixel) deltas count a tenth. Returns whether the zoom changed.
    bool scroll(double deltaX, double deltaY, bool precise);
    // The scroll gesture (or its momentum) ended.
    void endScrollGesture() { m_accumulator = 0; }

private:
    double m_percent = minPercent;
    double m_accumulator = 0;
};

// Where the picture sits in the canvas area.
struct CanvasLayout
{
    double scale = 1;   // view points per canvas point
    QRectF pictureRect; // in the area's coordinates
    QSizeF maxOffset;   // how far panning may move the picture either way
};

// Fits the picture into the area (never enlarging it), applies the zoom and the pan offset, which
// is limited so panning reveals the overflow but no more.
CanvasLayout canvasLayout(const QSizeF& areaSize, const QSizeF& displaySize, bool tightFit,
                          double zoomPercent, const QPointF& offset);

} // namespace velmora
