#pragma once

#include "imaging/Color.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace velmora {

// The two small capsules at the bottom of the editor: the colour under the pointer, and the zoom
// with the output's pixel size.
class EditorPills : public QWidget
{
    Q_OBJECT

public:
    explicit EditorPills(QWidget* parent = nullptr);

    void setHoveredColor(const std::optional<Color>& color, const std::optional<QString>& hex);
    void setZoom(double zoomPercent, const QSize& outputPixels);
    QString zoomText() const;
    bool isColorPillVisible() const;

    static QString zoomLabel(double zoomPercent, const QSize& outputPixels);

private:
    QWidget* m_colorPill;
    QWidget* m_colorSwatch;
    QLabel* m_colorText;
    QLabel* m_zoomText;
};

} // namespace velmora
