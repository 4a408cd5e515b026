#pragma once

#include <QStringList>
#include <QWidget>

namespace velmora {

// A row of mutually exclusive segments, one of them selected: the appearance picker.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList& labels, QWidget* parent = nullptr);

    int currentIndex() const { return m_current; }
    // Selects without emitting currentIndexChanged (for following the model).
    void setCurrentIndex(int index);
    int count() const { return int(m_labels.size()); }
    QRect segmentRect(int index) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The user picked another segment.
    void currentIndexChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose(int index);

    QStringList m_labels;
    int m_current = 0;
};

} // namespace velmora
