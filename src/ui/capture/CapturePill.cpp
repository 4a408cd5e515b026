#include "capture/CapturePill.h"

#include "icons/LucideIcon.h"
#include "imaging/ShadowLayer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace velmora {

namespace {

// No blur behind the pill here, so the capsule carries the darkness itself, as the notification
// pill does.
const QColor capsuleFill(22, 22, 25, 222);
const QColor capsuleOutline(255, 255, 255, 31); // the text colour at 12 %

QFont pillFont()
{
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

QString CapturePill::text(const QString& ownerName)
{
    return QStringLiteral("Capture ") + (ownerName.isEmpty() ? QStringLiteral("Window") : ownerName);
}

QImage CapturePill::render(const QString& ownerName, qreal devicePixelRatio)
{
    const QFont font = pillFont();
    const QFontMetricsF metrics(font);
    const QString label = text(ownerName);
    const qreal contentHeight = std::max<qreal>(metrics.height(), iconSize);
    const QSizeF capsuleSize(horizontalPadding * 2 + iconSize + iconSpacing +
                                 std::ceil(metrics.horizontalAdvance(label)),
                             verticalPadding * 2 + std::ceil(contentHeight));
    const QSize logical(int(std::ceil(capsuleSize.width())) + 2 * shadowMargin,
                        int(std::ceil(capsuleSize.height())) + 2 * shadowMargin);

    QImage image(logical * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    const QRectF capsule(QPointF(shadowMargin, shadowMargin), capsuleSize);
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    {
        // Black at 18 %, blurred over 6 points, 2 points down.
        ShadowLayer shadow(image.size(), 3 * devicePixelRatio);
        QTransform toPixels;
        toPixels.scale(devicePixelRatio, devicePixelRatio);
        shadow.addPath(toPixels.map(path));
        if (shadow.isValid()) {
            painter.save();
            painter.scale(1 / devicePixelRatio, 1 / devicePixelRatio);
            shadow.paint(painter, 0.18, 2 * devicePixelRatio);
            painter.restore();
        }
    }
    painter.fillPath(path, capsuleFill);
    painter.setPen(QPen(capsuleOutline, 1));
    painter.drawPath(path);

    const QPixmap icon =
        LucideIcon::pixmap(QStringLiteral("app-window"), Qt::white, iconSize, devicePixelRatio);
    const qreal iconX = capsule.left() + horizontalPadding;
    painter.drawPixmap(QPointF(iconX, capsule.center().y() - iconSize / 2.0), icon);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRectF textBox(iconX + iconSize + iconSpacing, capsule.top(),
                         capsule.right() - horizontalPadding - (iconX + iconSize + iconSpacing),
                         capsule.height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, label);
    return image;
}

QPointF CapturePill::centreOffset(const QImage& rendered)
{
    return QRectF(QPointF(0, 0), rendered.deviceIndependentSize()).center();
}

} // namespace velmora
