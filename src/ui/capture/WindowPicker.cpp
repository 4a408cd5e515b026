#include "capture/WindowPicker.h"

#include "capture/FullScreenOverlay.h"
#include "capture/OverlayHosts.h"
#include "capture/WindowPickerOverlay.h"

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
    showOverlaysOnScreens(m_overlays, m_layout);
}

void WindowPicker::close()
{
    closeOverlaysInHosts(std::exchange(m_overlays, {}));
}

} // namespace velmora
