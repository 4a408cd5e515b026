#include "PlatformLog.h"

namespace velmora {
Q_LOGGING_CATEGORY(lcPlatform, "velmora.platform")
}
