#include "preferences/AboutPreferencesView.h"

#include "icons/LucideIcon.h"
#include "preferences/SettingsSection.h"

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int iconSize = 96;

QPixmap drawnMark(int size, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Icons on the desktop leave a margin round their tile, as the tray and launcher icons do.
    const QRectF tile =
        QRectF(0, 0, size, size).adjusted(size * 0.06, size * 0.06, -size * 0.06, -size * 0.06);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, QColor(0x5B, 0x8D, 0xEF));
    gradient.setColorAt(1, QColor(0x7A, 0x4F, 0xE0));
    QPainterPath path;
    path.addRoundedRect(tile, tile.width() * 0.225, tile.width() * 0.225);
    painter.fillPath(path, gradient);
    const int glyph = int(tile.width() * 0.58);
    const QPixmap viewfinder = LucideIcon::pixmap(QStringLiteral("scan"), Qt::white, glyph, devicePixelRatio);
    painter.drawPixmap(QPointF(tile.center().x() - glyph / 2.0, tile.center().y() - glyph / 2.0), viewfinder);
    return pixmap;
}

} // namespace

AboutPreferencesView::AboutPreferencesView(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 24, 40, 24);
    column->setSpacing(8);
    column->addStretch();

    m_icon = new QLabel(this);
    m_icon->setFixedSize(iconSize, iconSize);
    m_icon->setPixmap(appIcon(iconSize, devicePixelRatioF()));
    column->addWidget(m_icon, 0, Qt::AlignHCenter);

    // Not the application name: that defaults to the executable's lower-case file name.
    auto* name = new QLabel(QStringLiteral("Velmora"), this);
    QFont nameFont = name->font();
    nameFont.setPixelSize(22);
    nameFont.setWeight(QFont::DemiBold);
    name->setFont(nameFont);
    column->addWidget(name, 0, Qt::AlignHCenter);

    m_version = new QLabel(versionText(), this);
    setSecondaryText(m_version, 13);
    column->addWidget(m_version, 0, Qt::AlignHCenter);

    auto* about = new QLabel(
        QStringLiteral("A lightweight tray app for capturing screenshots with built-in annotation."), this);
    setSecondaryText(about, 12);
    about->setWordWrap(true);
    about->setAlignment(Qt::AlignCenter);
    column->addWidget(about);
    column->addStretch();
}

QString AboutPreferencesView::versionText()
{
    const QString version = QCoreApplication::applicationVersion();
    return QStringLiteral("Version ") + (version.isEmpty() ? QStringLiteral("—") : version);
}

QPixmap AboutPreferencesView::appIcon(int size, qreal devicePixelRatio)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        return icon.pixmap(QSize(size, size), devicePixelRatio);
    }
    return drawnMark(size, devicePixelRatio);
}

} // namespace velmora
