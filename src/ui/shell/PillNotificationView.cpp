#include "shell/PillNotificationView.h"

#include "RoundedWindowShape.h"
#include "shell/PillActionButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {

// No blur behind the pill on this platform, so the capsule carries the darkness itself: dark enough
// for white text over a white page, still letting a little of the screen show through.
const QColor capsuleFill(22, 22, 25, 222);
const QColor capsuleOutline(255, 255, 255, 36);
const QColor opaqueCapsuleFill(capsuleFill.red(), capsuleFill.green(), capsuleFill.blue());
const QColor dividerColor(255, 255, 255, 64);

class PillDivider : public QWidget
{
public:
    explicit PillDivider(QWidget* parent) : QWidget(parent)
    {
        setFixedSize(1, PillNotificationView::dividerHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), dividerColor); }
};

} // namespace

PillNotificationView::PillNotificationView(const QString& message, const QList<NotificationAction>& actions,
                                           const IconPixmapProvider& icons, QWidget* parent)
    : QWidget(parent), m_message(message)
{
    // Items stand `spacing` apart as the eye sees them: an action button's own padding (its hover
    // capsule) counts towards the gap beside it and towards the pill's right padding.
    const int buttonPadding = PillActionButton::horizontalPadding;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(horizontalPadding, verticalPadding,
                            actions.isEmpty() ? horizontalPadding : horizontalPadding - buttonPadding,
                            verticalPadding);
    row->setSpacing(0);

    auto* label = new QLabel(message, this);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    row->addWidget(label, 0, Qt::AlignVCenter);

    for (int i = 0; i < actions.size(); ++i) {
        row->addSpacing(i == 0 ? spacing : spacing - buttonPadding);
        row->addWidget(new PillDivider(this), 0, Qt::AlignVCenter);
        row->addSpacing(spacing - buttonPadding);
        auto* button = new PillActionButton(actions[i], icons, this);
        connect(button, &QAbstractButton::clicked, this, [this, i] { Q_EMIT actionTapped(i); });
        row->addWidget(button, 0, Qt::AlignVCenter);
        m_buttons.append(button);
    }
    // The pill is sized from the row's natural width; when the minimum pill size is larger the row
    // stays centred.
    row->insertStretch(0);
    row->addStretch();
}

void PillNotificationView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (RoundedWindowShape::paintsOpaque(this)) {
        // No compositor: the window's mask cuts out the capsule, and what is painted inside is
        // shown as is, with nothing behind to blend with. Opaque, so it is not darkened to black.
        painter.fillRect(rect(), opaqueCapsuleFill);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = bounds.height() / 2;
    QPainterPath capsule;
    capsule.addRoundedRect(bounds, radius, radius);
    painter.fillPath(capsule, capsuleFill);
    painter.setPen(QPen(capsuleOutline, 1.0));
    painter.drawPath(capsule);
}

} // namespace velmora
