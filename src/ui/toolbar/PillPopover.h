#pragma once

#include <QFrame>

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
    // Shows the panel under its owner, kept on the owner's screen.
    void popup();

Q_SIGNALS:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* m_owner;
    QVBoxLayout* m_rows;
    RoundedWindowShape* m_shape = nullptr; // a child
};

} // namespace velmora
