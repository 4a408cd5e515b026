#include "annotation/Annotation.h"

#include <algorithm>

namespace velmora {

QRectF DrawAnnotation::boundingRect() const
{
    if (points.isEmpty()) {
        return {};
    }
    double minX = points.front().x(), maxX = minX;
    double minY = points.front().y(), maxY = minY;
    for (const QPointF& p : points) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    return {minX, minY, maxX - minX, maxY - minY};
}

QUuid annotationId(const Annotation& annotation)
{
    return std::visit([](const auto& a) { return a.id; }, annotation);
}

qsizetype indexOfAnnotation(const AnnotationList& list, const QUuid& id)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (annotationId(list[i]) == id) {
            return i;
        }
    }
    return -1;
}

const Annotation* findAnnotation(const AnnotationList& list, const QUuid& id)
{
    const qsizetype index = indexOfAnnotation(list, id);
    return index < 0 ? nullptr : &list[index];
}

} // namespace velmora
