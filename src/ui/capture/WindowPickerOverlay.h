#pragma once

#include "WindowInfo.h"
#include "capture/ScreenLayout.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace velmora {

class WindowList;

// One screen's part of the window picker: the frozen picture as it is, the window under the
// pointer tinted blue, and in place of the hidden pointer a pill naming the window's program.
class WindowPickerOverlay : public QWidget
{
    Q_OBJECT

public:
    static constexpr int pollInterval = 100; // ms: follows windows that move under a still pointer
    static inline const QColor tint = QColor(0, 122, 255, 46); // 18 %

    WindowPickerOverlay(const WindowList& windows, const ScreenGeometry& screen, QImage frozen,
                        QWidget* parent = nullptr);

    const std::optional<WindowInfo>& hoveredWindow() const { return m_hovered; }

Q_SIGNALS:
    void picked(quint32 windowID);
    void cancelled();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updateHovered();
    // Reads the window list again (a few round trips per window, so not on every pointer move).
    void refreshWindows();
    QRectF localFrame(const WindowInfo& window) const;
    QRect pillRect() const;

    const WindowList& m_windows;
    ScreenGeometry m_screen;
    QImage m_frozen;
    QTimer m_poll;
    std::optional<QPointF> m_pointer; // over this overlay, in its points
    QList<WindowInfo> m_listed;       // front to back, as last read
    std::optional<WindowInfo> m_hovered;
    QImage m_pill; // rendered for m_pillOwner
    QString m_pillOwner;
};

} // namespace velmora
