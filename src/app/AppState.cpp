#include "AppState.h"

#include "ClipboardWriter.h"
#include "EditorWindowGeometry.h"
#include "editor/EditorSession.h"
#include "editor/EditorView.h"
#include "editor/EditorWindow.h"
#include "imaging/PngEncoder.h"
#include "output/OutputFiles.h"
#include "preferences/GeneralPreferences.h"
#include "shell/PillNotification.h"
#include "shell/PinnedImageWindow.h"
#include "shell/SaveAsDialog.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QScreen>
#include <QThreadPool>
#include <QUrl>

Q_LOGGING_CATEGORY(lcApp, "velmora.app")

namespace velmora {

namespace {

QScreen* screenFor(QScreen* preferred)
{
    if (preferred) {
        return preferred;
    }
    if (QScreen* under = QGuiApplication::screenAt(QCursor::pos())) {
        return under;
    }
    return QGuiApplication::primaryScreen();
}

QString defaultSavePath(QWidget* parent, const QString& folder, const QString& name)
{
    return chooseSaveAsPath(parent, folder, name);
}

} // namespace

AppState::AppState(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services)),
      m_clipboard(new ClipboardWriter(m_services.workingFolder, this)), m_savePathChooser(defaultSavePath)
{}

AppState::~AppState()
{
    for (auto& [window, session] : m_editors) {
        window->disconnect(this);
        delete window;
    }
}

EditorWindow* AppState::openEditor(const QImage& image, const OpenOptions& options)
{
    auto session = std::make_unique<EditorSession>(
        image, options.kind, options.assets, options.backgroundEnabledByDefault,
        EditorSession::Services{m_services.settings, m_services.wallpapers});
    return present(std::move(session), options.tightFit, options.preferredScreen);
}

EditorWindow* AppState::reopenEditor(std::unique_ptr<EditorSession> session, QScreen* preferredScreen)
{
    const bool tightFit = session->openedTightFit;
    return present(std::move(session), tightFit, preferredScreen);
}

EditorWindow* AppState::present(std::unique_ptr<EditorSession> session, bool tightFit,
                                QScreen* preferredScreen)
{
    session->openedTightFit = tightFit;
    EditorSession& s = *session;
    auto* view = new EditorView(s, m_services.settings, m_services.hotkeys, tightFit);
    auto* window = new EditorWindow(s, view);
    s.window = window;
    const int alreadyOpen = int(m_editors.size());
    m_editors.emplace(window, std::move(session));

    QScreen* screen = screenFor(preferredScreen);
    const QRectF area = screen ? QRectF(screen->availableGeometry()) : QRectF(0, 0, 1280, 800);
    const QRectF frame = editorWindowFrame(s.displaySize(), area, tightFit, alreadyOpen);
    const QSizeF minimum = editorWindowMinimumSize(tightFit);
    window->setMinimumSize(
        QSizeF(std::min(minimum.width(), 0.9 * area.width()), std::min(minimum.height(), 0.9 * area.height()))
            .toSize());
    window->setMaximumSize((QSizeF(0.9 * area.width(), 0.9 * area.height())).toSize());
    window->setGeometry(frame.toRect());

    QPointer<EditorWindow> weak(window);
    view->setDragImageProvider([weak] { return weak ? weak->session().renderedImage() : QImage(); });
    connect(view, &EditorView::copyRequested, this, [this, weak] { copyToClipboardAndClose(weak); });
    connect(view, &EditorView::saveRequested, this, [this, weak] { saveToFile(weak); });
    connect(view, &EditorView::saveAsRequested, this, [this, weak] { saveAsToFile(weak); });
    connect(view, &EditorView::pinRequested, this, [this, weak] { pinSession(weak); });
    connect(view, &EditorView::closeRequested, window, &QWidget::close);
    connect(view, &EditorView::copyHexRequested, this, [this, weak](const QString& hex) {
        m_clipboard->copyText(hex);
        m_services.pill.show(QStringLiteral("Color hex copied"), 1.2);
        if (weak) {
            weak->close();
        }
    });
    connect(view, &EditorView::notificationRequested, this,
            [this, weak](const QString& message, double seconds) {
                m_services.pill.show(message, seconds, {}, weak ? weak->screen() : nullptr);
            });
    connect(view, &EditorView::dragBegan, window, [weak] {
        if (weak) {
            weak->hide();
        }
    });
    connect(view, &EditorView::dragEnded, window, [weak](bool accepted) {
        if (!weak) {
            return;
        }
        if (accepted) {
            weak->close();
        } else {
            weak->show();
            weak->raise();
            weak->activateWindow();
        }
    });
    connect(window, &EditorWindow::closing, this, &AppState::editorClosing);

    s.precomputeComposite();
    window->show();
    window->raise();
    window->activateWindow();
    Q_EMIT editorOpened(window);
    return window;
}

QList<EditorWindow*> AppState::editorWindows() const
{
    QList<EditorWindow*> windows;
    for (const auto& [window, session] : m_editors) {
        windows.append(window);
    }
    return windows;
}

QList<PinnedImageWindow*> AppState::pinnedWindows() const
{
    QList<PinnedImageWindow*> windows;
    for (const auto& window : m_pinnedWindows) {
        if (window) {
            windows.append(window);
        }
    }
    return windows;
}

void AppState::editorClosing(EditorWindow* window)
{
    const auto it = m_editors.find(window);
    if (it == m_editors.end()) {
        return;
    }
    std::unique_ptr<EditorSession> session = std::move(it->second);
    m_editors.erase(it);

    // The last-screenshot files are written in the background; the images are shared, not copied.
    const QImage rendered = session->renderedImage();
    const QImage raw = session->capturedImage();
    const QString folder = m_services.workingFolder;
    const quint64 sequence = ++m_persistOrder->queued;
    QThreadPool::globalInstance()->start([order = m_persistOrder, sequence, rendered, raw, folder] {
        // Writers take turns, and one that finds a newer editor already written leaves it alone.
        QMutexLocker lock(&order->mutex);
        if (sequence < order->written) {
            return;
        }
        OutputFiles::persistLastScreenshot(rendered, raw, folder);
        order->written = sequence;
    });

    session->window = nullptr;
    if (m_lastClosedSession) {
        m_lastClosedSession->releaseHeavyAssets();
    }
    m_lastClosedSession = std::move(session);
    window->disconnect(this);
    window->deleteLater();
    if (m_editors.empty()) {
        Q_EMIT lastEditorClosed();
        if (pinnedWindows().isEmpty()) {
            Q_EMIT lastWindowClosed();
        }
    }
}

void AppState::copyToClipboardAndClose(EditorWindow* window)
{
    if (!window || !m_editors.count(window)) {
        return;
    }
    const QImage image = window->session().renderedImage();
    if (image.isNull()) {
        reportSaveFailure(QStringLiteral("Copy"), QStringLiteral("the picture could not be rendered"));
        return;
    }
    window->close();
    m_clipboard->copyImage(image);
}

void AppState::saveToFile(EditorWindow* window)
{
    if (!window || !m_editors.count(window)) {
        return;
    }
    const QImage image = window->session().renderedImage();
    if (image.isNull()) {
        reportSaveFailure(QStringLiteral("Save"), QStringLiteral("the picture could not be rendered"));
        return;
    }
    const auto png = encodePng(image);
    if (!png) {
        reportSaveFailure(QStringLiteral("Save"), QStringLiteral("the picture could not be encoded as PNG"));
        return;
    }
    const QString folder = m_services.general.saveLocation();
    const auto saved = OutputFiles::saveNewScreenshot(*png, folder, QDate::currentDate());
    if (!saved.result) {
        reportSaveFailure(QStringLiteral("Save"), saved.result.errorMessage);
        return;
    }
    Q_EMIT imageSaved(saved.path);
    showSavedPill(QStringLiteral("Saved to ") + QFileInfo(folder).fileName(), saved.path);
    window->close();
}

void AppState::saveAsToFile(EditorWindow* window)
{
    if (!window || !m_editors.count(window)) {
        return;
    }
    const auto png = encodePng(window->session().renderedImage());
    if (!png) {
        reportSaveFailure(QStringLiteral("Save As"),
                          QStringLiteral("the picture could not be encoded as PNG"));
        return;
    }
    QPointer<EditorWindow> weak(window);
    const QString path = OutputFiles::withPngExtension(m_savePathChooser(
        window, m_services.general.saveLocation(), OutputFiles::screenshotFileName(QDate::currentDate())));
    if (path.isEmpty()) {
        return;
    }
    const WriteResult written = writeFileAtomically(path, *png);
    if (!written) {
        reportSaveFailure(QStringLiteral("Save As"), written.errorMessage);
        return;
    }
    Q_EMIT imageSaved(path);
    showSavedPill(QStringLiteral("Image saved"), path);
    if (weak && m_editors.count(weak)) {
        weak->close();
    }
}

void AppState::reportSaveFailure(const QString& operation, const QString& reason)
{
    qCWarning(lcApp).noquote() << "[Velmora] " + operation + " failed:" << reason;
    QApplication::beep();
    m_services.pill.show(operation + QStringLiteral(" failed"), 1.2);
    Q_EMIT saveFailed(reason);
}

void AppState::showSavedPill(const QString& message, const QString& path)
{
    NotificationAction reveal;
    reveal.title = QStringLiteral("Show in Folder");
    reveal.iconName = QStringLiteral("folder-open");
    reveal.handler = [path] { showInFolder(path); };
    reveal.dismissesOnTap = true;
    m_services.pill.show(message, 2.0, {reveal});
}

void AppState::showInFolder(const QString& path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    }
}

void AppState::pinSession(EditorWindow* window)
{
    if (!window || !m_editors.count(window)) {
        return;
    }
    const QImage image = window->session().renderedImage();
    if (image.isNull()) {
        return;
    }
    const QSizeF points = QSizeF(image.size()) / image.devicePixelRatio();
    QScreen* screen = window->screen();
    const QRectF area = screen ? QRectF(screen->availableGeometry()) : QRectF(window->frameGeometry());
    const QRectF frame = pinnedWindowFrame(points, area, QRectF(window->geometry()).center());
    const auto onClose = [this](PinnedImageWindow* closed) {
        m_pinnedWindows.removeAll(closed);
        closed->deleteLater();
        if (m_editors.empty() && pinnedWindows().isEmpty()) {
            Q_EMIT lastWindowClosed();
        }
    };
    auto* pinned = new PinnedImageWindow(image, frame.toRect(), m_services.pill, m_services.general, onClose);
    pinned->setCopier([this](const QImage& copied) { m_clipboard->copyImage(copied); });
    m_pinnedWindows.append(pinned);
    pinned->show();
    pinned->raise();
    window->close();
}

} // namespace velmora
