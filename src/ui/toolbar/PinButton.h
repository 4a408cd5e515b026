#pragma once

#include "HoverTracker.h"
#include "toolbar/ToolbarStyle.h"

#include <QAbstractButton>

namespace velmora {

// The editor's pin control: a capsule reading "Pin" followed by the pin icon, outlined, with a
// faint fill while the pointer is over it. Set apart from the square icon buttons so that pinning,
// which closes the editor and leaves the picture floating on the screen, is seen as a command of
// its own.
class PinButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 10;
    // The toolbar's one icon size, beside the label.
    static constexpr int iconPoints = toolbarstyle::iconPoints;
    static constexpr int iconSpacing = 5;

    explicit PinButton(QWidget* parent = nullptr);

    bool isHovered() const { return m_hover->isHovered(); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
