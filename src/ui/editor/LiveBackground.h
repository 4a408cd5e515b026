#pragma once

#include "editor/BackgroundPreview.h"

#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace velmora {

class EditorSession;

// The background shown behind the canvas while the composite is on: the composite's own
// background — resolved as the export resolves it, fallbacks included — at the scale the composite
// is shown, filling the whole canvas area. The rendered picture is kept until something it depends
// on changes, so repaints during editing are cheap.
class LiveBackground
{
public:
    // `pictureRect`: where the composite lies in the same coordinates as `area`.
    void paint(QPainter& painter, const QRectF& area, const QRectF& pictureRect, EditorSession& session,
               bool dark);

private:
    BackgroundPreview m_preview;
    QString m_key;
    QImage m_cached;
};

} // namespace velmora
