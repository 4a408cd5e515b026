#pragma once

#include <QString>
#include <QWidget>

namespace velmora {

// One line of text that gives up its middle when it is too wide ("/home/a…/Screenshots"), so both
// the start and the last folder of a path stay readable. The full text is its tooltip.
class ElidedLabel : public QWidget
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The text as it fits the current width.
    QString displayedText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace velmora
