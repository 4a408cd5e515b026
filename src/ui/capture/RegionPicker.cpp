#include "capture/RegionPicker.h"

#include "capture/FullScreenOverlay.h"
#include "capture/OverlayHosts.h"
#include "capture/RegionPickerOverlay.h"

#include <utility>

namespace velmora {

RegionPicker::RegionPicker(Mode mode, ScreenLayout layout, QList<QImage> frozen, QObject* parent)
    : QObject(parent), m_mode(mode), m_layout(std::move(layout)), m_frozen(std::move(frozen))
{}

RegionPicker::~RegionPicker()
{
    close();
}

void RegionPicker::show()
{
    if (!m_overlays.isEmpty()) {
        return;
    }
    const auto behaviour = m_mode == Mode::color ? RegionPickerOverlay::Behaviour::pickColor
                                                 : RegionPickerOverlay::Behaviour::pickRegion;
    const QList<ScreenGeometry>& screens = m_layout.screens();
    for (int i = 0; i < screens.size(); ++i) {
        auto* overlay = new RegionPickerOverlay(behaviour, screens[i], m_frozen.value(i),
                                                OverlayHosts::take(screens[i].geometry));
        connect(overlay, &RegionPickerOverlay::picked, this,
                [this, i](const QImage& crop, const QRect& native) { finish(i, crop, native); });
        connect(overlay, &RegionPickerOverlay::cancelled, this, [this] {
            close();
            Q_EMIT cancelled();
        });
        m_overlays.append(overlay);
    }
    showOverlaysOnScreens(m_overlays, m_layout);
}

void RegionPicker::close()
{
    closeOverlaysInHosts(std::exchange(m_overlays, {}));
}

void RegionPicker::finish(int screenIndex, const QImage& crop, const QRect& native)
{
    close();
    Q_EMIT picked(crop, screenIndex, native);
}

} // namespace velmora
