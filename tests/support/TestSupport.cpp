#include "support/TestSupport.h"

#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace velmora::test {

IsolatedHome::IsolatedHome()
{
    const QString base = m_dir.path();
    for (const char* sub : {"config", "data", "cache", "runtime"}) {
        QDir(base).mkpath(QLatin1String(sub));
    }
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (base + QStringLiteral("/cache")).toUtf8());
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (base + QStringLiteral("/runtime")).toUtf8());
}

IsolatedHome::~IsolatedHome() = default;

int editDistance(const QString& reference, const QString& text)
{
    std::vector<int> previous(text.size() + 1), current(text.size() + 1);
    for (int j = 0; j <= text.size(); ++j) {
        previous[j] = j;
    }
    for (int i = 1; i <= reference.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= text.size(); ++j) {
            const int substitution = previous[j - 1] + (reference[i - 1] == text[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[text.size()];
}

QImage solidImage(int width, int height, QColor color, double devicePixelRatio)
{
    QImage image(qRound(width * devicePixelRatio), qRound(height * devicePixelRatio),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(color);
    return image;
}

} // namespace velmora::test

namespace velmora::test {
void dump(const QImage& image, const QString& name)
{
    const QByteArray dir = qgetenv("VELMORA_TEST_DUMP");
    if (dir.isEmpty()) {
        return;
    }
    static int counter = 0;
    image.save(QString::fromLocal8Bit(dir) +
               QStringLiteral("/%1-%2.png").arg(name).arg(++counter, 3, 10, QLatin1Char('0')));
}

int differingPixels(const QImage& a, const QImage& b, int tolerance)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            differing += std::abs(p.red() - q.red()) > tolerance ||
                         std::abs(p.green() - q.green()) > tolerance ||
                         std::abs(p.blue() - q.blue()) > tolerance;
        }
    }
    return differing;
}
} // namespace velmora::test

namespace velmora::test {

RectAnnotation rect(double x, double y, double w, double h)
{
    RectAnnotation r;
    r.id = QUuid::createUuid();
    r.origin = {x, y};
    r.size = {w, h};
    return r;
}

EllipseAnnotation ellipse(double x, double y, double w, double h)
{
    EllipseAnnotation e;
    e.id = QUuid::createUuid();
    e.origin = {x, y};
    e.size = {w, h};
    return e;
}

ArrowAnnotation arrow(QPointF start, QPointF end)
{
    ArrowAnnotation a;
    a.id = QUuid::createUuid();
    a.startPoint = start;
    a.endPoint = end;
    return a;
}

DrawAnnotation stroke(QVector<QPointF> points)
{
    DrawAnnotation d;
    d.id = QUuid::createUuid();
    d.points = std::move(points);
    return d;
}

TextAnnotation text(QString value, QPointF position)
{
    TextAnnotation t;
    t.id = QUuid::createUuid();
    t.text = std::move(value);
    t.position = position;
    return t;
}

} // namespace velmora::test
