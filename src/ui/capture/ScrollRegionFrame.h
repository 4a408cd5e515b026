#pragma once

#include <QRect>
#include <QWidget>

namespace velmora {

// The outline that keeps a scrolling capture's region in view: a ring drawn just outside the region,
// in a window cut to that ring (so it needs no compositing manager) that lets every click and wheel
// turn through. Nothing of it lies inside the region, so no grabbed frame contains it.
class ScrollRegionFrame : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ringWidth = 3;

    // `region` in global points.
    explicit ScrollRegionFrame(const QRect& region);

    QRect region() const { return m_region; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect m_region;
};

} // namespace velmora
