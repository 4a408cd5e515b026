#include "toolbar/PillButton.h"

#include "toolbar/PillPopover.h"
#include "toolbar/ToolbarStyle.h"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace velmora {

namespace {
constexpr int leadingPadding = 9;
constexpr int chevronGap = 5;
constexpr int chevronPoints = 11;
constexpr int trailingPadding = 7;
constexpr qreal cornerRadius = 8;
} // namespace

PillButton::PillButton(int popoverWidth, QWidget* parent)
    : QAbstractButton(parent), m_popover(new PillPopover(this, popoverWidth))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] { setOpen(!m_isOpen); });
    connect(m_popover, &PillPopover::closed, this, [this] {
        if (m_isOpen) {
            m_isOpen = false;
            update();
            Q_EMIT openChanged(false);
        }
    });
}

QSize PillButton::sizeHint() const
{
    return {leadingPadding + previewSize().width() + chevronGap + chevronPoints + trailingPadding,
            toolbarstyle::controlHeight};
}

void PillButton::setOpen(bool open)
{
    if (open == m_isOpen) {
        return;
    }
    if (open) {
        this->open(nullptr);
    } else {
        // Hiding reports back through PillPopover::closed.
        m_popover->hide();
    }
}

void PillButton::openBelow(QWidget* anchor)
{
    if (!m_isOpen) {
        open(anchor);
    }
}

void PillButton::open(QWidget* anchor)
{
    m_popover->clearRows();
    populate(*m_popover);
    m_isOpen = true;
    m_popover->popup(anchor);
    update();
    Q_EMIT openChanged(true);
}

void PillButton::addOption(PillPopover& popover, PillOption option, std::function<void()> chosen)
{
    auto* row = new PillOptionRow(std::move(option), &popover);
    connect(row, &QAbstractButton::clicked, this, [this, chosen = std::move(chosen)] {
        setOpen(false);
        chosen();
    });
    popover.rows()->addWidget(row);
}

void PillButton::refresh()
{
    if (m_isOpen) {
        m_popover->clearRows();
        populate(*m_popover);
        m_popover->adjustSize();
    }
    update();
}

void PillButton::paintEvent(QPaintEvent*)
{
    using namespace toolbarstyle;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();

    QColor fill = restFill(pal);
    if (m_isOpen || isDown()) {
        fill = pressedFill(pal);
    } else if (m_hover->isHovered()) {
        fill = hoverFill(pal);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);

    const QSize preview = previewSize();
    const QRectF previewBox(leadingPadding, (height() - preview.height()) / 2.0, preview.width(),
                            preview.height());
    paintPreview(painter, previewBox);

    const QRectF chevron(previewBox.right() + chevronGap, 0, chevronPoints, height());
    drawIcon(painter, chevron, QStringLiteral("chevron-down"), primary(pal, 0.55), chevronPoints);
}

void PillButton::changeEvent(QEvent* event)
{
    // Faces that depend on the font or palette change size or colour with them.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        updateGeometry();
    }
    QAbstractButton::changeEvent(event);
}

} // namespace velmora
