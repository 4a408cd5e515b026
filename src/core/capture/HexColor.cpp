#include "HexColor.h"

namespace velmora {

QString formatHexColor(QRgb rgb)
{
    return QString::asprintf("#%02X%02X%02X", qRed(rgb), qGreen(rgb), qBlue(rgb));
}

} // namespace velmora
