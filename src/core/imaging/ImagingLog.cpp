#include "imaging/ImagingLog.h"

namespace velmora {

Q_LOGGING_CATEGORY(lcImaging, "velmora.imaging")

} // namespace velmora
