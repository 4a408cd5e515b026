#include "capture/FullScreenOverlay.h"

#include "capture/OverlayHosts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>

namespace velmora {

void prepareFullScreenOverlay(QWidget* overlay, const QRect& geometry)
{
    if (overlay->parentWidget()) {
        // Drawn inside a host window that already covers the screen.
        overlay->setGeometry(QRect(QPoint(0, 0), geometry.size()));
    } else {
        overlay->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
        overlay->setGeometry(geometry);
    }
    overlay->setAttribute(Qt::WA_NoSystemBackground);
    overlay->setAttribute(Qt::WA_OpaquePaintEvent);
    overlay->setMouseTracking(true);
    overlay->setFocusPolicy(Qt::StrongFocus);
}

void showFullScreenOverlay(QWidget* overlay, bool takeKeyboard, bool grabPointer)
{
    overlay->show();
    QWidget* window = overlay->window();
    window->show();
    // Only X lets a window bypass the window manager; elsewhere (Wayland, the offscreen platform of
    // the tests) there is nothing to grab back from it.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (x11) {
        window->raise();
    }
    if (takeKeyboard) {
        overlay->activateWindow();
        overlay->setFocus(Qt::OtherFocusReason);
        if (x11) {
            overlay->grabKeyboard();
        }
    }
    if (grabPointer && x11) {
        overlay->grabMouse();
    }
}

void closeFullScreenOverlay(QWidget* overlay)
{
    if (QWidget::keyboardGrabber() == overlay) {
        overlay->releaseKeyboard();
    }
    if (QWidget::mouseGrabber() == overlay) {
        overlay->releaseMouse();
    }
    overlay->hide();
}

void showOverlaysOnScreens(const QList<QPointer<QWidget>>& overlays, const ScreenLayout& layout)
{
    const int keyed = layout.screenAt(QCursor::pos()).value_or(0);
    for (int i = 0; i < overlays.size(); ++i) {
        if (overlays[i]) {
            showFullScreenOverlay(overlays[i], i == keyed, i == keyed && overlays.size() == 1);
        }
    }
}

void closeOverlaysInHosts(const QList<QPointer<QWidget>>& overlays)
{
    for (const QPointer<QWidget>& overlay : overlays) {
        if (overlay) {
            QWidget* host = overlay->parentWidget();
            closeFullScreenOverlay(overlay);
            overlay->deleteLater();
            OverlayHosts::give(host);
        }
    }
}

} // namespace velmora
