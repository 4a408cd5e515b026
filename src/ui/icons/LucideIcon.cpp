#include "icons/LucideIcon.h"

#include "UiLog.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>

#include <cmath>
#include <optional>

// The icons are compiled into a static library: nothing else refers to their resource object, so
// the linker would drop it unless it is initialised by name.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace velmora {

namespace {

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

// The SVG source of each icon read so far; an empty entry remembers a missing icon.
QHash<QString, QByteArray>& sources()
{
    static QHash<QString, QByteArray> cache;
    return cache;
}

QHash<QString, QPixmap>& renderedPixmaps()
{
    static QHash<QString, QPixmap> cache;
    return cache;
}

const QByteArray& svgSource(const QString& name)
{
    static const bool initialised = (initIconResources(), true);
    Q_UNUSED(initialised);
    auto& cache = sources();
    auto it = cache.find(name);
    if (it == cache.end()) {
        QByteArray bytes;
        QFile file(resourcePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.readAll();
        }
        if (bytes.isEmpty()) {
            qCWarning(lcUi) << "No icon named" << name;
        }
        it = cache.insert(name, bytes);
    }
    return *it;
}

QString cacheKey(const QString& name, const QColor& tint, int size, qreal dpr)
{
    return name + QLatin1Char('|') + tint.name(QColor::HexArgb) + QLatin1Char('|') + QString::number(size) +
           QLatin1Char('|') + QString::number(dpr, 'g', 4);
}

// Renders on demand at whatever pixel density the icon is drawn at, so one QIcon stays sharp when
// a window moves between screens.
class LucideIconEngine final : public QIconEngine
{
public:
    LucideIconEngine(QString name, QColor tint, int size)
        : m_name(std::move(name)), m_tint(tint), m_size(size)
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap pm = scaledPixmap(rect.size() * dpr, mode, state, dpr);
        painter->drawPixmap(rect, pm);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // QIcon asks for device pixels and the density they are for.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const int points =
            size.isValid() ? std::max(1, qRound(std::min(size.width(), size.height()) / scale)) : m_size;
        QColor tint = m_tint;
        if (mode == QIcon::Disabled) {
            tint.setAlphaF(tint.alphaF() * 0.35f);
        }
        return LucideIcon::pixmap(m_name, tint, points, scale);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return size.isValid() ? size.boundedTo(QSize(m_size, m_size)) : QSize(m_size, m_size);
    }

    QString key() const override { return QStringLiteral("LucideIconEngine"); }
    QIconEngine* clone() const override { return new LucideIconEngine(m_name, m_tint, m_size); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(m_size, m_size)}; }
    QString iconName() override { return m_name; }
    bool isNull() override { return false; }

private:
    QString m_name;
    QColor m_tint;
    int m_size;
};

} // namespace

bool LucideIcon::exists(const QString& name)
{
    static const bool initialised = (initIconResources(), true);
    Q_UNUSED(initialised);
    return QFile::exists(resourcePath(name));
}

QPixmap LucideIcon::pixmap(const QString& name, const QColor& tint, int size, qreal devicePixelRatio)
{
    if (size <= 0 || !(devicePixelRatio > 0)) {
        return {};
    }
    const QString key = cacheKey(name, tint, size, devicePixelRatio);
    auto& cache = renderedPixmaps();
    if (const auto it = cache.constFind(key); it != cache.constEnd()) {
        return *it;
    }
    const QByteArray& source = svgSource(name);
    if (source.isEmpty()) {
        return {};
    }
    QByteArray tinted = source;
    tinted.replace("currentColor", tint.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(tinted);
    if (!renderer.isValid()) {
        qCWarning(lcUi) << "Icon" << name << "could not be read";
        cache.insert(key, QPixmap());
        return {};
    }
    const int pixels = int(std::ceil(size * devicePixelRatio));
    QPixmap result(pixels, pixels);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        // The tint's transparency fades the finished glyph as a whole, so strokes that cross do
        // not come out darker where they overlap.
        if (tint.alpha() < 255) {
            painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            painter.fillRect(result.rect(), QColor(0, 0, 0, tint.alpha()));
        }
    }
    result.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, result);
    return result;
}

QIcon LucideIcon::icon(const QString& name, const QColor& tint, int size)
{
    if (svgSource(name).isEmpty()) {
        return {};
    }
    return QIcon(new LucideIconEngine(name, tint, size));
}

} // namespace velmora
