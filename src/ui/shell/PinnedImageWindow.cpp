#include "shell/PinnedImageWindow.h"

#include "RoundedWindowShape.h"
#include "UiLog.h"
#include "imaging/AtomicFile.h"
#include "imaging/PngEncoder.h"
#include "output/OutputFiles.h"
#include "preferences/GeneralPreferences.h"
#include "shell/PillNotification.h"
#include "shell/PinnedCloseButton.h"
#include "shell/SaveAsDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

namespace velmora {

namespace {

constexpr qreal cornerRadius = 8;
constexpr double copiedPillSeconds = 1.2;

Qt::CursorShape cursorFor(ResizeEdges edges)
{
    const bool left = edges & ResizeEdge::Left;
    const bool right = edges & ResizeEdge::Right;
    const bool top = edges & ResizeEdge::Top;
    const bool bottom = edges & ResizeEdge::Bottom;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

QString withShortcut(const QString& text, QKeyCombination keys)
{
    // QMenu puts what follows the tab in its shortcut column.
    return text + QLatin1Char('\t') + QKeySequence(keys).toString(QKeySequence::NativeText);
}

} // namespace

PinnedImageWindow::PinnedImageWindow(const QImage& image, const QRect& initialFrame,
                                     PillNotification& notifier, const GeneralPreferences& preferences,
                                     CloseHandler onClose, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_image(image),
      m_onClose(std::move(onClose)), m_closeButton(new PinnedCloseButton(this)), m_notifier(notifier),
      m_preferences(preferences), m_pathChooser(chooseSaveAsPath)
{
    m_shape = new RoundedWindowShape(this, cornerRadius);
    setWindowTitle(QStringLiteral("Velmora"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(pinned::minimumSize(imageSizeInPoints()));
    setGeometry(initialFrame);

    m_closeButton->hide();
    m_closeButton->move(PinnedCloseButton::margin, PinnedCloseButton::margin);
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] {
        activateWindow();
        close();
    });
}

PinnedImageWindow::~PinnedImageWindow() = default;

QSizeF PinnedImageWindow::imageSizeInPoints() const
{
    return m_image.isNull() ? QSizeF() : m_image.deviceIndependentSize();
}

QString PinnedImageWindow::suggestedFileName(const QDateTime& now)
{
    return QStringLiteral("Pinned-%1.png").arg(now.toSecsSinceEpoch());
}

void PinnedImageWindow::copyToClipboard(const QImage& image)
{
    auto* data = new QMimeData;
    if (const auto png = encodePng(image))
        data->setData(QStringLiteral("image/png"), *png);
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

void PinnedImageWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    if (m_shape->isOpaque()) {
        // No compositor: the mask cuts the corners, and whatever is painted inside is shown as is.
        // Transparent parts of the image stand on the window colour rather than on black.
        painter.fillRect(bounds, palette().color(QPalette::Window));
    } else {
        painter.setClipPath(shape);
        // Not quite clear, so that transparent parts of the image still take the pointer.
        painter.fillRect(bounds, QColor(0, 0, 0, 1));
    }
    if (!m_image.isNull()) {
        QSizeF target = imageSizeInPoints();
        target.scale(bounds.size(), Qt::KeepAspectRatio);
        QRectF frame(QPointF(), target);
        frame.moveCenter(bounds.center());
        painter.drawImage(frame, m_image);
    }
    // A hairline edge, so a pale screenshot does not melt into a pale page behind it.
    painter.setClipping(false);
    painter.setPen(QPen(QColor(0, 0, 0, 56), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
}

void PinnedImageWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_closeButton->move(PinnedCloseButton::margin, PinnedCloseButton::margin);
}

void PinnedImageWindow::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (!m_image.isNull())
        m_closeButton->show();
    updateCursor(event->position().toPoint());
    // The pointer over the window gives it the keyboard, so Escape, Ctrl+C and Ctrl+W work without
    // a click first (a click would also start a move or a resize).
    if (!isActiveWindow())
        activateWindow();
}

void PinnedImageWindow::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // Not while a resize holds the pointer: it may run ahead of the window.
    if (!m_activeResizeEdges)
        m_closeButton->hide();
}

void PinnedImageWindow::updateCursor(QPoint pos)
{
    setCursor(cursorFor(pinned::edgesAt(pos, size())));
}

void PinnedImageWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The window manager may have refused the activation on enter; a click asks again.
    activateWindow();
    const ResizeEdges edges = pinned::edgesAt(event->position().toPoint(), size());
    if (edges) {
        m_activeResizeEdges = edges;
        m_resizeInitialMouse = event->globalPosition().toPoint();
        m_resizeInitialFrame = geometry();
    } else if (!(windowHandle() && windowHandle()->startSystemMove())) {
        m_isMoving = true;
        m_moveOffset = event->globalPosition().toPoint() - pos();
    }
    event->accept();
}

void PinnedImageWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (m_activeResizeEdges) {
        setGeometry(pinned::resizedFrame(m_resizeInitialFrame, m_activeResizeEdges,
                                         global - m_resizeInitialMouse, imageSizeInPoints()));
    } else if (m_isMoving) {
        move(global - m_moveOffset);
    } else if (event->buttons() == Qt::NoButton) {
        updateCursor(event->position().toPoint());
    }
    event->accept();
}

void PinnedImageWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_activeResizeEdges = {};
        m_isMoving = false;
        if (!rect().contains(event->position().toPoint()))
            m_closeButton->hide();
    }
    event->accept();
}

void PinnedImageWindow::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const auto factor = pinned::wheelZoomFactor(event->angleDelta(), event->pixelDelta());
    if (!factor)
        return;
    const QScreen* available = screen() ? screen() : QGuiApplication::primaryScreen();
    const std::optional<int> availableWidth =
        available ? std::optional<int>(available->availableGeometry().width()) : std::nullopt;
    const auto frame = pinned::zoomedFrame(geometry(), event->globalPosition(), *factor, imageSizeInPoints(),
                                           availableWidth);
    if (frame)
        setGeometry(*frame);
}

void PinnedImageWindow::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (event->key() == Qt::Key_Escape || (ctrl && event->key() == Qt::Key_W)) {
        close();
    } else if (ctrl && event->key() == Qt::Key_C) {
        copyImage();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PinnedImageWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy =
        menu.addAction(withShortcut(tr("Copy Image"), QKeyCombination(Qt::ControlModifier, Qt::Key_C)));
    QAction* save = menu.addAction(tr("Save As…"));
    menu.addSeparator();
    QAction* closeAction =
        menu.addAction(withShortcut(tr("Close"), QKeyCombination(Qt::ControlModifier, Qt::Key_W)));
    const QAction* chosen = menu.exec(event->globalPos());
    if (chosen == copy)
        copyImage();
    else if (chosen == save)
        saveImageAs();
    else if (chosen == closeAction)
        close();
    event->accept();
}

void PinnedImageWindow::closeEvent(QCloseEvent* event)
{
    if (!m_didNotifyClose) {
        m_didNotifyClose = true;
        if (m_onClose)
            m_onClose(this);
    }
    m_image = QImage();
    m_closeButton->hide();
    event->accept();
}

void PinnedImageWindow::copyImage()
{
    if (m_image.isNull())
        return;
    if (m_copier)
        m_copier(m_image);
    Q_EMIT copyRequested(m_image);
    // Shown where the user is looking: on this window's screen.
    m_notifier.show(tr("Copied to clipboard"), copiedPillSeconds, {}, screen());
}

void PinnedImageWindow::saveImageAs()
{
    if (m_image.isNull() || !m_pathChooser)
        return;
    // The window may close while the dialog is open; the save goes on with the image it showed.
    const QImage image = m_image;
    const QString path = OutputFiles::withPngExtension(m_pathChooser(
        this, m_preferences.saveLocation(), suggestedFileName(QDateTime::currentDateTimeUtc())));
    if (path.isEmpty())
        return;
    const WriteResult written = writePngAtomically(path, image);
    if (!written) {
        QApplication::beep();
        qCWarning(lcUi, "[Velmora] Save As failed: %s", qUtf8Printable(written.errorMessage));
        Q_EMIT saveFailed(written.errorMessage);
        return;
    }
    Q_EMIT imageSaved(path);
}

} // namespace velmora
