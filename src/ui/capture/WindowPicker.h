#pragma once

#include "capture/ScreenLayout.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>

namespace velmora {

class WindowList;
class WindowPickerOverlay;

// Lets the user click one window: one full-screen overlay per screen tints the window under the
// pointer and shows "Capture <owner>" where the pointer is. The overlays show the screens' frozen
// pictures, so they look the same with or without a compositing manager.
class WindowPicker : public QObject
{
    Q_OBJECT

public:
    // `windows` must outlive the picker. `frozen`: one picture per screen, as for RegionPicker.
    WindowPicker(const WindowList& windows, ScreenLayout layout, QList<QImage> frozen,
                 QObject* parent = nullptr);
    ~WindowPicker() override;

    void show();
    void close();

Q_SIGNALS:
    // The overlays are closed before either signal is emitted.
    void picked(quint32 windowID);
    void cancelled();

private:
    const WindowList& m_windows;
    ScreenLayout m_layout;
    QList<QImage> m_frozen;
    QList<QPointer<QWidget>> m_overlays; // each a WindowPickerOverlay
};

} // namespace velmora
