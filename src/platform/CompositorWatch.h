#pragma once

#include <QObject>

namespace velmora {

// Whether a compositing manager draws the desktop. Windows with transparent parts follow it: with
// one, they are truly translucent; without one, the X server shows their transparent pixels as
// black, so they cut themselves to their outline instead.
class CompositorWatch : public QObject
{
    Q_OBJECT

public:
    explicit CompositorWatch(bool running = false, QObject* parent = nullptr);

    bool isRunning() const { return m_running; }
    // Asks the display server again now; a window about to be shown wants a fresh answer rather than
    // one up to a poll interval old. Emits runningChanged() when the answer differs.
    virtual void refresh() {}

    // The watch the application's windows follow, set once the platform exists. Until then (and in
    // tests that set none) a compositor is assumed, which keeps plain translucency.
    static CompositorWatch* shared();
    static void setShared(CompositorWatch* watch);

signals:
    void runningChanged(bool running);

protected:
    void setRunning(bool running);

private:
    bool m_running;
};

} // namespace velmora
