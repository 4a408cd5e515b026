#pragma once

#include <QRect>
#include <QString>

namespace velmora {

// One window the user can pick.
struct WindowInfo
{
    quint32 windowID = 0; // the X window id of the client (top-level) window
    // The window's frame (decorations included, invisible client-side shadow margins excluded)
    // in native pixels of the desktop: root-window coordinates, top-left origin, y down.
    QRect frame;
    QString ownerName; // the program (WM_CLASS class, else the process name); may be empty
    QString name;      // the title; may be empty

    bool operator==(const WindowInfo&) const = default;
};

} // namespace velmora
