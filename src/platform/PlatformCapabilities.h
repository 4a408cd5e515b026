#pragma once

#include <QString>

namespace velmora {

// What the running backend can do, found out once when it is made, so that the flows take the way
// that works and the tray and preferences say plainly what cannot work here.
struct PlatformCapabilities
{
    enum class Shortcuts {
        grabbed,         // Velmora takes the keys itself (X11)
        desktopAssigned, // the desktop binds them through its GlobalShortcuts portal
        unavailable,     // the user binds `velmora region`… in the desktop's keyboard settings
    };

    // Velmora lists the windows and shows its own window picker.
    bool windowList = false;
    // The desktop's own picker captures a window (ScreenCapture::grabWindow asks it).
    bool interactiveWindowGrab = false;
    // Why window capture is not offered on this backend, where it knows better than the general
    // reason windowUnavailableReason() gives.
    QString windowUnavailableDetail;
    bool scrollingCapture = false;
    // Why scrolling capture is not offered, in plain words; empty when it is.
    QString scrollingUnavailableReason;
    Shortcuts shortcuts = Shortcuts::unavailable;

    bool windowCapture() const { return windowList || interactiveWindowGrab; }
    // Why window capture is not offered, in plain words; empty when it is.
    QString windowUnavailableReason() const
    {
        if (windowCapture()) {
            return {};
        }
        return windowUnavailableDetail.isEmpty()
                   ? QStringLiteral("Window capture needs an X11 session or a desktop screenshot portal "
                                    "that lets you pick a window")
                   : windowUnavailableDetail;
    }
};

} // namespace velmora
