#include "shell/ShellIcons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace velmora {

QPixmap shellIconPixmap(const QString& name, const QColor& tint, int size, qreal devicePixelRatio)
{
    const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
    if (name.isEmpty() || size <= 0 || !QFile::exists(path))
        return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    // The line icons are single-colour shapes: keep their coverage, take the tint's colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

} // namespace velmora
