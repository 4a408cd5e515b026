#pragma once

#include "imaging/Color.h"
#include "sidebar/BackgroundThumbnail.h"

namespace velmora {

// A solid colour: a preset or one of the user's custom colours.
class ColorSwatchThumbnail : public BackgroundThumbnail
{
    Q_OBJECT

public:
    explicit ColorSwatchThumbnail(const Color& color, QWidget* parent = nullptr);

    Color color() const { return m_color; }
    void setColor(const Color& color);

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;

private:
    Color m_color;
};

} // namespace velmora
