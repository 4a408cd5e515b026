#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace velmora {

class EditorSession;

// The background shown behind the canvas while the composite is on: the selected colour,
// gradient or picture filling the whole canvas area. Rendered pictures are kept until the
// selection, the picture or the area's size changes, so repaints during editing are cheap.
class LiveBackground
{
public:
    void paint(QPainter& painter, const QRectF& area, EditorSession& session, bool dark);

private:
    QImage picture(EditorSession& session, const QSize& pixels, double dpr, bool& isFallbackGrey);

    QString m_key;
    QImage m_cached;
};

} // namespace velmora
