#include "shell/PillNotification.h"

#include "RoundedWindowShape.h"
#include "shell/PillNotificationView.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <climits>
#include <cmath>

namespace velmora {

// The pill's window, reused for every message. It reports the pointer entering and leaving as a
// whole, so hovering survives a change of content under a resting pointer.
class PillPanel : public QWidget
{
public:
    std::function<void(bool)> onHoverChange;

protected:
    void enterEvent(QEnterEvent*) override
    {
        if (onHoverChange)
            onHoverChange(true);
    }
    void leaveEvent(QEvent*) override
    {
        if (onHoverChange)
            onHoverChange(false);
    }
};

namespace {

const Qt::WindowFlags pillWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

QScreen* screenForPill(QScreen* requested)
{
    if (requested)
        return requested;
    if (QScreen* underPointer = QGuiApplication::screenAt(QCursor::pos()))
        return underPointer;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        return primary;
    const auto screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}

} // namespace

PillNotification::PillNotification(QObject* parent) : PillNotification(Timing{}, parent) {}

PillNotification::PillNotification(Timing timing, QObject* parent) : QObject(parent), m_timing(timing)
{
    m_dismissTimer.setSingleShot(true);
    connect(&m_dismissTimer, &QTimer::timeout, this, &PillNotification::dismissNow);
}

PillNotification::~PillNotification()
{
    m_dismissTimer.stop();
    if (m_fade)
        m_fade->stop();
    delete m_window;
}

PillNotification& PillNotification::shared()
{
    static QPointer<PillNotification> instance;
    if (!instance) {
        instance = new PillNotification();
        // Its window must go before the application object does.
        qAddPostRoutine([] { delete instance.data(); });
    }
    return *instance;
}

QString PillNotification::message() const
{
    return m_view ? m_view->message() : QString();
}

QWidget* PillNotification::window() const
{
    return m_window;
}

QRect PillNotification::frameFor(const QRect& availableArea, const QSize& size)
{
    const int x = availableArea.x() + (availableArea.width() - size.width()) / 2;
    const int y = availableArea.y() + availableArea.height() - bottomOffset - size.height();
    return {QPoint(x, y), size};
}

void PillNotification::ensureWindow()
{
    if (m_window)
        return;
    m_window = new PillPanel;
    m_window->setWindowFlags(pillWindowFlags);
    m_window->setAttribute(Qt::WA_ShowWithoutActivating);
    new RoundedWindowShape(m_window, RoundedWindowShape::capsule());
    m_window->setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    m_window->setWindowTitle(QStringLiteral("Velmora"));
    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_window->onHoverChange = [this](bool hovered) { setHovered(hovered); };

    m_fade = new QPropertyAnimation(m_window, "windowOpacity", this);
    connect(m_fade, &QPropertyAnimation::finished, this, &PillNotification::onFadeFinished);
}

void PillNotification::show(const QString& message, double durationSeconds,
                            const QList<NotificationAction>& actions, QScreen* screen)
{
    QScreen* target = screenForPill(screen);
    if (!target)
        return;

    ++m_generation;
    m_dismissTimer.stop();
    m_currentDuration = durationSeconds;
    ensureWindow();
    // A fade-out still running belongs to the message being replaced: stopped here, it can no
    // longer hide the new one when it would have finished.
    m_fade->stop();

    auto* view = new PillNotificationView(message, actions, m_icons, m_window);
    const quint64 generation = m_generation;
    connect(view, &PillNotificationView::actionTapped, this, [this, actions, generation](int index) {
        const NotificationAction action = actions.value(index);
        if (action.handler)
            action.handler();
        // A handler that showed a new message keeps it.
        if (action.dismissesOnTap && generation == m_generation)
            dismissNow();
    });
    if (m_view) {
        m_window->layout()->removeWidget(m_view);
        m_view->hide();
        // Later: this may run inside one of the old view's button clicks.
        m_view->deleteLater();
    }
    m_view = view;
    m_window->layout()->addWidget(view);

    // Nothing to click and no end: let the pointer reach the windows underneath.
    const bool passThrough = std::isinf(durationSeconds) && actions.isEmpty();
    const Qt::WindowFlags flags =
        pillWindowFlags | (passThrough ? Qt::WindowTransparentForInput : Qt::Widget);
    if (m_window->windowFlags().testFlag(Qt::WindowTransparentForInput) != passThrough) {
        m_window->setWindowFlags(flags);
        m_hovered = false;
    }

    const QSize size = view->sizeHint().expandedTo(minimumSize);
    m_window->setGeometry(frameFor(target->availableGeometry(), size));
    m_window->setWindowOpacity(0.0);
    if (!m_window->isVisible())
        m_window->show();
    m_window->raise();

    m_state = State::FadingIn;
    m_fade->setDuration(m_timing.fadeInMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();

    // A pointer resting where the pill appears holds it just as one that moves onto it.
    if (!m_hovered)
        scheduleDismiss(durationSeconds);
}

void PillNotification::scheduleDismiss(double seconds)
{
    if (std::isnan(seconds) || std::isinf(seconds))
        return;
    const double ms = qBound(0.0, seconds * 1000.0, double(INT_MAX));
    m_dismissTimer.start(int(std::lround(ms)));
}

void PillNotification::dismissNow()
{
    if (!m_window || m_state == State::Hidden || m_state == State::FadingOut)
        return;
    m_dismissTimer.stop();
    m_fade->stop();
    m_state = State::FadingOut;
    m_fade->setDuration(m_timing.fadeOutMs);
    m_fade->setStartValue(m_window->windowOpacity());
    m_fade->setEndValue(0.0);
    m_fade->start();
}

void PillNotification::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    if (hovered) {
        m_dismissTimer.stop();
        // Reaching for a pill that has begun to fade brings it back.
        if (m_state == State::FadingOut) {
            m_fade->stop();
            m_state = State::FadingIn;
            m_fade->setDuration(m_timing.fadeInMs);
            m_fade->setStartValue(m_window->windowOpacity());
            m_fade->setEndValue(1.0);
            m_fade->start();
        }
    } else if (m_state == State::FadingIn || m_state == State::Visible) {
        // The full time again, not what was left of it.
        scheduleDismiss(m_currentDuration);
    }
}

void PillNotification::onFadeFinished()
{
    if (m_state == State::FadingIn) {
        m_state = State::Visible;
    } else if (m_state == State::FadingOut) {
        m_state = State::Hidden;
        m_hovered = false;
        m_window->hide();
    }
}

} // namespace velmora
