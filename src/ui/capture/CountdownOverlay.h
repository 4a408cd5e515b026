#pragma once

#include <QObject>

class QScreen;

namespace velmora {

// The countdown before a delayed capture: a dark circle with the seconds left in the middle of a
// screen. It lets clicks through, and it is gone from the screen before finished() is emitted, so
// the capture that follows never shows it.
class CountdownOverlay : public QObject
{
    Q_OBJECT

public:
    explicit CountdownOverlay(QScreen* screen, QObject* parent = nullptr);

    // Counts `seconds` down (whole seconds, at least 1 is shown; 0 finishes at once).
    void start(double seconds);

Q_SIGNALS:
    void finished();
};

} // namespace velmora
