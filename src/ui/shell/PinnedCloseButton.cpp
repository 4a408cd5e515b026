#include "shell/PinnedCloseButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace velmora {

PinnedCloseButton::PinnedCloseButton(QWidget* parent) : QAbstractButton(parent)
{
    setFixedSize(diameter, diameter);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setToolTip(tr("Close"));
    setAttribute(Qt::WA_Hover);
}

void PinnedCloseButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, underMouse() ? 166 : 140));
    painter.drawEllipse(bounds);
    // A hairline ring keeps the disc visible over a dark image.
    painter.setPen(QPen(QColor(255, 255, 255, 46), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(bounds.adjusted(0.5, 0.5, -0.5, -0.5));

    const qreal inset = 0.3 * bounds.width();
    const QRectF cross = bounds.adjusted(inset, inset, -inset, -inset);
    painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void PinnedCloseButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT clicked();
}

void PinnedCloseButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

} // namespace velmora
