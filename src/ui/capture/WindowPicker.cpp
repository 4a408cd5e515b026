#include "capture/WindowPicker.h"

#include "capture/FullScreenOverlay.h"
#include "capture/OverlayHosts.h"
#include "capture/WindowPickerOverlay.h"

#include <QCursor>

#include <utility>

namespace velmora {

WindowPicker::WindowPicker(const WindowList& windows, ScreenLayout layout, QList<QImage> frozen,
                           QObject* parent)
    : QObject(parent), m_windows(windows), m_layout(std::move(layout)), m_frozen(std::move(frozen))
{}

WindowPicker::~WindowPicker()
{
    close();
}

void WindowPicker::show()
{
    if (!m_overlays.isEmpty()) {
        return;
    }
    const QList<ScreenGeometry>& screens = m_layout.screens();
    for (int i = 0; i < screens.size(); ++i) {
        auto* overlay = new WindowPickerOverlay(m_windows, screens[i], m_frozen.value(i),
                                                OverlayHosts::take(screens[i].geometry));
        connect(overlay, &WindowPickerOverlay::picked, this, [this](quint32 windowID) {
            close();
            Q_EMIT picked(windowID);
        });
        connect(overlay, &WindowPickerOverlay::cancelled, this, [this] {
            close();
            Q_EMIT cancelled();
        });
        m_overlays.append(overlay);
    }
    // As for the region picker: the keys to the overlay under the pointer, the pointer grabbed only
    // when one overlay covers everything.
    const int keyed = m_layout.screenAt(QCursor::pos()).value_or(0);
    for (int i = 0; i < m_overlays.size(); ++i) {
        showFullScreenOverlay(m_overlays[i], i == keyed, i == keyed && m_overlays.size() == 1);
    }
}

void WindowPicker::close()
{
    const QList<QPointer<WindowPickerOverlay>> overlays = std::exchange(m_overlays, {});
    for (const QPointer<WindowPickerOverlay>& overlay : overlays) {
        if (overlay) {
            QWidget* host = overlay->parentWidget();
            closeFullScreenOverlay(overlay);
            overlay->deleteLater();
            // Hidden at once: the window grab that follows must not see it.
            OverlayHosts::give(host);
        }
    }
}

} // namespace velmora
