#pragma once

#include <QLoggingCategory>

namespace velmora {

// "velmora.preferences": shortcuts, general preferences and the login item.
Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

} // namespace velmora
