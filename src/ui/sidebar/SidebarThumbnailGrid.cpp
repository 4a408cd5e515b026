#include "sidebar/SidebarThumbnailGrid.h"

#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The thumbnails carry their own ring margin, so the visible gap is wider than this.
constexpr int spacing = 2;
// The width the sidebar's content has without a scroll bar.
constexpr int preferredWidth = 218;

} // namespace

SidebarThumbnailGrid::SidebarThumbnailGrid(int columns, double aspectRatio, QWidget* parent)
    : QWidget(parent), m_columns(std::max(columns, 1)), m_aspectRatio(aspectRatio)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void SidebarThumbnailGrid::setItems(const QList<QWidget*>& items)
{
    m_items.clear();
    for (QWidget* item : items) {
        if (item->parentWidget() != this) {
            item->setParent(this);
        }
        item->show();
        m_items.append(item);
    }
    relayout();
    updateGeometry();
}

QList<QWidget*> SidebarThumbnailGrid::items() const
{
    QList<QWidget*> result;
    for (const auto& item : m_items) {
        if (item) {
            result.append(item);
        }
    }
    return result;
}

QSizeF SidebarThumbnailGrid::cellSize(int width) const
{
    const double cellWidth = std::max(1.0, double(width - (m_columns - 1) * spacing) / m_columns);
    return {cellWidth, std::round(cellWidth * m_aspectRatio)};
}

int SidebarThumbnailGrid::rows() const
{
    const int count = int(items().size());
    return (count + m_columns - 1) / m_columns;
}

int SidebarThumbnailGrid::heightForWidth(int width) const
{
    const int rowCount = rows();
    if (rowCount == 0) {
        return 0;
    }
    return int(rowCount * cellSize(width).height() + (rowCount - 1) * spacing);
}

QSize SidebarThumbnailGrid::sizeHint() const
{
    return {preferredWidth, heightForWidth(preferredWidth)};
}

QSize SidebarThumbnailGrid::minimumSizeHint() const
{
    const int narrowest = m_columns * 24 + (m_columns - 1) * spacing;
    return {narrowest, heightForWidth(narrowest)};
}

void SidebarThumbnailGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void SidebarThumbnailGrid::relayout()
{
    const QSizeF cell = cellSize(width());
    int index = 0;
    for (QWidget* item : items()) {
        const int row = index / m_columns;
        const int column = index % m_columns;
        // Rounded edges per cell, so neighbouring cells never overlap or leave uneven gaps.
        const int left = int(std::round(column * (cell.width() + spacing)));
        const int right = int(std::round(column * (cell.width() + spacing) + cell.width()));
        const int top = int(row * (cell.height() + spacing));
        item->setGeometry(left, top, right - left, int(cell.height()));
        ++index;
    }
}

} // namespace velmora
