#pragma once

#include "RawValue.h"

#include <QMetaType>
#include <QString>

namespace velmora {

// Follow the desktop's palette, or force Velmora light or dark.
enum class AppAppearance { system, light, dark };

template <> struct EnumNames<AppAppearance>
{
    static constexpr std::array<std::string_view, 3> names{"system", "light", "dark"};
};

inline QString displayName(AppAppearance appearance)
{
    switch (appearance) {
    case AppAppearance::system:
        return QStringLiteral("System");
    case AppAppearance::light:
        return QStringLiteral("Light");
    case AppAppearance::dark:
        return QStringLiteral("Dark");
    }
    return {};
}

} // namespace velmora

Q_DECLARE_METATYPE(velmora::AppAppearance)
