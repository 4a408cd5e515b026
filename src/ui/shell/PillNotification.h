#pragma once

#include "shell/NotificationAction.h"
#include "shell/PillNotificationView.h"
#include "shell/ShellIcons.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <limits>

class QPropertyAnimation;
class QScreen;
class QWidget;

namespace velmora {

class PillPanel;

// The one transient message surface: a small dark capsule near the bottom of a screen with one line
// of text and optionally a few action buttons, fading out after a while. It never takes focus. A
// new message replaces the one on screen in the same window.
class PillNotification : public QObject
{
    Q_OBJECT

public:
    // How long the fades take. Tests pass short ones; the durations of the messages themselves are
    // arguments of show().
    struct Timing
    {
        int fadeInMs = 100;
        int fadeOutMs = 140;
    };

    enum class State { Hidden, FadingIn, Visible, FadingOut };
    Q_ENUM(State)

    // A duration that keeps the pill until it is replaced or an action dismisses it.
    static constexpr double untilDismissed = std::numeric_limits<double>::infinity();
    // The pill's bottom edge stands this far above the bottom of the screen's available area.
    static constexpr int bottomOffset = 192;
    static constexpr QSize minimumSize{180, 40};

    explicit PillNotification(QObject* parent = nullptr);
    PillNotification(Timing timing, QObject* parent = nullptr);
    ~PillNotification() override;

    // The instance the application uses, created on first use and destroyed with the application.
    static PillNotification& shared();

    // Shows `message` for `durationSeconds` (untilDismissed: no automatic dismissal) with the given
    // action buttons, centred near the bottom of `screen`; without a screen, the one under the
    // pointer, else the primary one. With no screen at all nothing is shown.
    void show(const QString& message, double durationSeconds, const QList<NotificationAction>& actions = {},
              QScreen* screen = nullptr);
    // Fades the pill out now.
    void dismissNow();

    void setIconProvider(IconPixmapProvider icons) { m_icons = std::move(icons); }

    State state() const { return m_state; }
    // The message shown, or last shown.
    QString message() const;
    // The pill's window; null before the first message.
    QWidget* window() const;
    PillNotificationView* view() const { return m_view; }
    bool isDismissalPending() const { return m_dismissTimer.isActive(); }

    // Where a pill of `size` goes on a screen with the given available area.
    static QRect frameFor(const QRect& availableArea, const QSize& size);

private:
    void scheduleDismiss(double seconds);
    void setHovered(bool hovered);
    void onFadeFinished();
    void ensureWindow();

    Timing m_timing;
    PillPanel* m_window = nullptr; // owned; a top-level window cannot have a QObject parent
    QPointer<PillNotificationView> m_view;
    QPropertyAnimation* m_fade = nullptr;
    QTimer m_dismissTimer;
    double m_currentDuration = 0;
    State m_state = State::Hidden;
    bool m_hovered = false;
    // Bumped by every show(), so an action handler that shows a new message keeps it on screen.
    quint64 m_generation = 0;
    IconPixmapProvider m_icons = shellIconPixmap;
};

} // namespace velmora
