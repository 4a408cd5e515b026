#include "capture/CountdownOverlay.h"

#include "capture/CountdownCircle.h"

#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace velmora {

namespace {

class CountdownWindow : public QWidget
{
public:
    explicit CountdownWindow(QScreen* screen)
    {
        // Above everything, never the focus, and every click passes through to what lies below:
        // the user may still be arranging the screen while it counts.
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                       Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const int side = countdownCircleDiameter;
        // Without a compositing manager the transparent corners would show black: the window is cut
        // to the circle, which is then as dark as it can be; with one, the mask changes nothing.
        setMask(QRegion(0, 0, side, side, QRegion::Ellipse));
        QRect bounds(0, 0, side, side);
        if (screen) {
            setScreen(screen);
            bounds.moveCenter(screen->geometry().center());
        }
        setGeometry(bounds);
    }

    void setValue(int value)
    {
        m_value = value;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paintCountdownCircle(painter, QRectF(rect()).center(), m_value);
    }

private:
    int m_value = 0;
};

} // namespace

CountdownOverlay::CountdownOverlay(QScreen* screen, QObject* parent)
    : QObject(parent), m_window(std::make_unique<CountdownWindow>(screen))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CountdownOverlay::tick);
}

CountdownOverlay::~CountdownOverlay() = default;

void CountdownOverlay::start(double seconds)
{
    m_deadline = QDeadlineTimer(qint64(std::llround(std::max(0.0, seconds) * 1000)), Qt::PreciseTimer);
    if (m_deadline.remainingTime() <= 0) {
        // Nothing was shown, so nothing has to leave the screen; still after the caller returns.
        QTimer::singleShot(0, this, &CountdownOverlay::finished);
        return;
    }
    tick();
    m_window->show();
}

void CountdownOverlay::tick()
{
    const qint64 left = m_deadline.remainingTime();
    if (left <= 0) {
        end();
        return;
    }
    const qint64 shown = (left + 999) / 1000; // 2.4 s left shows 3, down to 1 in the last second
    static_cast<CountdownWindow*>(m_window.get())->setValue(int(shown));
    // Wake again when the number changes.
    m_timer.start(int(left - (shown - 1) * 1000));
}

void CountdownOverlay::end()
{
    m_window->hide();
    QTimer::singleShot(settleDelay, this, &CountdownOverlay::finished);
}

} // namespace velmora
