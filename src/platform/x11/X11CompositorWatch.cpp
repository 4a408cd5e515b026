#include "x11/X11CompositorWatch.h"

#include "x11/X11Connection.h"

namespace velmora::x11 {

namespace {

constexpr int pollIntervalMs = 2000;

} // namespace

X11CompositorWatch::X11CompositorWatch(std::shared_ptr<X11Connection> connection, QObject* parent)
    : CompositorWatch(connection->compositorRunning(), parent), m_connection(std::move(connection))
{
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &X11CompositorWatch::refresh);
    m_poll.start();
}

void X11CompositorWatch::refresh()
{
    setRunning(m_connection->compositorRunning());
}

} // namespace velmora::x11
