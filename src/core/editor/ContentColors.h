#pragma once

#include "imaging/Color.h"

#include <QImage>
#include <QVector>

#include <optional>
#include <utility>

namespace velmora {

// The colours derived from the content image (its edge colour, its automatic palette), computed once
// per image: both take a pass over the pixels, and the sidebar and every composite ask for them.
// An image is known by its identity, so a new picture is measured again even if it looks the same.
class ContentColors
{
public:
    Color edgeColor(const QImage& image);
    QVector<Color> autoPalette(const QImage& image);
    void clear();

private:
    std::optional<std::pair<qint64, Color>> m_edgeColor;
    std::optional<std::pair<qint64, QVector<Color>>> m_autoPalette;
};

} // namespace velmora
