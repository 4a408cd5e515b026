#pragma once

#include "editor/CaptureBackgroundAssets.h"
#include "editor/CaptureKind.h"
#include "editor/EditorSession.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QScreen;

namespace velmora {

class BackgroundAssetStore;
class ClipboardWriter;
class EditorWindow;
class GeneralPreferences;
class HotkeyPreferences;
class PillNotification;
class PinnedImageWindow;
class SettingsStore;

// The registry of open editors and every way an image leaves one: the clipboard, a saved file,
// "Save As", a pinned window, and the last-screenshot files written when an editor closes.
class AppState : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        SettingsStore& settings;
        BackgroundAssetStore& wallpapers;
        GeneralPreferences& general;
        HotkeyPreferences& hotkeys;
        PillNotification& pill;
        QString workingFolder; // the private temporary folder
    };

    explicit AppState(Services services, QObject* parent = nullptr);
    ~AppState() override;

    struct OpenOptions
    {
        CaptureKind kind = CaptureKind::region;
        bool tightFit = false;
        QScreen* preferredScreen = nullptr;
        std::optional<CaptureBackgroundAssets> assets;
        bool backgroundEnabledByDefault = false;
    };
    EditorWindow* openEditor(const QImage& image, const OpenOptions& options);
    // Reopens a session as it was, annotations and all.
    EditorWindow* reopenEditor(std::unique_ptr<EditorSession> session, QScreen* preferredScreen = nullptr);

    QList<EditorWindow*> editorWindows() const;
    int openEditorCount() const { return int(m_editors.size()); }
    EditorSession* lastClosedSession() const { return m_lastClosedSession.get(); }
    std::unique_ptr<EditorSession> takeLastClosedSession() { return std::move(m_lastClosedSession); }
    QList<PinnedImageWindow*> pinnedWindows() const;
    ClipboardWriter& clipboard() const { return *m_clipboard; }

    // Editor outputs.
    void copyToClipboardAndClose(EditorWindow* window);
    void saveToFile(EditorWindow* window);
    void saveAsToFile(EditorWindow* window);
    void pinSession(EditorWindow* window);

    // Where "Save As" asks for a file; a dialog unless replaced (tests).
    using SavePathChooser =
        std::function<QString(QWidget* parent, const QString& folder, const QString& name)>;
    void setSavePathChooser(SavePathChooser chooser) { m_savePathChooser = std::move(chooser); }
    // Reveals a saved file in the file manager.
    static void showInFolder(const QString& path);

Q_SIGNALS:
    void editorOpened(velmora::EditorWindow* window);
    void lastEditorClosed();
    // No editor and no pinned picture is left on screen.
    void lastWindowClosed();
    void imageSaved(const QString& path);
    // Copy, Save or Save As could not render, encode or write the picture; the editor stays open.
    void saveFailed(const QString& reason);

private:
    EditorWindow* present(std::unique_ptr<EditorSession> session, bool tightFit, QScreen* preferredScreen);
    void editorClosing(EditorWindow* window);
    void showSavedPill(const QString& message, const QString& path);
    void reportSaveFailure(const QString& operation, const QString& reason);

    Services m_services;
    std::map<EditorWindow*, std::unique_ptr<EditorSession>> m_editors;
    std::unique_ptr<EditorSession> m_lastClosedSession;
    QList<QPointer<PinnedImageWindow>> m_pinnedWindows;
    ClipboardWriter* m_clipboard = nullptr;
    // Last-screenshot files are written in the background; they must always end up holding the
    // editor closed last, whatever order the writes finish in.
    struct PersistOrder
    {
        QMutex mutex;
        quint64 queued = 0;
        quint64 written = 0;
    };
    std::shared_ptr<PersistOrder> m_persistOrder = std::make_shared<PersistOrder>();
    SavePathChooser m_savePathChooser;
};

} // namespace velmora
