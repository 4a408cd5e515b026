#pragma once

#include <QAbstractButton>

#include <functional>

namespace velmora {

// One row of a pill's popover: its content, then a check mark when it is the current choice.
// The row's text names it for accessibility and tests; the content function draws it.
class PillOptionRow : public QAbstractButton
{
    Q_OBJECT

public:
    using ContentPainter = std::function<void(QPainter& painter, const QRectF& box, const QPalette& palette)>;

    PillOptionRow(const QString& text, ContentPainter content, bool isSelected, QWidget* parent = nullptr);

    bool isSelected() const { return m_isSelected; }
    bool isHovered() const { return m_isHovered; }

    QSize sizeHint() const override;

    static constexpr int rowHeight = 28;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    ContentPainter m_content;
    bool m_isSelected;
    bool m_isHovered = false;
};

} // namespace velmora
