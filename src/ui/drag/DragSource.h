#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace velmora {

// Lets the final image be dragged out of a widget into any program that takes files or images.
// Installed on a widget as an event filter: a press followed by a move of 3 points starts a drag
// carrying the PNG as a file (URL) and as image data.
class DragSource : public QObject
{
    Q_OBJECT

public:
    DragSource(QWidget* widget, std::function<QImage()> imageProvider);

    // Only drags while this returns true (for example, while Ctrl is held); always when unset.
    void setEnabledWhen(std::function<bool()> condition) { m_condition = std::move(condition); }
    void setShowsDragCursor(bool shows) { m_showsDragCursor = shows; }
    bool isDragSessionActive() const { return m_isDragSessionActive; }

    static bool passedThreshold(const QPoint& press, const QPoint& current);
    // Fits the image into 200 × 200 points, never enlarging it, in whole points.
    static QSize dragImageSize(const QSize& imagePoints);
    static QMimeData* mimeData(const QByteArray& png, const std::optional<QString>& file);
    // The drag image for a desktop without a compositing manager. There the window that carries it
    // is cut to the pixels at least half opaque and shows them as painted, so a half-transparent
    // pixel (a soft shadow, an antialiased corner) would come out darkened towards black. Each pixel
    // becomes either its own colour, fully opaque, or fully clear.
    static QImage opaqueOrClear(const QImage& image);

Q_SIGNALS:
    void dragBegan();
    void dragEnded(bool accepted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDrag();

    QWidget* m_widget;
    std::function<QImage()> m_imageProvider;
    std::function<bool()> m_condition;
    std::optional<QPoint> m_mouseDownPoint;
    bool m_isDragSessionActive = false;
    bool m_showsDragCursor = false;
};

} // namespace velmora
