#pragma once

#include <QObject>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>

#include <functional>

class QWidget;

namespace velmora {

class CompositorWatch;

// Keeps a frameless window with rounded corners clean whether or not a compositing manager runs.
// With one, the window is translucent and its corners simply stay clear. Without one, the X server
// shows transparent pixels as black, so the window is cut to its outline with a shape mask and
// paints itself opaque (ask paintsOpaque()). The mask follows the window's size and the compositor
// coming or going. The shape is a child of the window and goes with it.
class RoundedWindowShape : public QObject
{
    Q_OBJECT

public:
    // The window's outline for a given size, in its own coordinates.
    using Outline = std::function<QPainterPath(const QSizeF&)>;

    // A rounded rectangle of `radius` filling the window.
    RoundedWindowShape(QWidget* window, qreal radius, CompositorWatch* watch = nullptr);
    // Any outline; `watch` null means the application's shared watch.
    RoundedWindowShape(QWidget* window, Outline outline, CompositorWatch* watch = nullptr);

    // A capsule: the corner radius is half the height.
    static Outline capsule();

    // True while no compositor runs: the window must paint everything inside its outline opaque.
    bool isOpaque() const;
    // Whether the window holding `widget` has a shape that asks for opaque painting. Child widgets
    // that draw the window's background ask this.
    static bool paintsOpaque(const QWidget* widget);

    // The pixels whose centres lie inside the outline: what the mask keeps.
    static QRegion regionFor(const QPainterPath& outline);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();

    QWidget* m_window;
    Outline m_outline;
    QPointer<CompositorWatch> m_watch;
};

} // namespace velmora
