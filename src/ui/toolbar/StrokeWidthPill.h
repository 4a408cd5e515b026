#pragma once

#include "toolbar/PillButton.h"

#include <QVector>

namespace velmora {

// Chooses the stroke width of new and selected shapes.
class StrokeWidthPill : public PillButton
{
    Q_OBJECT

public:
    explicit StrokeWidthPill(QWidget* parent = nullptr);

    double strokeWidth() const { return m_width; }
    void setStrokeWidth(double width);

    static const QVector<double>& presets();

Q_SIGNALS:
    // The user chose a row.
    void strokeWidthChosen(double width);

protected:
    QSize previewSize() const override { return {22, 14}; }
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    double m_width = 8;
};

} // namespace velmora
