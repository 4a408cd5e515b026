#pragma once

#include "capture/ScreenLayout.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::portal {

// Cuts a desktop portal's screenshot into one picture per wanted screen, each of the screen's
// native size and devicePixelRatio, as a display server's own grab gives them. Desktops differ in
// what they return: every output in one picture (the layout's logical bounding box at some scale),
// or only the focused output. In the latter case the screen of that size is taken (`focused`
// decides between equal screens) and the other wanted screens stay transparent. A picture that
// fits neither is refused with a reason in `error`.
std::optional<QList<QImage>> screensFromPicture(QImage picture, const ScreenLayout& layout,
                                                const QList<ScreenGeometry>& wanted,
                                                std::optional<int> focused, QString* error);

// The desktop's pixels of `native` (clipped to the screens beforehand), from the per-screen
// pictures of every screen of `layout`, in its order; what no screen shows is transparent.
QImage desktopArea(const QList<QImage>& screenPictures, const ScreenLayout& layout, const QRect& native);

// Whether the screenshot file a portal handed over may be removed after reading: a regular file
// (not a link) of the user `uid`, directly or further down inside one of `temporaryFolders`. A
// picture the desktop saved among the user's own files stays.
bool isDisposable(const QString& path, const QStringList& temporaryFolders, uint uid);
// The shared temporary folders a portal writes its pictures into.
QStringList temporaryFolders();

// Reads the picture a portal's `uri` (file://) names, then removes the file if it is disposable.
std::optional<QImage> takePicture(const QString& uri, QString* error);

} // namespace velmora::portal
