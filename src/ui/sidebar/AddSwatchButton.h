#pragma once

#include "sidebar/BackgroundThumbnail.h"

namespace velmora {

// The last cell of a grid that adds a choice: a dashed outline with a plus.
class AddSwatchButton : public BackgroundThumbnail
{
    Q_OBJECT

public:
    explicit AddSwatchButton(QWidget* parent = nullptr);

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;
    bool drawsFrame() const override { return false; }
};

} // namespace velmora
