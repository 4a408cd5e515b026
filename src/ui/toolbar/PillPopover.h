#pragma once

#include <QFrame>
#include <QPointer>

class QVBoxLayout;

namespace velmora {

class RoundedWindowShape;

// The floating panel a pill opens below itself. It closes like any popup when the user clicks
// elsewhere or presses Escape, and when another window takes the focus; a click on the pill that
// opened it only closes it (the pill does not reopen it from the same click).
class PillPopover : public QFrame
{
    Q_OBJECT

public:
    PillPopover(QWidget* owner, int width);

    // Rows are stacked with spacing 2 inside a padding of 6.
    QVBoxLayout* rows() const { return m_rows; }
    void clearRows();
    // Shows the panel under `anchor` (its owner when null), kept on the anchor's screen. A pill
    // folded away into the toolbar's overflow menu opens its panel under that menu's button.
    void popup(QWidget* anchor = nullptr);

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* m_owner;
    QPointer<QWidget> m_anchor;
    QVBoxLayout* m_rows;
    RoundedWindowShape* m_shape = nullptr; // a child
};

} // namespace velmora
