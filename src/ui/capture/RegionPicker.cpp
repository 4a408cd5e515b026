#include "capture/RegionPicker.h"

#include "capture/FullScreenOverlay.h"
#include "capture/OverlayHosts.h"
#include "capture/RegionPickerOverlay.h"

#include <QCursor>

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
    // The keys go to the overlay under the pointer. With one screen the pointer is grabbed too, so
    // nothing that pops up above the overlay can take a click; with several each overlay must get
    // the pointer events over its own screen, which a grab by one of them would take away.
    const int keyed = m_layout.screenAt(QCursor::pos()).value_or(0);
    for (int i = 0; i < m_overlays.size(); ++i) {
        showFullScreenOverlay(m_overlays[i], i == keyed, i == keyed && m_overlays.size() == 1);
    }
}

void RegionPicker::close()
{
    const QList<QPointer<RegionPickerOverlay>> overlays = std::exchange(m_overlays, {});
    for (const QPointer<RegionPickerOverlay>& overlay : overlays) {
        if (overlay) {
            QWidget* host = overlay->parentWidget();
            closeFullScreenOverlay(overlay);
            // Later: close() may run inside one of the overlay's own event handlers.
            overlay->deleteLater();
            OverlayHosts::give(host);
        }
    }
}

void RegionPicker::finish(int screenIndex, const QImage& crop, const QRect& native)
{
    close();
    Q_EMIT picked(crop, screenIndex, native);
}

} // namespace velmora
