#include "drag/DragSource.h"

#include "CompositorWatch.h"
#include "imaging/PngEncoder.h"
#include "output/DragExportStore.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

#include <cmath>

namespace velmora {

DragSource::DragSource(QWidget* widget, std::function<QImage()> imageProvider)
    : QObject(widget), m_widget(widget), m_imageProvider(std::move(imageProvider))
{
    widget->installEventFilter(this);
}

bool DragSource::passedThreshold(const QPoint& press, const QPoint& current)
{
    const QPoint d = current - press;
    return std::hypot(d.x(), d.y()) >= 3;
}

QSize DragSource::dragImageSize(const QSize& image)
{
    if (image.isEmpty()) {
        return {0, 0};
    }
    const double scale = std::min({200.0 / image.width(), 200.0 / image.height(), 1.0});
    return {std::max(1, int(std::floor(image.width() * scale))),
            std::max(1, int(std::floor(image.height() * scale)))};
}

QImage DragSource::opaqueOrClear(const QImage& image)
{
    QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < straight.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(straight.scanLine(y));
        for (int x = 0; x < straight.width(); ++x)
            line[x] = qAlpha(line[x]) >= 128 ? line[x] | 0xff000000u : 0u;
    }
    return straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QMimeData* DragSource::mimeData(const QByteArray& png, const std::optional<QString>& file)
{
    auto* data = new QMimeData;
    if (file) {
        data->setUrls({QUrl::fromLocalFile(*file)});
    }
    if (!png.isEmpty()) {
        data->setData(QStringLiteral("image/png"), png);
    }
    return data;
}

bool DragSource::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_widget) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && (!m_condition || m_condition())) {
            m_mouseDownPoint = mouse->position().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_mouseDownPoint || m_isDragSessionActive) {
            break;
        }
        if (passedThreshold(*m_mouseDownPoint, mouse->position().toPoint()) && m_imageProvider) {
            startDrag();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_mouseDownPoint) {
            m_mouseDownPoint.reset();
            return true;
        }
        break;
    case QEvent::Enter:
        if (m_showsDragCursor) {
            m_widget->setCursor(Qt::OpenHandCursor);
        }
        break;
    default:
        break;
    }
    return false;
}

void DragSource::startDrag()
{
    const QImage image = m_imageProvider();
    m_mouseDownPoint.reset();
    if (image.isNull()) {
        return;
    }
    m_isDragSessionActive = true;
    if (m_showsDragCursor) {
        m_widget->setCursor(Qt::ClosedHandCursor);
    }
    const QByteArray png = encodePng(image).value_or(QByteArray());
    const auto file = png.isEmpty() ? std::nullopt : DragExportStore::writeImage(png);

    auto* drag = new QDrag(m_widget);
    drag->setMimeData(mimeData(png, file));
    const QSize points = dragImageSize((QSizeF(image.size()) / image.devicePixelRatio()).toSize());
    const double dpr = m_widget->devicePixelRatioF();
    QImage shown = image.scaled(points * dpr, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (const CompositorWatch* compositor = CompositorWatch::shared(); compositor && !compositor->isRunning())
        shown = opaqueOrClear(shown);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(dpr);
    drag->setPixmap(pixmap);
    drag->setHotSpot(QPoint(points.width() / 2, points.height() / 2));
    Q_EMIT dragBegan();
    const Qt::DropAction result = drag->exec(Qt::CopyAction);
    m_isDragSessionActive = false;
    if (m_showsDragCursor) {
        m_widget->setCursor(Qt::OpenHandCursor);
    }
    Q_EMIT dragEnded(result != Qt::IgnoreAction);
}

} // namespace velmora
