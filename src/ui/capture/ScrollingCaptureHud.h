#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace velmora {

// The scrolling capture's small control panel: the status line, Start/Stop (Return) and an
// icon-only cancel button (Escape). It only shows state and reports clicks; the controller decides.
class ScrollingCaptureHud : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize panelSize{280, 64};
    static constexpr int regionGap = 12;
    static constexpr int screenMargin = 8;
    static constexpr int cornerRadius = 14;
    static inline const QString title = QStringLiteral("Velmora scrolling capture");

    explicit ScrollingCaptureHud(QWidget* parent = nullptr);

    void setState(bool capturing, const QString& status);

    QString statusText() const;
    QString buttonText() const;
    bool isCapturing() const { return m_capturing; }

    // Top-left corner of the panel (global points) for a region: centred 12 points under it, or
    // 12 points above it when below would reach into the last 8 points of the available area, and
    // kept inside the available area.
    static QPoint origin(const QRect& region, const QRect& screen, const QRect& available);

Q_SIGNALS:
    void startRequested();
    void stopRequested();
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void primaryClicked();

    QLabel* m_status;
    QPushButton* m_primary;
    QToolButton* m_cancel;
    bool m_capturing = false;
};

} // namespace velmora
