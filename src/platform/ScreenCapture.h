#pragma once

#include "WindowInfo.h"
#include "capture/ScreenLayout.h"

#include <QImage>
#include <QList>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

class AreaStream;
class CaptureJob;

// Pixels of the desktop. Every grab is asynchronous and ends in a CaptureJob; the caller owns
// nothing (the job deletes itself after its signal).
class ScreenCapture
{
public:
    virtual ~ScreenCapture() = default;

    // One picture per screen, in the order given, each at the screen's full pixel density (a
    // screen of W×H points at ratio 2 gives 2W×2H pixels with devicePixelRatio 2). Taken together,
    // as close to one instant as the display allows: the region picker shows them frozen.
    virtual CaptureJob* grabScreens(const QList<ScreenGeometry>& screens) = 0;
    // A rectangle of the desktop in native pixels (devicePixelRatio 1). Fails when no part of it
    // lies on a screen.
    virtual CaptureJob* grabArea(const QRect& native) = 0;
    // One window alone, whole even when another window covers part of it, decorations included
    // and client-side shadow margins removed. Fails when the window has gone.
    virtual CaptureJob* grabWindow(quint32 windowID) = 0;
    // A rectangle (native pixels, on one screen) to be grabbed again and again while the user
    // scrolls. By default each grab is a grabArea(); a display whose grabArea is slow streams the
    // screen instead.
    virtual std::unique_ptr<AreaStream> openAreaStream(const QRect& native);
    // Lets go of what is kept to make the next grab quick (buffers shared with the display), for a
    // program that stays running between captures. Grabs still work afterwards.
    virtual void releaseIdleMemory() {}

    // Where to tell the user, once, that the desktop changed how captures go (its dialog comes up
    // from now on). Without one, the log line is all.
    void setNotifier(std::function<void(const QString&)> notify) { m_notify = std::move(notify); }

protected:
    void notify(const QString& message) const
    {
        if (m_notify) {
            m_notify(message);
        }
    }

private:
    std::function<void(const QString&)> m_notify;
};

// The frontmost of `windows` (front to back) whose frame contains the native point, edges included.
std::optional<WindowInfo> windowAt(const QList<WindowInfo>& windows, const QPoint& native);

// The windows on the desktop, front to back, as the user could pick them.
class WindowList
{
public:
    virtual ~WindowList() = default;

    // Normal windows of other programs that are mapped, not hidden and wider and taller than 50
    // pixels, frontmost first. Velmora's own windows are never listed.
    virtual QList<WindowInfo> visibleWindows() const = 0;

    std::optional<WindowInfo> windowInfo(quint32 windowID) const;
    // The frontmost listed window whose frame contains the native point (edges included).
    std::optional<WindowInfo> windowAtPoint(const QPoint& native) const;
};

// Which window has the keyboard, so that it can be given back when a capture ends without an
// editor.
class FocusTracker
{
public:
    virtual ~FocusTracker() = default;
    // 0 when unknown.
    virtual quint32 activeWindow() const = 0;
    virtual void activate(quint32 windowID) = 0;
};

// The picture the desktop draws behind its windows when no desktop settings name a file: the
// root window's background pixmap, in native pixels. Read on any thread.
class RootBackground
{
public:
    virtual ~RootBackground() = default;
    virtual std::optional<QImage> picture() const = 0;
};

} // namespace velmora
