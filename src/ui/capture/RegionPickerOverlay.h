#pragma once

#include "capture/RegionSelection.h"
#include "capture/ScreenLayout.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace velmora {

// One screen's part of the region picker: the screen's frozen picture, dimmed except for the
// rectangle being chosen, with its size below it. Picking ends on the first rectangle; editing keeps
// it with eight handles to move and resize it (the frame of a scrolling capture, which can also be
// locked and show a countdown). Without a frozen picture the overlay is see-through and dims the
// live screen instead.
class RegionPickerOverlay : public QWidget
{
    Q_OBJECT

public:
    enum class Behaviour {
        pickRegion, // a release with at least 16×16 points picks the rectangle
        pickColor,  // a loupe follows the pointer; a click picks a pixel, a drag a rectangle
        editRegion, // the rectangle stays, with handles
    };

    static inline const QString hint = QStringLiteral("Drag to select a region — press esc to cancel");
    // Further than this from the press, a release in colour mode picks a rectangle, not a pixel.
    static constexpr qreal clickSlop = 3;

    RegionPickerOverlay(Behaviour behaviour, const ScreenGeometry& screen, QImage frozen,
                        QWidget* parent = nullptr);

    const ScreenGeometry& screenGeometry() const { return m_screen; }
    const RegionSelection& selection() const { return m_selection; }
    void setLocked(bool locked);
    void setCountdown(std::optional<int> value);

    // The frozen picture under a rectangle of this screen's points, at its full pixel density, and
    // where that lies on the desktop in native pixels.
    QImage crop(const QRectF& local, QRect* native) const;

Q_SIGNALS:
    // pickRegion and pickColor: what was picked.
    void picked(const QImage& crop, const QRect& native);
    // editRegion: the region, in this screen's points (top-left origin).
    void regionFirstSelected(const QRectF& region);
    void regionChanged(const QRectF& region);
    // Escape (or, while picking, a right click) while unlocked.
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void report(RegionChange change);
    void finishColorPick(const QPointF& release);
    void refreshCursor();
    void paintSizeLabel(QPainter& painter, const QRectF& rect) const;
    QRectF sizeLabelBox(const QRectF& rect) const;
    // What the rectangle and its decorations cover (all of the overlay while the hint shows).
    QRect paintedBounds() const;
    void paintHandles(QPainter& painter, const QRectF& rect) const;
    void paintHint(QPainter& painter) const;
    QRectF loupeRect() const;

    Behaviour m_behaviour;
    ScreenGeometry m_screen;
    QImage m_frozen;
    RegionSelection m_selection;
    std::optional<int> m_countdown;
    std::optional<QPointF> m_pointer; // over this overlay, in its points
    QPointF m_pressPoint;
    bool m_pressed = false;
};

} // namespace velmora
