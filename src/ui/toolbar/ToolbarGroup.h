#pragma once

#include <QWidget>

class QHBoxLayout;

namespace velmora {

// A row of toolbar buttons on one rounded, faintly filled plate.
class ToolbarGroup : public QWidget
{
    Q_OBJECT

public:
    explicit ToolbarGroup(QWidget* parent = nullptr);

    void addWidget(QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* m_layout;
};

} // namespace velmora
