#pragma once

#include "WindowInfo.h"

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

namespace velmora {

// What the display server says about one top-level window, before any choice is made.
struct RawWindow
{
    // The EWMH window types, in the client's order of preference.
    enum class Type { normal, dialog, utility, desktop, dock, toolbar, menu, splash, notification, other };

    quint32 windowID = 0;
    QRect frame;               // frame window (decorations included), root coordinates
    QMargins invisibleMargins; // client-side shadow margins inside the frame (_GTK_FRAME_EXTENTS)
    QList<Type> types;
    bool mapped = false;
    bool hidden = false;           // _NET_WM_STATE_HIDDEN: minimised or on another desktop
    bool overrideRedirect = false; // menus, tooltips, overlays: never managed, never pickable
    qint64 pid = 0;                // _NET_WM_PID, 0 when not set
    QString windowClass;           // WM_CLASS class part
    QString processName;           // /proc/<pid>/comm, read only when the class is empty
    QString title;
};

// The windows a user can pick, frontmost first, from the display's windows listed bottom to top.
// Skipped: desktop, dock, toolbar, menu, splash and notification windows; unmapped, hidden and
// override-redirect ones; those of process `ownPid`; those not wider and taller than 50 pixels
// once their invisible margins are cut off.
QList<WindowInfo> pickableWindows(const QList<RawWindow>& bottomToTop, qint64 ownPid);

} // namespace velmora
