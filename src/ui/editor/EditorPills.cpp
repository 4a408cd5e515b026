#include "editor/EditorPills.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace velmora {

namespace {

// A translucent dark capsule that holds a row of widgets.
class Capsule : public QWidget
{
public:
    explicit Capsule(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(12, 5, 12, 5);
        layout->setSpacing(7);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
        painter.setBrush(QColor(28, 28, 30, 215));
        painter.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    }
};

class Swatch : public QWidget
{
public:
    explicit Swatch(QWidget* parent) : QWidget(parent) { setFixedSize(14, 14); }
    QColor color = Qt::transparent;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 255, 255, 160), 1));
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    }
};

QLabel* pillLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    font.setWeight(QFont::Medium);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(245, 245, 247));
    label->setPalette(palette);
    return label;
}

} // namespace

EditorPills::EditorPills(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    m_colorPill = new Capsule(this);
    auto* swatch = new Swatch(m_colorPill);
    m_colorSwatch = swatch;
    m_colorText = pillLabel(m_colorPill);
    m_colorPill->layout()->addWidget(swatch);
    m_colorPill->layout()->addWidget(m_colorText);
    m_colorPill->hide();

    auto* zoomPill = new Capsule(this);
    m_zoomText = pillLabel(zoomPill);
    zoomPill->layout()->addWidget(m_zoomText);
    zoomPill->setToolTip(QStringLiteral("Zoom & dimensions · Ctrl++ / Ctrl+- / Ctrl+0"));

    row->addWidget(m_colorPill);
    row->addWidget(zoomPill);
}

QString EditorPills::zoomLabel(double zoomPercent, const QSize& pixels)
{
    return QStringLiteral("%1% · %2x%3")
        .arg(int(std::trunc(zoomPercent)))
        .arg(pixels.width())
        .arg(pixels.height());
}

void EditorPills::setHoveredColor(const std::optional<Color>& color, const std::optional<QString>& hex)
{
    const bool show = color && hex;
    if (show) {
        static_cast<Swatch*>(m_colorSwatch)->color = color->toQColor();
        m_colorSwatch->update();
        m_colorText->setText(*hex);
    }
    m_colorPill->setVisible(show);
    adjustSize();
}

void EditorPills::setZoom(double zoomPercent, const QSize& outputPixels)
{
    m_zoomText->setText(zoomLabel(zoomPercent, outputPixels));
    adjustSize();
}

QString EditorPills::zoomText() const
{
    return m_zoomText->text();
}

bool EditorPills::isColorPillVisible() const
{
    return !m_colorPill->isHidden();
}

} // namespace velmora
