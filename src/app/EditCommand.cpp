#include "EditCommand.h"

#include "AppState.h"
#include "Platform.h"
#include "ServeUntilIdle.h"
#include "app/AppearanceController.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorWindow.h"
#include "imaging/ImageDecoder.h"
#include "output/AppFolders.h"
#include "output/DragExportStore.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"
#include "shell/PillNotification.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

namespace velmora {

int runEdit(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Open images in the editor."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("edit"), QStringLiteral("The command."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Images to open."),
                                 QStringLiteral("FILE…"));
    const QCommandLineOption saveAndQuit(
        QStringLiteral("save-and-quit"),
        QStringLiteral("Save each image to the save folder as the editor's save "
                       "command does, print where it went, and quit."));
    parser.addOption(saveAndQuit);
    parser.process(arguments);
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "velmora edit: no FILE given\n");
        return 2;
    }

    DragExportStore::removeAll();
    // The pinned window and the pill follow the compositor coming or going.
    const std::unique_ptr<CompositorWatch> compositor = createCompositorWatch();
    CompositorWatch::setShared(compositor.get());
    SettingsStore& settings = SettingsStore::shared();
    AppearanceController appearance(GeneralPreferences::shared());
    AppState state({settings, BackgroundAssetStore::shared(), GeneralPreferences::shared(),
                    HotkeyPreferences::shared(), PillNotification::shared(), AppFolders::temporary()});

    QList<EditorWindow*> opened;
    for (const QString& file : files) {
        const auto image = decodeImageFile(file);
        if (!image) {
            std::fprintf(stderr, "velmora edit: cannot open %s: not a readable image\n", qPrintable(file));
            continue;
        }
        AppState::OpenOptions options;
        options.kind = CaptureKind::region;
        options.assets = CaptureBackgroundAssets{*image, std::nullopt, 30, true};
        options.backgroundEnabledByDefault = false;
        opened.append(state.openEditor(*image, options));
    }
    if (opened.isEmpty()) {
        return 2;
    }

    if (parser.isSet(saveAndQuit)) {
        QObject::connect(&state, &AppState::imageSaved, [](const QString& path) {
            std::printf("Saved %s\n", qPrintable(path));
            std::fflush(stdout);
        });
        int failures = 0;
        QObject::connect(&state, &AppState::saveFailed, [&failures](const QString& reason) {
            std::fprintf(stderr, "velmora edit: could not save: %s\n", qPrintable(reason));
            ++failures;
        });
        QTimer::singleShot(0, &state, [&state, opened] {
            for (EditorWindow* window : opened) {
                state.saveToFile(window);
            }
            // The saved pill is not needed once the process is done.
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        });
        const int status = QApplication::exec();
        return failures > 0 ? 1 : status;
    }

    serveUntilIdle(state);
    return QApplication::exec();
}

} // namespace velmora
