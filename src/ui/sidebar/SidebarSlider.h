#pragma once

#include <QSlider>

namespace velmora {

// A small horizontal slider without ticks. A press beside the handle moves the handle to the
// pointer and starts dragging it from there, instead of stepping by a page. The wheel moves it only
// once it has focus: the sidebar scrolls, and a scroll passing over a slider must not change a
// setting.
class SidebarSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SidebarSlider(QWidget* parent = nullptr);

    // Where the style draws the handle and the groove, in widget coordinates.
    QRect handleRect() const;
    QRect grooveRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace velmora
