#include "preferences/IconButton.h"

#include "icons/LucideIcon.h"

#include <QEvent>

namespace velmora {

namespace {

constexpr int glyphSize = 14;

} // namespace

IconButton::IconButton(const QString& iconName, const QString& toolTip, QWidget* parent)
    : QToolButton(parent), m_iconName(iconName)
{
    setAutoRaise(true);
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setCursor(Qt::PointingHandCursor);
    setIconSize({glyphSize, glyphSize});
    updateIcon();
}

void IconButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        updateIcon();
    }
    QToolButton::changeEvent(event);
}

void IconButton::updateIcon()
{
    setIcon(LucideIcon::icon(m_iconName, palette().color(QPalette::ButtonText), glyphSize));
}

} // namespace velmora
