#include "ServeUntilIdle.h"

#include "AppState.h"
#include "ClipboardWriter.h"
#include "shell/PillNotification.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

namespace velmora {

void quitWhenIdle(AppState& state)
{
    if (state.openEditorCount() > 0 || !state.pinnedWindows().isEmpty() ||
        state.clipboard().hasPendingCopy()) {
        return;
    }
    if (QGuiApplication::clipboard()->ownsClipboard()) {
        return;
    }
    // Let a notification ("Saved to …") finish before the process goes away with it.
    if (PillNotification::shared().state() != PillNotification::State::Hidden) {
        QTimer::singleShot(250, &state, [&state] { quitWhenIdle(state); });
        return;
    }
    QCoreApplication::quit();
}

void serveUntilIdle(AppState& state)
{
    QObject::connect(
        &state, &AppState::lastWindowClosed, &state, [&state] { quitWhenIdle(state); }, Qt::QueuedConnection);
    QObject::connect(
        &state.clipboard(), &ClipboardWriter::imageCopied, &state, [&state] { quitWhenIdle(state); },
        Qt::QueuedConnection);
    QObject::connect(
        QGuiApplication::clipboard(), &QClipboard::changed, &state,
        [&state](QClipboard::Mode) { quitWhenIdle(state); }, Qt::QueuedConnection);
}

} // namespace velmora
