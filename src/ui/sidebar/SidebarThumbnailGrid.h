#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace velmora {

// Lays its items out in a fixed number of equal columns that share the available width, so the grid
// stays even whether or not the sidebar's scroll bar takes room. Cells keep a fixed aspect ratio.
class SidebarThumbnailGrid : public QWidget
{
    Q_OBJECT

public:
    SidebarThumbnailGrid(int columns, double aspectRatio, QWidget* parent = nullptr);

    // Shows exactly these widgets, in order; they become children of the grid. Widgets that were
    // shown before and are not in the list are left to their owner.
    void setItems(const QList<QWidget*>& items);
    QList<QWidget*> items() const;

    int columns() const { return m_columns; }
    QSizeF cellSize(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    int rows() const;

    int m_columns;
    double m_aspectRatio; // height / width
    QList<QPointer<QWidget>> m_items;
};

} // namespace velmora
