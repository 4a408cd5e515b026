#include "capture/CountdownCircle.h"

#include <QFont>
#include <QPainter>

namespace velmora {

void paintCountdownCircle(QPainter& painter, const QPointF& centre, int value)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = countdownCircleDiameter / 2.0;
    const QRectF circle(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 140)); // 55 %
    painter.drawEllipse(circle);
    QFont font; // the application's, whatever widget this is painted on
    font.setPixelSize(36);
    font.setWeight(QFont::Bold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(circle, Qt::AlignCenter, QString::number(value));
    painter.restore();
}

} // namespace velmora
