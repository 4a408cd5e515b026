#pragma once

#include <QWidget>

namespace velmora {

// A short vertical hairline between groups.
class ToolbarSeparator : public QWidget
{
    Q_OBJECT

public:
    explicit ToolbarSeparator(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace velmora
