#include "toolbar/ToolbarSeparator.h"

#include "toolbar/ToolbarStyle.h"

#include <QPainter>

namespace velmora {

ToolbarSeparator::ToolbarSeparator(QWidget* parent) : QWidget(parent)
{
    setFixedSize(9, 20);
}

void ToolbarSeparator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRectF(width() / 2, 0, 1, height()), toolbarstyle::hairline(palette()));
}

} // namespace velmora
