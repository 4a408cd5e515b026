#pragma once

#include <QPointF>

class QPainter;

namespace velmora {

// The seconds left before a capture: a dark circle with a large white number, drawn over the
// region being framed and in the countdown window alike.
inline constexpr int countdownCircleDiameter = 72;

void paintCountdownCircle(QPainter& painter, const QPointF& centre, int value);

} // namespace velmora
