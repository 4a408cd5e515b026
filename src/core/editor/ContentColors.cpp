#include "editor/ContentColors.h"

#include "editor/AutoPalette.h"

namespace velmora {

Color ContentColors::edgeColor(const QImage& image)
{
    if (!m_edgeColor || m_edgeColor->first != image.cacheKey()) {
        m_edgeColor = std::pair(image.cacheKey(), velmora::edgeColor(image));
    }
    return m_edgeColor->second;
}

QVector<Color> ContentColors::autoPalette(const QImage& image)
{
    if (!m_autoPalette || m_autoPalette->first != image.cacheKey()) {
        m_autoPalette = std::pair(image.cacheKey(), makeAutoPalette(image));
    }
    return m_autoPalette->second;
}

void ContentColors::clear()
{
    m_edgeColor.reset();
    m_autoPalette.reset();
}

} // namespace velmora
