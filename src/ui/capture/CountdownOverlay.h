#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QScreen;
class QWidget;

namespace velmora {

// The countdown before a delayed capture: a dark circle with the seconds left in the middle of a
// screen. It lets clicks through, and it is gone from the screen before finished() is emitted, so
// the capture that follows never shows it.
class CountdownOverlay : public QObject
{
    Q_OBJECT

public:
    explicit CountdownOverlay(QScreen* screen, QObject* parent = nullptr);
    ~CountdownOverlay() override;

    // After hiding, the time the display server gets to repaint what the circle covered.
    static constexpr int settleDelay = 50; // ms

    // Counts `seconds` down (whole seconds, at least 1 is shown; 0 finishes at once).
    void start(double seconds);

Q_SIGNALS:
    void finished();

private:
    void tick();
    void end();

    std::unique_ptr<QWidget> m_window;
    QTimer m_timer;
    QDeadlineTimer m_deadline;
};

} // namespace velmora
