#include "CaptureTiming.h"

#include "editor/EditorWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include <unistd.h>

namespace velmora {

bool CaptureTiming::enabled()
{
    return !qEnvironmentVariableIsEmpty("VELMORA_TIMING");
}

void CaptureTiming::step(const char* name)
{
    if (!enabled()) {
        return;
    }
    // The process's start time is the kernel's, so the dynamic linker's work is counted too.
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray statLine = stat.readAll();
    const QList<QByteArray> fields = statLine.mid(statLine.lastIndexOf(')') + 2).split(' ');
    const double startedAt = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    const double now = uptime.readAll().split(' ').value(0).toDouble();
    std::fprintf(stderr, "velmora timing: %s at %.0f ms\n", name, (now - startedAt) * 1000);
}

CaptureTiming::CaptureTiming(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

void CaptureTiming::triggered()
{
    m_waiting = Waiting::picker;
    m_clock.start();
}

void CaptureTiming::picked()
{
    m_waiting = Waiting::editor;
    m_clock.start();
}

bool CaptureTiming::eventFilter(QObject* watched, QEvent* event)
{
    if (m_waiting == Waiting::nothing || event->type() != QEvent::Paint || !watched->isWidgetType()) {
        return false;
    }
    const bool isEditor = qobject_cast<EditorWindow*>(static_cast<QWidget*>(watched)->window()) != nullptr;
    if (isEditor != (m_waiting == Waiting::editor)) {
        return false;
    }
    const char* const step = isEditor ? "release to editor shown" : "trigger to picker painted";
    m_waiting = Waiting::nothing;
    // Logged once this paint and the rest of its frame are done and flushed.
    QTimer::singleShot(0, this, [this, step] {
        std::fprintf(stderr, "velmora timing: %s %.1f ms\n", step, double(m_clock.nsecsElapsed()) / 1e6);
        std::fflush(stderr);
    });
    return false;
}

} // namespace velmora
