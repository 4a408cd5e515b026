#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace velmora {

// With VELMORA_TIMING set, writes how long the steps a user waits for take to standard error:
// trigger → the picker's first frame on screen, release → the editor's first frame. The bench
// scripts read these lines; nothing is measured otherwise.
class CaptureTiming : public QObject
{
public:
    static bool enabled();
    // A step of the whole command ("grabbed", "written"), with the time since the process started.
    static void step(const char* name);

    explicit CaptureTiming(QObject* parent = nullptr);

    void triggered(); // a capture flow starts
    void picked();    // the user released the mouse (or clicked)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Waiting { nothing, picker, editor };
    Waiting m_waiting = Waiting::nothing;
    QElapsedTimer m_clock;
};

} // namespace velmora
