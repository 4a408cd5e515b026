#pragma once

#include "shell/NotificationAction.h"
#include "shell/ShellIcons.h"

#include <QList>
#include <QWidget>

class QLabel;

namespace velmora {

class PillActionButton;

// The pill's content: one row with the message and, for each action, a thin divider and its
// button, on a translucent dark capsule with a faint light outline.
class PillNotificationView : public QWidget
{
    Q_OBJECT

public:
    PillNotificationView(const QString& message, const QList<NotificationAction>& actions,
                         const IconPixmapProvider& icons, QWidget* parent = nullptr);

    QString message() const { return m_message; }
    QList<PillActionButton*> actionButtons() const { return m_buttons; }

    static constexpr int spacing = 10;
    static constexpr int horizontalPadding = 16;
    static constexpr int verticalPadding = 10;
    static constexpr int dividerHeight = 16;

Q_SIGNALS:
    // The button of actions[index] was clicked.
    void actionTapped(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_message;
    QList<PillActionButton*> m_buttons;
};

} // namespace velmora
