#pragma once

#include "annotation/Annotation.h"
#include "toolbar/PillButton.h"

namespace velmora {

// Chooses the text style: every style, in declaration order, each shown as a sample.
class TextStylePill : public PillButton
{
    Q_OBJECT

public:
    explicit TextStylePill(QWidget* parent = nullptr);

    TextStyle textStyle() const { return m_style; }
    void setTextStyle(TextStyle style);
    // The annotation colour the samples are drawn in.
    void setColor(const Color& color);

Q_SIGNALS:
    void textStyleChosen(TextStyle style);

protected:
    QSize previewSize() const override { return {42, 20}; }
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    TextStyle m_style = TextStyle::standard;
    Color m_color = Color::black();
};

} // namespace velmora
