#include "toolbar/ColorPill.h"

#include "toolbar/ColorSwatchGrid.h"
#include "toolbar/HsvColorPicker.h"
#include "toolbar/PillPopover.h"
#include "toolbar/ToolbarStyle.h"

#include <QPainter>
#include <QVBoxLayout>

namespace velmora {

namespace {

// The swatch grid's popover and the custom picker's are one width, so the picker opens where the
// grid was.
constexpr int popoverWidth = 190;

// A one-point rule between the grid and the "Custom…" row.
class Divider : public QWidget
{
public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(9); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRectF(4, height() / 2.0, width() - 8, 1), toolbarstyle::hairline(palette()));
    }
};

} // namespace

ColorPill::ColorPill(QWidget* parent) : PillButton(popoverWidth, parent)
{
    setToolTip(QStringLiteral("Color"));
}

ColorPill::~ColorPill() = default;

const QVector<Color>& ColorPill::presets()
{
    static const QVector<Color> colors{
        Color::fromRgb8(255, 59, 48),  // red
        Color::fromRgb8(255, 149, 0),  // orange
        Color::fromRgb8(255, 204, 0),  // yellow
        Color::fromRgb8(52, 199, 89),  // green
        Color::fromRgb8(0, 122, 255),  // blue
        Color::fromRgb8(175, 82, 222), // purple
        Color::fromRgb8(255, 45, 85),  // pink
        Color::grey(0.1),              // near-black
        Color::white(),
    };
    return colors;
}

void ColorPill::setColor(const Color& color)
{
    if (!(m_color == color)) {
        m_color = color;
        refresh();
    }
}

void ColorPill::setCustomColor(const std::optional<Color>& color)
{
    if (m_customColor != color) {
        m_customColor = color;
        refresh();
    }
}

void ColorPill::paintPreview(QPainter& painter, const QRectF& box)
{
    painter.setPen(QPen(toolbarstyle::primary(palette(), 0.25), 1));
    painter.setBrush(m_color.toQColor());
    painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
}

void ColorPill::populate(PillPopover& popover)
{
    m_grid = new ColorSwatchGrid(presets(), m_customColor, m_color, &popover);
    connect(m_grid, &ColorSwatchGrid::colorChosen, this, [this](const Color& color) {
        setOpen(false);
        setColor(color);
        Q_EMIT colorChosen(color);
    });
    popover.rows()->addSpacing(4);
    popover.rows()->addWidget(m_grid, 0, Qt::AlignHCenter);
    popover.rows()->addWidget(new Divider(&popover));

    const auto pipette = [](QPainter& painter, const QRectF& box, const QPalette& pal) {
        toolbarstyle::drawIcon(painter, box, QStringLiteral("pipette"), toolbarstyle::primary(pal), 11);
    };
    addOption(popover,
              PillOption(QStringLiteral("Custom…"), false).withSample(pipette, 11, 8).withLabelPixelSize(12),
              [this] { openCustomColorPanel(); });
}

HsvColorPicker* ColorPill::colorPicker() const
{
    return m_picker;
}

PillPopover* ColorPill::customColorPopover() const
{
    return m_customPopover;
}

void ColorPill::openCustomColorPanel()
{
    if (!m_customPopover) {
        m_customPopover = new PillPopover(this, popoverWidth);
        m_picker = new HsvColorPicker(m_customPopover);
        m_customPopover->rows()->addWidget(m_picker);
        connect(m_picker, &HsvColorPicker::currentColorChanged, this, [this](const QColor& picked) {
            if (picked.isValid()) {
                Q_EMIT customColorPicked(Color::fromQColor(picked));
            }
        });
        connect(m_customPopover, &PillPopover::closed, this, &ColorPill::customColorPanelClosed);
    }
    {
        // Showing the starting colour is not a choice: it must not overwrite the annotation
        // colour with its own rounded copy.
        const QSignalBlocker blocker(m_picker);
        m_picker->setCurrentColor((m_customColor ? *m_customColor : m_color).toQColor());
    }
    m_customPopover->popup();
}

} // namespace velmora
