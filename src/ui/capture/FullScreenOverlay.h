#pragma once

#include <QRect>

class QWidget;

namespace velmora {

// Makes a top-level widget a capture overlay over one screen: frameless, above everything and
// left alone by the window manager, so that it covers panels and docks too and no decoration or
// placement policy moves it. `geometry` is the screen's, in global points.
void prepareFullScreenOverlay(QWidget* overlay, const QRect& geometry);

// Shows the overlay and takes the keyboard (and the pointer when `grabPointer`). A window the
// window manager does not manage never gets the focus from it, so the keys have to be grabbed.
void showFullScreenOverlay(QWidget* overlay, bool takeKeyboard, bool grabPointer);

// Gives the keyboard and the pointer back and closes the overlay.
void closeFullScreenOverlay(QWidget* overlay);

} // namespace velmora
