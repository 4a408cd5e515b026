#pragma once

#include <QAbstractButton>

namespace velmora {

// The pinned window's round close button: a dark disc with a white cross. It acts on the press, so
// a pinned window behind other windows closes with one click.
class PinnedCloseButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PinnedCloseButton(QWidget* parent = nullptr);

    static constexpr int diameter = 22;
    static constexpr int margin = 8;

    QSize sizeHint() const override { return {diameter, diameter}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace velmora
