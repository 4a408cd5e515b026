#pragma once

#include "HoverTracker.h"

#include <QAbstractButton>

#include <functional>

namespace velmora {

// One choice a pill offers: its label, whether it is the current choice and, optionally, a sample
// of it left of the label (a drawing of the arrow, the line width, the text style…).
struct PillOption
{
    using SamplePainter = std::function<void(QPainter& painter, const QRectF& box, const QPalette& palette)>;

    PillOption(QString label, bool isSelected) : label(std::move(label)), isSelected(isSelected) {}

    // `paint` draws into a box `width` wide and as tall as the row; the label follows after `gap`.
    PillOption& withSample(SamplePainter paint, qreal width, qreal gap)
    {
        sample = std::move(paint);
        sampleWidth = width;
        labelGap = gap;
        return *this;
    }
    PillOption& withLabelPixelSize(int pixels)
    {
        labelPixelSize = pixels;
        return *this;
    }

    QString label;
    bool isSelected = false;
    SamplePainter sample; // none when empty
    qreal sampleWidth = 0;
    qreal labelGap = 0;
    int labelPixelSize = 0; // 0 keeps the row's font
};

// One row of a pill's popover: the option's sample and label, then a check mark when it is the
// current choice. The row's text is the label, which names it for accessibility and tests.
class PillOptionRow : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PillOptionRow(PillOption option, QWidget* parent = nullptr);

    bool isSelected() const { return m_option.isSelected; }
    bool isHovered() const { return m_hover->isHovered(); }

    QSize sizeHint() const override;

    static constexpr int rowHeight = 28;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PillOption m_option;
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
