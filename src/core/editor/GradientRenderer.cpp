#include "editor/GradientRenderer.h"

#include "imaging/LargeImage.h"
#include "imaging/ParallelFor.h"

#include <QHash>
#include <QLinearGradient>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QRadialGradient>

#include <atomic>
#include <cmath>
#include <list>

namespace velmora {

namespace {

constexpr qint64 maxEntries = 80;
constexpr qint64 maxTotalCost = 64LL * 1024 * 1024;
constexpr qint64 maxEntryCost = GradientRenderer::maxCachedBytes;

std::atomic<int> g_renderCount{0};

// A small LRU bounded both by entry count and by total pixel cost.
class GradientCache
{
public:
    std::optional<QImage> find(const QString& key)
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_index.find(key);
        if (it == m_index.end()) {
            return std::nullopt;
        }
        m_order.splice(m_order.begin(), m_order, it.value());
        return it.value()->image;
    }

    void insert(const QString& key, const QImage& image)
    {
        const qint64 cost = std::max<qint64>(1, qint64(image.width()) * image.height() * 4);
        if (cost > maxEntryCost) {
            return;
        }
        QMutexLocker lock(&m_mutex);
        if (const auto it = m_index.find(key); it != m_index.end()) {
            m_total -= it.value()->cost;
            m_order.erase(it.value());
            m_index.erase(it);
        }
        m_order.push_front({key, image, cost});
        m_index.insert(key, m_order.begin());
        m_total += cost;
        while (!m_order.empty() && (qint64(m_order.size()) > maxEntries || m_total > maxTotalCost)) {
            m_total -= m_order.back().cost;
            m_index.remove(m_order.back().key);
            m_order.pop_back();
        }
    }

    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_order.clear();
        m_index.clear();
        m_total = 0;
    }

private:
    struct Entry
    {
        QString key;
        QImage image;
        qint64 cost;
    };
    QMutex m_mutex;
    std::list<Entry> m_order;
    QHash<QString, std::list<Entry>::iterator> m_index;
    qint64 m_total = 0;
};

GradientCache& cache()
{
    static GradientCache instance;
    return instance;
}

int pixelExtent(double points, double scale)
{
    return std::max(1, int(std::round(points * scale)));
}

// Fills the image with a linear gradient through a colour table, in row bands on all cores; it is
// several times faster than a general gradient brush on a 5K background.
void fillLinear(QImage& image, const QGradientStops& stops, const QPointF& start, const QPointF& end)
{
    constexpr int tableSize = 1024;
    std::vector<QRgb> table(tableSize);
    QImage strip(tableSize, 1, QImage::Format_ARGB32_Premultiplied);
    {
        QLinearGradient g(0, 0, tableSize, 0);
        g.setStops(stops);
        QPainter p(&strip);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(strip.rect(), g);
    }
    std::copy_n(reinterpret_cast<const QRgb*>(strip.constScanLine(0)), tableSize, table.begin());

    const QPointF d = end - start;
    const double lengthSquared = std::max(d.x() * d.x() + d.y() * d.y(), 1e-12);
    const double dx = d.x() / lengthSquared * (tableSize - 1);
    const double dy = d.y() / lengthSquared * (tableSize - 1);
    const int width = image.width();
    std::vector<int> bands;
    for (int y = 0; y < image.height(); y += 64) {
        bands.push_back(y);
    }
    const QRgb* lut = table.data();
    const QRgb first = table.front();
    const QRgb last = table.back();
    constexpr double fixedOne = 65536.0;
    const qint64 step = qint64(std::llround(dx * fixedOne));
    parallelFor(int(bands.size()), [&bands, &image, lut, first, last, step, width, start, dx, dy](int band) {
        const int top = bands[std::size_t(band)];
        const int bottom = std::min(top + 64, image.height());
        const qint64 maxIndex = qint64(tableSize - 1) << 16;
        for (int y = top; y < bottom; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            // t runs linearly along the row: fixed point, with the clamped ends filled flat.
            qint64 t = std::llround(((0.5 - start.x()) * dx + (y + 0.5 - start.y()) * dy + 0.5) * fixedOne);
            int x = 0;
            for (; x < width && (t < 0 || t > maxIndex); ++x, t += step) {
                line[x] = t < 0 ? first : last;
            }
            // How many steps stay inside the table, so the hot loop tests nothing else.
            qint64 inside = width - x;
            if (step > 0) {
                inside = std::min(inside, (maxIndex - t) / step + 1);
            } else if (step < 0) {
                inside = std::min(inside, t / -step + 1);
            }
            const int end = x + int(std::max<qint64>(inside, 0));
            for (; x < end; ++x, t += step) {
                line[x] = lut[t >> 16];
            }
            for (; x < width; ++x, t += step) {
                line[x] = t < 0 ? first : last;
            }
        }
    });
}

} // namespace

QImage GradientRenderer::render(const QVector<Color>& colors, const BackgroundGradientStyle& style,
                                const QSizeF& size, double pixelScale)
{
    const QSize pixels = pixelSize(size, pixelScale);
    QImage image = largeImage(pixels);
    if (image.isNull()) {
        ++g_renderCount;
        return {};
    }
    fill(image, colors, style, QRectF(QPointF(0, 0), QSizeF(pixels)));
    image.setDevicePixelRatio(pixels.width() / std::max(size.width(), 1e-9));
    return image;
}

QImage GradientRenderer::render(const QVector<Color>& colors, const BackgroundGradientStyle& style,
                                const QSize& pixels, const QRectF& frame)
{
    QImage image = largeImage(pixels.expandedTo(QSize(1, 1)));
    if (image.isNull()) {
        ++g_renderCount;
        return {};
    }
    fill(image, colors, style, frame);
    return image;
}

void GradientRenderer::fill(QImage& image, const QVector<Color>& colors, const BackgroundGradientStyle& style)
{
    fill(image, colors, style, QRectF(image.rect()));
}

void GradientRenderer::fill(QImage& image, const QVector<Color>& colors, const BackgroundGradientStyle& style,
                            const QRectF& frame)
{
    ++g_renderCount;
    const bool linear = style.kind == BackgroundGradientStyle::Kind::linear;
    // A linear fill writes every pixel; the radial one paints over what is there.
    if (colors.isEmpty() || !linear) {
        image.fill(Qt::transparent);
    }
    if (colors.isEmpty()) {
        return;
    }

    QGradientStops stops;
    for (qsizetype i = 0; i < colors.size(); ++i) {
        const double at = colors.size() == 1 ? 0 : double(i) / double(colors.size() - 1);
        stops.append({at, colors[i].toQColor()});
    }
    const double w = frame.width();
    const double h = frame.height();
    if (linear) {
        const double theta = style.angleDegrees * M_PI / 180;
        const double r = std::hypot(w, h) / 2;
        // The angle is measured with y up; pixels run y down.
        const QPointF centre = frame.center();
        const QPointF direction(r * std::cos(theta), -r * std::sin(theta));
        fillLinear(image, stops, centre - direction, centre + direction);
    } else {
        // Painted through a density-1 view of the same pixels, so the frame is in pixels whatever
        // density the target carries.
        QImage pixels(image.bits(), image.width(), image.height(), image.bytesPerLine(), image.format());
        QPainter painter(&pixels);
        const QPointF centre(frame.left() + style.centre.x() * w, frame.top() + style.centre.y() * h);
        const double radius = std::max(w, h);
        QRadialGradient gradient(centre, radius);
        gradient.setStops(stops);
        if (style.stretch) {
            painter.translate(centre);
            painter.scale(w / radius, h / radius);
            painter.translate(-centre);
        }
        painter.fillRect(painter.transform().inverted().mapRect(QRectF(pixels.rect())), gradient);
    }
}

QSize GradientRenderer::pixelSize(const QSizeF& size, double pixelScale)
{
    return QSize(pixelExtent(size.width(), pixelScale), pixelExtent(size.height(), pixelScale));
}

QImage GradientRenderer::render(BackgroundGradientPreset preset, const QSizeF& size, double pixelScale)
{
    const QString key = QStringLiteral("%1-%2x%3")
                            .arg(rawValue(preset))
                            .arg(pixelExtent(size.width(), pixelScale))
                            .arg(pixelExtent(size.height(), pixelScale));
    if (auto cached = cache().find(key)) {
        return *cached;
    }
    const auto pair = colors(preset);
    QImage image =
        render({pair[0], pair[1]}, BackgroundGradientStyle::linear(angleDegrees(preset)), size, pixelScale);
    cache().insert(key, image);
    return image;
}

int GradientRenderer::renderCount()
{
    return g_renderCount.load();
}

void GradientRenderer::clearCache()
{
    cache().clear();
}

} // namespace velmora
