#pragma once

#include "capture/ScreenLayout.h"

#include <QList>
#include <QPointer>
#include <QRect>

class QWidget;

namespace velmora {

// Makes a widget a capture overlay over one screen. A top-level one becomes frameless, above
// everything and left alone by the window manager, so that it covers panels and docks too and no
// decoration or placement policy moves it; one with a parent (a host from OverlayHosts) fills it.
// `geometry` is the screen's, in global points.
void prepareFullScreenOverlay(QWidget* overlay, const QRect& geometry);

// Shows the overlay and takes the keyboard (and the pointer when `grabPointer`). A window the
// window manager does not manage never gets the focus from it, so the keys have to be grabbed.
void showFullScreenOverlay(QWidget* overlay, bool takeKeyboard, bool grabPointer);

// Gives the keyboard and the pointer back and hides the overlay (its host is the caller's).
void closeFullScreenOverlay(QWidget* overlay);

// Shows one overlay per screen of `layout`, in its order. The keys go to the overlay under the
// pointer. With one screen the pointer is grabbed too, so nothing that pops up above the overlay
// can take a click; with several each overlay must get the pointer events over its own screen,
// which a grab by one of them would take away.
void showOverlaysOnScreens(const QList<QPointer<QWidget>>& overlays, const ScreenLayout& layout);

// Closes the overlays at once, deletes them later (this may run inside one of their own event
// handlers) and hands their hosts back to OverlayHosts, hidden, so a grab that follows cannot see
// them.
void closeOverlaysInHosts(const QList<QPointer<QWidget>>& overlays);

} // namespace velmora
