#pragma once

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

} // namespace velmora
