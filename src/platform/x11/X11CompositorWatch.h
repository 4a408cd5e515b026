#pragma once

#include "CompositorWatch.h"

#include <QTimer>

#include <memory>

namespace velmora::x11 {

class X11Connection;

// Follows the owner of _NET_WM_CM_S<screen> by asking for it every couple of seconds and whenever a
// window about to be shown asks. The backend's connection selects no events (nothing reads them),
// so an XFixes owner-change notification would need Qt's own connection and a native event filter;
// one selection-owner round trip every two seconds costs next to nothing and is enough to follow a
// compositor the user starts or stops.
class X11CompositorWatch final : public CompositorWatch
{
    Q_OBJECT

public:
    explicit X11CompositorWatch(std::shared_ptr<X11Connection> connection, QObject* parent = nullptr);

    void refresh() override;

private:
    std::shared_ptr<X11Connection> m_connection;
    QTimer m_poll;
};

} // namespace velmora::x11
