#pragma once

#include "HoverTracker.h"

#include <QAbstractButton>
#include <QPainterPath>

namespace velmora {

// One choice in the background picker: a rounded picture with room around it for the selection
// ring. Subclasses paint only the picture; this class draws the frame, the hover and selection
// rings and, for removable choices, the remove badge shown while the pointer is over it.
class BackgroundThumbnail : public QAbstractButton
{
    Q_OBJECT

public:
    explicit BackgroundThumbnail(QWidget* parent = nullptr);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // A removable choice shows a badge in its top-right corner while hovered; clicking the badge
    // asks for removal instead of choosing.
    bool isRemovable() const { return m_removable; }
    void setRemovable(bool removable);
    bool isBadgeShown() const { return m_removable && m_hover->isHovered(); }

    // Where the picture is drawn, inside the ring margin, and where the remove badge sits.
    QRectF contentRect() const;
    QRectF badgeRect() const;
    double cornerRadius() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void removeRequested();

protected:
    // Paints the picture into `rect`; the painter is clipped to the rounded shape.
    virtual void paintContent(QPainter& painter, const QRectF& rect) = 0;
    // Whether a hairline frame is drawn around the picture (it keeps white swatches visible).
    virtual bool drawsFrame() const { return true; }
    bool isDarkPalette() const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPainterPath contentShape() const;

    bool m_selected = false;
    bool m_removable = false;
    HoverTracker* m_hover = new HoverTracker(this);
    bool m_badgePressed = false;
};

} // namespace velmora
