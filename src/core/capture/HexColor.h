#pragma once

#include <QRgb>
#include <QString>

namespace velmora {

// "#RRGGBB" in upper case, alpha left out: how a picked colour is shown and copied.
QString formatHexColor(QRgb rgb);

} // namespace velmora
