#include "preferences/SettingsSection.h"

#include "preferences/PreferencesColors.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace velmora {

SettingsSection::SettingsSection(const QString& title, const QString& footer, QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    m_title = new QLabel(title, this);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    column->addWidget(m_title);

    auto* panel = new SettingsPanel(this);
    m_contentLayout = new QVBoxLayout(panel);
    m_contentLayout->setContentsMargins(14, 10, 14, 10);
    m_contentLayout->setSpacing(8);
    column->addWidget(panel);

    if (!footer.isEmpty()) {
        m_footer = makeCaption(footer, this);
        column->addWidget(m_footer);
    }
}

QString SettingsSection::title() const
{
    return m_title->text();
}

void SettingsPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PreferencesColors::sectionFill(palette()));
    painter.drawRoundedRect(QRectF(rect()), 8, 8);
}

QLabel* makeCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    setSecondaryText(label, 11);
    return label;
}

void setSecondaryText(QWidget* widget, int pixelSize)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    widget->setFont(font);
    // A role rather than a colour, so the text follows the palette when the appearance changes.
    widget->setForegroundRole(QPalette::PlaceholderText);
}

} // namespace velmora
