#include "editor/LiveBackground.h"
#include "Overloaded.h"

#include "editor/EditorSession.h"
#include "editor/TransparentPreviewPattern.h"

#include <QPainter>

#include <cmath>

namespace velmora {

namespace {

// Identifies what a rendered preview depends on without comparing pixels.
QString backgroundKey(const CompositeBackground& background)
{
    return std::visit(
        Overloaded{
            [](const Color& color) { return QStringLiteral("color:") + color.hexRgb(); },
            [](const QImage& picture) { return QStringLiteral("picture:%1").arg(picture.cacheKey()); },
            [](const PresetGradientBackground& gradient) {
                return QStringLiteral("gradient:") + rawValue(gradient.preset);
            },
            [](const AutoGradientBackground& gradient) {
                QString key = QStringLiteral("auto:");
                for (const Color& color : gradient.colors) {
                    key += color.hexRgb();
                }
                return key;
            },
        },
        background);
}

} // namespace

void LiveBackground::paint(QPainter& painter, const QRectF& area, const QRectF& pictureRect,
                           EditorSession& session, bool dark)
{
    if (session.backgroundSelection().kind() == BackgroundSelection::Kind::transparent) {
        paintTransparentPreviewPattern(painter, area, dark);
        return;
    }
    const CompositeInputs inputs = session.compositeInputs();
    if (const Color* color = std::get_if<Color>(&inputs.background)) {
        painter.fillRect(area, color->toQColor());
        return;
    }
    const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    BackgroundPreviewInputs preview;
    preview.background = inputs.background;
    preview.backgroundBlur = inputs.backgroundBlur;
    preview.compositePixels = session.outputPixelDimensions();
    const QRectF composite = pictureRect.translated(-area.topLeft());
    preview.compositeRect = QRectF(composite.topLeft() * dpr, composite.size() * dpr);
    preview.areaPixels = QSize(std::max(1, int(std::ceil(area.width() * dpr))),
                               std::max(1, int(std::ceil(area.height() * dpr))));

    const QRectF& c = preview.compositeRect;
    const QString key = QStringLiteral("%1|%2|%3x%4|%5,%6,%7,%8|%9x%10")
                            .arg(backgroundKey(preview.background))
                            .arg(preview.backgroundBlur, 0, 'g', 17)
                            .arg(preview.compositePixels.width())
                            .arg(preview.compositePixels.height())
                            .arg(c.x(), 0, 'g', 17)
                            .arg(c.y(), 0, 'g', 17)
                            .arg(c.width(), 0, 'g', 17)
                            .arg(c.height(), 0, 'g', 17)
                            .arg(preview.areaPixels.width())
                            .arg(preview.areaPixels.height());
    if (key != m_key) {
        m_cached = m_preview.render(preview);
        m_cached.setDevicePixelRatio(dpr);
        m_key = key;
    }
    if (m_cached.isNull()) {
        // The export's own fallback when a picture cannot be had.
        painter.fillRect(area, Qt::white);
        return;
    }
    painter.drawImage(area.topLeft(), m_cached);
}

} // namespace velmora
