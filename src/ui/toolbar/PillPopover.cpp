#include "toolbar/PillPopover.h"

#include "RoundedWindowShape.h"
#include "toolbar/ToolbarStyle.h"

#include <QGuiApplication>
#include <QLayoutItem>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace velmora {

namespace {
constexpr int gapBelowOwner = 6;
constexpr qreal cornerRadius = 10;
} // namespace

PillPopover::PillPopover(QWidget* owner, int width)
    : QFrame(owner, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), m_owner(owner),
      m_rows(new QVBoxLayout(this))
{
    m_shape = new RoundedWindowShape(this, cornerRadius);
    // A popup is a window of its own; it should still look like the toolbar that opened it.
    setAttribute(Qt::WA_WindowPropagation);
    setFixedWidth(width);
    m_rows->setContentsMargins(6, 6, 6, 6);
    m_rows->setSpacing(2);
    // Like a menu, the panel goes away when the user turns to another window (or program); the
    // editor window itself does not count, a click there closes the popup anyway.
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (isVisible() && focus != windowHandle() && focus != m_owner->window()->windowHandle()) {
            hide();
        }
    });
}

void PillPopover::clearRows()
{
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            // Out of the tree at once, deleted once any click that got here has returned.
            widget->hide();
            widget->setParent(nullptr);
            widget->deleteLater();
        }
        delete item;
    }
}

void PillPopover::popup(QWidget* anchor)
{
    m_anchor = anchor ? anchor : m_owner;
    anchor = m_anchor;
    m_rows->activate();
    resize(width(), m_rows->sizeHint().height());
    QPoint topLeft = anchor->mapToGlobal(QPoint(0, anchor->height() + gapBelowOwner));
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), available.left(),
                                std::max(available.left(), available.right() - width())));
        if (topLeft.y() + height() > available.bottom()) {
            // Not enough room below: open above the pill instead.
            topLeft.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - gapBelowOwner - height());
        }
    }
    move(topLeft);
    show();
}

void PillPopover::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor background = pal.color(QPalette::Window);
    background = isDark(pal) ? background.lighter(118) : pal.color(QPalette::Base);
    // Without a compositor the mask cuts the corners; the edge pixels it keeps must not be left
    // half transparent, which would show them darkened.
    if (m_shape->isOpaque())
        painter.fillRect(rect(), background);
    painter.setPen(QPen(primary(pal, isDark(pal) ? 0.16 : 0.14), 1));
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

void PillPopover::mousePressEvent(QMouseEvent* event)
{
    // A press outside closes the popup; when that press is on the pill (or button) that opened it,
    // it must not reach that as well, or it would open the panel again at once.
    QWidget* anchor = m_anchor ? m_anchor.data() : m_owner;
    const QPoint inAnchor = anchor->mapFromGlobal(event->globalPosition().toPoint());
    setAttribute(Qt::WA_NoMouseReplay, anchor->rect().contains(inAnchor));
    QFrame::mousePressEvent(event);
}

void PillPopover::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    Q_EMIT closed();
}

} // namespace velmora
