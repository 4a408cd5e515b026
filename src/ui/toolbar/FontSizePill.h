#pragma once

#include "imaging/Color.h"
#include "toolbar/PillButton.h"

#include <QVector>

namespace velmora {

// Chooses the text size; its face shows the letter "A" and the current size.
class FontSizePill : public PillButton
{
    Q_OBJECT

public:
    explicit FontSizePill(QWidget* parent = nullptr);

    double fontSize() const { return m_size; }
    void setFontSize(double size);
    // The annotation colour, shown on the face's letter.
    void setColor(const Color& color);

    static const QVector<double>& presets();

Q_SIGNALS:
    void fontSizeChosen(double size);

protected:
    QSize previewSize() const override;
    void paintPreview(QPainter& painter, const QRectF& box) override;
    void populate(PillPopover& popover) override;

private:
    QFont letterFont() const;
    QFont valueFont() const;

    double m_size = 32;
    Color m_color = Color::black();
};

} // namespace velmora
