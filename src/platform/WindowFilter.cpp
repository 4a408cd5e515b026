#include "WindowFilter.h"

namespace velmora {

namespace {

bool pickableType(const QList<RawWindow::Type>& types)
{
    using Type = RawWindow::Type;
    // The first type the client names decides. Utility windows (tool palettes, floating docks of
    // an editor) stay: they are an application's own windows, and a user may want one alone.
    const Type type = types.isEmpty() ? Type::normal : types.first();
    switch (type) {
    case Type::desktop:
    case Type::dock:
    case Type::toolbar:
    case Type::menu:
    case Type::splash:
    case Type::notification:
        return false;
    case Type::normal:
    case Type::dialog:
    case Type::utility:
    case Type::other:
        return true;
    }
    return true;
}

} // namespace

QList<WindowInfo> pickableWindows(const QList<RawWindow>& bottomToTop, qint64 ownPid)
{
    QList<WindowInfo> windows;
    for (auto it = bottomToTop.crbegin(); it != bottomToTop.crend(); ++it) {
        const RawWindow& raw = *it;
        if (!raw.mapped || raw.hidden || raw.overrideRedirect || !pickableType(raw.types)) {
            continue;
        }
        if (ownPid != 0 && raw.pid == ownPid) {
            continue;
        }
        const QRect frame = raw.frame.marginsRemoved(raw.invisibleMargins);
        if (frame.width() <= 50 || frame.height() <= 50) {
            continue;
        }
        const QString owner = raw.windowClass.isEmpty() ? raw.processName : raw.windowClass;
        windows.append(WindowInfo{raw.windowID, frame, owner, raw.title});
    }
    return windows;
}

} // namespace velmora
