#include "toolbar/ToolbarOverflowButton.h"

#include "icons/LucideIcon.h"
#include "toolbar/PillButton.h"
#include "toolbar/ToolbarGroup.h"

#include <QMenu>
#include <QMouseEvent>

namespace velmora {

namespace {

// Tooltips read "Label   Key"; a menu shows the key in its own column after a tab.
QString menuText(const QWidget* control)
{
    QString text = control->toolTip();
    const qsizetype gap = text.indexOf(QStringLiteral("   "));
    if (gap >= 0) {
        text = text.left(gap) + QLatin1Char('\t') + text.mid(gap).trimmed();
    }
    return text;
}

} // namespace

ToolbarOverflowButton::ToolbarOverflowButton(QWidget* parent)
    : HoverableToolbarIcon(QStringLiteral("ellipsis"), parent), m_menu(new QMenu(this))
{
    setToolTip(tr("More"));
    setAccessibleName(tr("More"));
    connect(this, &QAbstractButton::clicked, this, &ToolbarOverflowButton::showMenu);
    connect(m_menu, &QMenu::aboutToHide, this, [this] { setSelected(false); });
    m_menu->installEventFilter(this);
}

bool ToolbarOverflowButton::eventFilter(QObject* watched, QEvent* event)
{
    // A press outside closes the menu; on this button it must not reach the button as well, or
    // the button would open the menu again at once.
    if (watched == m_menu && event->type() == QEvent::MouseButtonPress) {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        m_menu->setAttribute(Qt::WA_NoMouseReplay, rect().contains(mapFromGlobal(global)));
    }
    return HoverableToolbarIcon::eventFilter(watched, event);
}

void ToolbarOverflowButton::setFolded(QList<QList<QWidget*>> sections)
{
    m_sections.clear();
    for (const QList<QWidget*>& section : sections) {
        if (!section.isEmpty()) {
            m_sections.append(QList<QPointer<QWidget>>(section.begin(), section.end()));
        }
    }
    if (m_menu->isVisible()) {
        fillMenu();
    }
}

void ToolbarOverflowButton::showMenu()
{
    fillMenu();
    setSelected(true);
    // Right-aligned under the button, which sits at the toolbar's trailing end.
    m_menu->popup(mapToGlobal(QPoint(width() - m_menu->sizeHint().width(), height() + 4)));
}

void ToolbarOverflowButton::fillMenu()
{
    // Built afresh each time, so that check marks, enabled states and labels are today's.
    m_menu->clear();
    for (const auto& section : m_sections) {
        if (!m_menu->isEmpty()) {
            m_menu->addSeparator();
        }
        for (const QPointer<QWidget>& control : section) {
            if (!control) {
                continue;
            }
            if (qobject_cast<ToolbarGroup*>(control)) {
                for (QWidget* member : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    addEntry(member);
                }
            } else {
                addEntry(control);
            }
        }
    }
}

void ToolbarOverflowButton::addEntry(QWidget* control)
{
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (!button) {
        return;
    }
    QAction* action = m_menu->addAction(menuText(button));
    action->setEnabled(button->isEnabled());
    if (auto* pill = qobject_cast<PillButton*>(button)) {
        // The pill's own panel, so its choices look and work as they do in the row.
        connect(action, &QAction::triggered, pill, [this, pill] { pill->openBelow(this); });
        return;
    }
    if (auto* icon = qobject_cast<HoverableToolbarIcon*>(button)) {
        action->setIcon(LucideIcon::icon(icon->iconName(), palette().color(QPalette::WindowText)));
        if (icon->isToggle()) {
            action->setCheckable(true);
            action->setChecked(icon->isSelected());
        }
    }
    connect(action, &QAction::triggered, button, [button] { button->click(); });
}

} // namespace velmora
