#pragma once

#include "sidebar/BackgroundThumbnail.h"

namespace velmora {

// The transparent background: a checkerboard, as transparency is shown everywhere else.
class CheckerboardThumbnail : public BackgroundThumbnail
{
    Q_OBJECT

public:
    explicit CheckerboardThumbnail(QWidget* parent = nullptr);

    // Fills `rect` with small light and dark cells (darker cells in a dark palette). Also used
    // behind translucent custom colours.
    static void paintPattern(QPainter& painter, const QRectF& rect, bool dark);

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;
};

} // namespace velmora
