#pragma once

#include "annotation/Annotation.h"
#include "toolbar/PillButton.h"

namespace velmora {

// Chooses the arrow style: every style, in declaration order, with a drawing and a label.
class ArrowStylePill : public PillButton
{
    Q_OBJECT

public:
    explicit ArrowStylePill(QWidget* parent = nullptr);

    ArrowStyle arrowStyle() const { return m_style; }
    void setArrowStyle(ArrowStyle style);

Q_SIGNALS:
    void arrowStyleChosen(ArrowStyle style);

protected:
    QSize previewSize() const override { return {24, 12}; }
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    ArrowStyle m_style = ArrowStyle::sketch;
};

} // namespace velmora
