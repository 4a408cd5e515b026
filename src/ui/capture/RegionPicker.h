#pragma once

#include "capture/ScreenLayout.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

namespace velmora {

class RegionPickerOverlay;

// Lets the user drag a rectangle over the frozen pictures of every screen: one full-screen
// overlay per screen shows its picture dimmed with the selection cut out. The crop is taken from
// the frozen picture, so nothing of the overlay can be in it.
class RegionPicker : public QObject
{
    Q_OBJECT

public:
    enum class Mode {
        region, // release with at least 16×16 points takes the rectangle
        color,  // a loupe follows the pointer; a click takes the pixel under it, a drag the rectangle
    };

    // `frozen` holds one picture per screen of `layout`, in its order, at the screen's pixel
    // density (devicePixelRatio set).
    RegionPicker(Mode mode, ScreenLayout layout, QList<QImage> frozen, QObject* parent = nullptr);
    ~RegionPicker() override;

    // Shows the overlays, takes the keyboard and the pointer.
    void show();
    // Closes every overlay without emitting anything.
    void close();

Q_SIGNALS:
    // `crop` is the picked part of the frozen picture at full pixel density (devicePixelRatio of
    // its screen); `native` where it lay on the desktop, in native pixels. In colour mode a click
    // gives the single pixel under the pointer. The overlays are closed before this is emitted.
    void picked(const QImage& crop, int screenIndex, const QRect& native);
    // Escape or a right click. The overlays are closed before this is emitted.
    void cancelled();

private:
    void finish(int screenIndex, const QImage& crop, const QRect& native);

    Mode m_mode;
    ScreenLayout m_layout;
    QList<QImage> m_frozen;
    // Top-level widgets cannot have a QObject parent; the picker deletes them itself.
    QList<QPointer<QWidget>> m_overlays; // each a RegionPickerOverlay
};

} // namespace velmora
