#include "preferences/SegmentedControl.h"

#include "preferences/PreferencesColors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

constexpr int controlHeight = 24;
constexpr int inset = 2;
constexpr qreal radius = 6;

} // namespace

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent)
    : QWidget(parent), m_labels(labels)
{
    setFixedHeight(controlHeight);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == m_current) {
        return;
    }
    m_current = index;
    update();
}

QRect SegmentedControl::segmentRect(int index) const
{
    const QRect inner = rect().adjusted(inset, inset, -inset, -inset);
    const int left = inner.left() + inner.width() * index / count();
    const int right = inner.left() + inner.width() * (index + 1) / count();
    return {left, inner.top(), right - left, inner.height()};
}

QSize SegmentedControl::sizeHint() const
{
    int widest = 0;
    for (const QString& label : m_labels) {
        widest = std::max(widest, fontMetrics().horizontalAdvance(label));
    }
    return {(widest + 28) * int(count()) + 2 * inset, controlHeight};
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    const QPalette& pal = palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PreferencesColors::separator(pal));
    painter.drawRoundedRect(QRectF(rect()), radius, radius);

    // The selected segment stands out as a raised button; the others are separated by hairlines.
    const QRectF selected = QRectF(segmentRect(m_current)).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(PreferencesColors::separator(pal), 1));
    painter.setBrush(pal.color(QPalette::Button));
    painter.drawRoundedRect(selected, radius - inset, radius - inset);
    for (int i = 1; i < count(); ++i) {
        if (i == m_current || i == m_current + 1) {
            continue;
        }
        const int x = segmentRect(i).left();
        painter.setPen(QPen(PreferencesColors::separator(pal), 1));
        painter.drawLine(QPointF(x + 0.5, controlHeight * 0.3), QPointF(x + 0.5, controlHeight * 0.7));
    }
    if (hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
    }
    for (int i = 0; i < count(); ++i) {
        painter.setPen(pal.color(i == m_current ? QPalette::ButtonText : QPalette::WindowText));
        painter.drawText(segmentRect(i), Qt::AlignCenter, m_labels[i]);
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* event)
{
    for (int i = 0; i < count(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            choose(i);
            event->accept();
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void SegmentedControl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        choose(std::clamp(m_current + (event->key() == Qt::Key_Left ? -1 : 1), 0, count() - 1));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SegmentedControl::choose(int index)
{
    if (index == m_current) {
        return;
    }
    setCurrentIndex(index);
    Q_EMIT currentIndexChanged(index);
}

} // namespace velmora
