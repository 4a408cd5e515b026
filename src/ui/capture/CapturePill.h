#pragma once

#include <QImage>
#include <QPointF>
#include <QString>

namespace velmora {

// The label that stands in for the pointer while a window is picked: a window icon and
// "Capture <owner>" in a dark capsule with a soft shadow.
class CapturePill
{
public:
    static constexpr int horizontalPadding = 14;
    static constexpr int verticalPadding = 10;
    static constexpr int iconSize = 14;
    static constexpr int iconSpacing = 6;
    // Room around the capsule for its shadow.
    static constexpr int shadowMargin = 10;

    // "Capture <owner>", or "Capture Window" for a program without a name.
    static QString text(const QString& ownerName);

    // The pill with its shadow at the given pixel density; the capsule's centre lies at
    // centreOffset() (points) from the image's top-left corner.
    static QImage render(const QString& ownerName, qreal devicePixelRatio);
    static QPointF centreOffset(const QImage& rendered);
};

} // namespace velmora
