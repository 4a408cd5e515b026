#pragma once

#include "imaging/Color.h"
#include "sidebar/BackgroundThumbnail.h"

#include <QVector>

namespace velmora {

// The automatic colour or gradient: the two colours derived from the picture with a sparkles
// symbol. The colour choice shows them side by side, split on the diagonal; the gradient choice
// blends them as the composite does.
class AutoThumbnailButton : public BackgroundThumbnail
{
    Q_OBJECT

public:
    enum class Mode { color, gradient };

    explicit AutoThumbnailButton(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return m_mode; }
    const QVector<Color>& colors() const { return m_colors; }
    void setColors(const QVector<Color>& colors);

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;

private:
    Mode m_mode;
    QVector<Color> m_colors;
};

} // namespace velmora
