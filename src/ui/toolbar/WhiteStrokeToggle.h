#pragma once

#include "HoverTracker.h"
#include "imaging/Color.h"

#include <QAbstractButton>

namespace velmora {

// Switches the white outline around new and selected annotations on and off. It is a checkable
// button: clicked(bool) carries the user's choice, toggled(bool) every change.
class WhiteStrokeToggle : public QAbstractButton
{
    Q_OBJECT

public:
    explicit WhiteStrokeToggle(QWidget* parent = nullptr);

    bool isOn() const { return isChecked(); }
    void setOn(bool on) { setChecked(on); }
    // The annotation colour, drawn inside the outline on the face.
    void setColor(const Color& color);
    bool isHovered() const { return m_hover->isHovered(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateToolTip();

    Color m_color = Color::black();
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
