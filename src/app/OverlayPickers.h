#pragma once

#include "CaptureFlows.h"

namespace velmora {

// The pickers the user sees: full-screen overlays over the frozen screens. Each picker lives until
// it has answered.
class OverlayPickers final : public CapturePickers
{
public:
    // Called the moment a picker answers with a pick, before the flow goes on (timing).
    void setPickObserver(std::function<void()> observer) { m_pickObserver = std::move(observer); }

    void pickRegion(RegionPicker::Mode mode, const ScreenLayout& layout, const QList<QImage>& frozen,
                    RegionPicked picked, std::function<void()> cancelled) override;
    void pickWindow(const WindowList& windows, const ScreenLayout& layout, const QList<QImage>& frozen,
                    std::function<void(quint32 windowID)> picked, std::function<void()> cancelled) override;

private:
    std::function<void()> m_pickObserver;
};

} // namespace velmora
