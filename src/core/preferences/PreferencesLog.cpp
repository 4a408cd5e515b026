#include "preferences/PreferencesLog.h"

namespace velmora {

Q_LOGGING_CATEGORY(lcPreferences, "velmora.preferences")

} // namespace velmora
