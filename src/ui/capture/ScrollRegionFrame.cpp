#include "ScrollRegionFrame.h"

#include <QPainter>
#include <QRegion>

namespace velmora {

ScrollRegionFrame::ScrollRegionFrame(const QRect& region) : m_region(region)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setWindowTitle(QStringLiteral("Velmora scrolling region"));
    const QRect outer = region.adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth);
    setGeometry(outer);
    const QRect local = outer.translated(-outer.topLeft());
    setMask(QRegion(local).subtracted(QRegion(local.adjusted(ringWidth, ringWidth, -ringWidth, -ringWidth))));
}

void ScrollRegionFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect local = rect();
    painter.fillRect(local, QColor(10, 132, 255));
    // A thin dark inner line keeps the ring visible on a blue page too.
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawRect(local.adjusted(ringWidth - 1, ringWidth - 1, -ringWidth, -ringWidth));
}

} // namespace velmora
