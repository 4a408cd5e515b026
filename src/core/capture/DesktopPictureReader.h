#pragma once

#include "DesktopPictureSettings.h"
#include "ScreenLayout.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmora {

// What decides which picture the desktop shows, gathered from the running session; tests build
// one by hand around a temporary home folder.
struct DesktopPictureEnvironment
{
    QString currentDesktop; // XDG_CURRENT_DESKTOP
    QString home;
    QString configHome; // XDG_CONFIG_HOME, else ~/.config
    // What `gsettings get SCHEMA KEY` prints; nothing when gsettings is missing, slow or fails.
    std::function<std::optional<QString>(const QString& schema, const QString& key)> gsettings;

    // This session's: its environment, its home folder, and the gsettings program when installed.
    static DesktopPictureEnvironment system();
};

// The picture file the desktop shows on the screen, read from the sources in order and falling
// through to the next whenever one names nothing or a file that does not exist; empty when none
// names an existing regular file. Runs programs and reads files: call it off the main thread.
QString desktopPictureFile(const DesktopPictureEnvironment& environment, const ScreenGeometry& screen);

// One source alone, unchecked: the path or URL it names (empty when nothing).
QString desktopPictureNamedBy(DesktopPictureSource source, const DesktopPictureEnvironment& environment,
                              const ScreenGeometry& screen);

} // namespace velmora
