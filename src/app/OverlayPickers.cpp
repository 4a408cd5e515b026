#include "OverlayPickers.h"

#include "capture/WindowPicker.h"

namespace velmora {

void OverlayPickers::pickRegion(RegionPicker::Mode mode, const ScreenLayout& layout,
                                const QList<QImage>& frozen, RegionPicked picked,
                                std::function<void()> cancelled)
{
    auto* picker = new RegionPicker(mode, layout, frozen);
    QObject::connect(picker, &RegionPicker::picked, picker,
                     [this, picker, picked](const QImage& crop, int screenIndex, const QRect& native) {
                         picker->deleteLater();
                         if (m_pickObserver) {
                             m_pickObserver();
                         }
                         picked(crop, screenIndex, native);
                     });
    QObject::connect(picker, &RegionPicker::cancelled, picker, [picker, cancelled] {
        picker->deleteLater();
        cancelled();
    });
    picker->show();
}

void OverlayPickers::pickWindow(const WindowList& windows, const ScreenLayout& layout,
                                const QList<QImage>& frozen, std::function<void(quint32)> picked,
                                std::function<void()> cancelled)
{
    auto* picker = new WindowPicker(windows, layout, frozen);
    QObject::connect(picker, &WindowPicker::picked, picker, [this, picker, picked](quint32 windowID) {
        picker->deleteLater();
        if (m_pickObserver) {
            m_pickObserver();
        }
        picked(windowID);
    });
    QObject::connect(picker, &WindowPicker::cancelled, picker, [picker, cancelled] {
        picker->deleteLater();
        cancelled();
    });
    picker->show();
}

} // namespace velmora
