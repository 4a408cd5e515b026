#pragma once

#include <QLoggingCategory>

namespace velmora {

// "velmora.imaging": encoding, filtering and writing image files.
Q_DECLARE_LOGGING_CATEGORY(lcImaging)

} // namespace velmora
