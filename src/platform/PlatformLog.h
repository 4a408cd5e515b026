#pragma once

#include <QLoggingCategory>

namespace velmora {
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
}
