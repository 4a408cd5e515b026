#pragma once

#include "editor/BackgroundPresets.h"
#include "sidebar/BackgroundThumbnail.h"

namespace velmora {

// A gradient preset, drawn as the composite draws it, with its display name as tooltip.
class GradientThumbnail : public BackgroundThumbnail
{
    Q_OBJECT

public:
    explicit GradientThumbnail(BackgroundGradientPreset preset, QWidget* parent = nullptr);

    BackgroundGradientPreset preset() const { return m_preset; }

protected:
    void paintContent(QPainter& painter, const QRectF& rect) override;

private:
    BackgroundGradientPreset m_preset;
};

} // namespace velmora
