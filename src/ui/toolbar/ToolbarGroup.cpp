#include "toolbar/ToolbarGroup.h"

#include "toolbar/ToolbarStyle.h"

#include <QHBoxLayout>
#include <QPainter>

namespace velmora {

ToolbarGroup::ToolbarGroup(QWidget* parent) : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(2, 2, 2, 2);
    m_layout->setSpacing(1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToolbarGroup::addWidget(QWidget* widget)
{
    m_layout->addWidget(widget);
}

void ToolbarGroup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(toolbarstyle::restFill(palette()));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

} // namespace velmora
