#include "ScrollingCaptureHud.h"

#include "icons/LucideIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include <algorithm>

namespace velmora {

namespace {

const QColor panelColour(28, 28, 30, 235);
const QColor textColour(245, 245, 247);

QRegion roundedRegion(const QRect& bounds, int radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(bounds), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

ScrollingCaptureHud::ScrollingCaptureHud(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(title);
    setFixedSize(panelSize);
    // Without a compositing manager the transparent corners would show black: the window is cut to
    // the rounded panel, which is drawn nearly opaque; with one, the mask changes nothing.
    setMask(roundedRegion(rect(), cornerRadius));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    QFont font = m_status->font();
    font.setWeight(QFont::DemiBold);
    m_status->setFont(font);
    // "Ready — click Start and scroll" takes two lines beside the buttons.
    m_status->setWordWrap(true);
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, textColour);
    m_status->setPalette(palette);

    m_primary = new QPushButton(this);
    m_primary->setObjectName(QStringLiteral("primary"));
    m_primary->setMinimumWidth(84);
    m_primary->setCursor(Qt::PointingHandCursor);
    connect(m_primary, &QPushButton::clicked, this, &ScrollingCaptureHud::primaryClicked);
    // Light-on-dark controls whatever the desktop's palette: the panel is always dark.
    setStyleSheet(QStringLiteral(
        "QPushButton#primary { color: #f5f5f7; background: rgba(255,255,255,36); font-weight: 600;"
        " border: 1px solid rgba(255,255,255,56); border-radius: 8px; padding: 5px 12px; }"
        "QPushButton#primary:hover { background: rgba(255,255,255,58); }"
        "QPushButton#primary:pressed { background: rgba(255,255,255,22); }"
        "QToolButton#cancel { border: none; background: transparent; padding: 2px; }"
        "QToolButton#cancel:hover { background: rgba(255,255,255,30); border-radius: 6px; }"));

    m_cancel = new QToolButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setIcon(LucideIcon::icon(QStringLiteral("circle-x"), textColour, 20));
    m_cancel->setIconSize(QSize(20, 20));
    m_cancel->setAutoRaise(true);
    m_cancel->setToolTip(QStringLiteral("Cancel"));
    m_cancel->setCursor(Qt::PointingHandCursor);
    connect(m_cancel, &QToolButton::clicked, this, &ScrollingCaptureHud::cancelRequested);

    auto* layout = new QHBoxLayout(this);
    // Start or Stop first, where the eye lands; the status takes the room left; cancel at the end.
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(m_primary);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_cancel);

    // The panel has no dialog to give it a default button: Return and Escape are its own shortcuts.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, &ScrollingCaptureHud::primaryClicked);
    }
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &ScrollingCaptureHud::cancelRequested);

    setState(false, QString());
}

void ScrollingCaptureHud::setState(bool capturing, const QString& status)
{
    m_capturing = capturing;
    m_status->setText(status);
    m_primary->setText(capturing ? QStringLiteral("Stop") : QStringLiteral("Start"));
    m_primary->setIcon(LucideIcon::icon(
        capturing ? QStringLiteral("circle-stop") : QStringLiteral("circle-play"), textColour, 16));
}

QString ScrollingCaptureHud::statusText() const
{
    return m_status->text();
}

QString ScrollingCaptureHud::buttonText() const
{
    return m_primary->text();
}

void ScrollingCaptureHud::primaryClicked()
{
    if (m_capturing) {
        Q_EMIT stopRequested();
    } else {
        Q_EMIT startRequested();
    }
}

QPoint ScrollingCaptureHud::origin(const QRect& region, const QRect& screen, const QRect& available)
{
    const QRect area = available.isValid() ? available : screen;
    const int x = region.x() + region.width() / 2 - panelSize.width() / 2;
    const int below = region.y() + region.height() + regionGap;
    const int above = region.y() - regionGap - panelSize.height();
    const bool fitsBelow = below + panelSize.height() <= area.y() + area.height() - screenMargin;
    const int y = fitsBelow ? below : above;
    return {std::clamp(x, area.left(), std::max(area.left(), area.x() + area.width() - panelSize.width())),
            std::clamp(y, area.top(), std::max(area.top(), area.y() + area.height() - panelSize.height()))};
}

void ScrollingCaptureHud::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.setBrush(panelColour);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

} // namespace velmora
