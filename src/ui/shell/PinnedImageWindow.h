#pragma once

#include "shell/PillNotification.h"
#include "shell/PinnedGeometry.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QDateTime;

namespace velmora {

class GeneralPreferences;
class PinnedCloseButton;
class RoundedWindowShape;

// A finished screenshot pinned to the screen: a borderless window above ordinary windows that keeps
// the image's proportions. It is moved by dragging it, resized from its edges and corners, zoomed
// with the wheel around the pointer, and copied, saved or closed from its keys (Ctrl+C, Ctrl+W,
// Escape), its context menu and the close button that appears while the pointer is over it.
class PinnedImageWindow : public QWidget
{
    Q_OBJECT

public:
    // Run once, when the window closes. The owner drops the window there, with deleteLater().
    using CloseHandler = std::function<void(PinnedImageWindow*)>;
    // Asks where to save, starting in `folder`; an empty path means the user cancelled.
    using PathChooser =
        std::function<QString(QWidget* parent, const QString& folder, const QString& suggestedFileName)>;
    // Puts the image on the clipboard.
    using Copier = std::function<void(const QImage&)>;

    // Builds the window with `initialFrame` as its geometry; the caller shows it. `notifier` shows
    // the pill that confirms a copy; Save As starts in the save folder of `preferences`. Both must
    // outlive the window.
    PinnedImageWindow(const QImage& image, const QRect& initialFrame, PillNotification& notifier,
                      const GeneralPreferences& preferences, CloseHandler onClose = {},
                      QWidget* parent = nullptr);
    ~PinnedImageWindow() override;

    // Null once the window has closed.
    QImage image() const { return m_image; }
    bool didNotifyClose() const { return m_didNotifyClose; }
    PinnedCloseButton* closeButton() const { return m_closeButton; }

    void setPathChooser(PathChooser chooser) { m_pathChooser = std::move(chooser); }
    void setCopier(Copier copier) { m_copier = std::move(copier); }

    // "Pinned-<Unix time in seconds>.png".
    static QString suggestedFileName(const QDateTime& now);
    // The default copier: the PNG bytes and the image itself on the system clipboard.
    static void copyToClipboard(const QImage& image);

Q_SIGNALS:
    // Ctrl+C or "Copy Image": the image was handed to the copier.
    void copyRequested(const QImage& image);
    void imageSaved(const QString& path);
    void saveFailed(const QString& errorMessage);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void copyImage();
    void saveImageAs();
    void updateCursor(QPoint pos);
    QSizeF imageSizeInPoints() const;

    QImage m_image;
    CloseHandler m_onClose;
    bool m_didNotifyClose = false;
    PinnedCloseButton* m_closeButton = nullptr;
    RoundedWindowShape* m_shape = nullptr; // a child

    // A resize in progress: the edges dragged, where the pointer and the frame were at the press.
    ResizeEdges m_activeResizeEdges;
    QPoint m_resizeInitialMouse;
    QRect m_resizeInitialFrame;
    // A move done here when the window manager cannot do it: the pointer's offset in the window.
    bool m_isMoving = false;
    QPoint m_moveOffset;

    PillNotification& m_notifier;
    const GeneralPreferences& m_preferences;
    // The Save As dialog, above the pinned windows, unless replaced.
    PathChooser m_pathChooser;
    Copier m_copier = copyToClipboard;
};

} // namespace velmora
