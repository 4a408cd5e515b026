#include "UiLog.h"

Q_LOGGING_CATEGORY(lcUi, "velmora.ui")
