#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// Where a desktop keeps the name of the picture it shows.
enum class DesktopPictureSource {
    gnome,    // gsettings org.gnome.desktop.background
    cinnamon, // gsettings org.cinnamon.desktop.background
    mate,     // gsettings org.mate.background
    plasma,   // ~/.config/plasma-org.kde.plasma.desktop-appletsrc
    xfce,     // ~/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml
    feh,      // ~/.fehbg, what window managers without a desktop use
};

// The sources to read, in order, for a session whose XDG_CURRENT_DESKTOP is given ("ubuntu:GNOME",
// "KDE", "X-Cinnamon", …): the running desktop's own first, then every other one. Among the others
// the configuration files come before gsettings, because gsettings answers with the schema's default
// picture on any system where the schema is installed, even when that desktop never ran, while a
// configuration file exists only where its desktop wrote it.
QList<DesktopPictureSource> desktopPictureSourceOrder(const QString& currentDesktop);

// The string that a GVariant text holds, as `gsettings get` prints it ('…' or "…", backslash
// escapes decoded, optionally typed "@s '…'"); nothing when the text is not one string.
std::optional<QString> parseGVariantString(const QString& text);

// The local file that a setting names: a file:// URL (percent-encoding decoded) or a plain absolute
// path (kept as it is). Empty for anything else: other schemes, relative paths, empty text.
QString localPicturePath(const QString& uriOrPath);

// What the desktops' settings hold, as raw text; every function tolerates malformed input and then
// gives an empty result.

// A gsettings desktop's picture: `pictureUri` and `darkPictureUri` are the GVariant texts of the
// picture keys (either may be empty), `options` of "picture-options" ('none' means no picture),
// `colorScheme` of org.gnome.desktop.interface color-scheme ('prefer-dark' picks the dark picture
// when there is one). The result is the named path or URL, not yet checked.
QString gsettingsPicture(const QString& pictureUri, const QString& darkPictureUri, const QString& options,
                         const QString& colorScheme);

// Plasma numbers its screens itself: the index of a screen by its connector name, from the
// [ScreenConnectors] group of plasmashellrc; nothing when it is not listed.
std::optional<int> plasmaScreenIndex(const QString& plasmashellrc, const QString& screenName);
// The Image= of the image wallpaper of the desktop containment whose lastScreen is `screenIndex`.
QString plasmaPicture(const QString& appletsrc, int screenIndex);

// The last-image of workspace 0 of the monitor "monitor<monitorName>" on screen 0, else of the first
// monitor that names one; empty when the monitor's image-style is 0 (none).
QString xfcePicture(const QString& channelXml, const QString& monitorName);

// The last quoted path of the `feh … --bg-* 'PATH'` line.
QString fehPicture(const QString& fehbg);

} // namespace velmora
