#include "CompositorWatch.h"

#include <QPointer>

namespace velmora {

namespace {

QPointer<CompositorWatch>& sharedWatch()
{
    static QPointer<CompositorWatch> watch;
    return watch;
}

} // namespace

CompositorWatch::CompositorWatch(bool running, QObject* parent) : QObject(parent), m_running(running) {}

CompositorWatch* CompositorWatch::shared()
{
    return sharedWatch().data();
}

void CompositorWatch::setShared(CompositorWatch* watch)
{
    sharedWatch() = watch;
}

void CompositorWatch::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    emit runningChanged(running);
}

} // namespace velmora
