#pragma once

#include "shell/NotificationAction.h"
#include "shell/ShellIcons.h"

#include <QAbstractButton>

namespace velmora {

// One action of a pill: the action's icon and title in white on the dark capsule, with a faint
// capsule of its own under the pointer so the button reads as clickable.
class PillActionButton : public QAbstractButton
{
    Q_OBJECT

public:
    PillActionButton(const NotificationAction& action, IconPixmapProvider icons, QWidget* parent = nullptr);

    QString iconName() const { return m_iconName; }
    QSize sizeHint() const override;

    static constexpr int iconSize = 12;
    static constexpr int iconSpacing = 4;
    static constexpr int horizontalPadding = 6;
    static constexpr int verticalPadding = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap iconPixmap() const;

    QString m_iconName;
    IconPixmapProvider m_icons;
};

} // namespace velmora
