#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace velmora {

// A titled group of the preferences window: the title, the content on a faint rounded panel, and
// an optional caption under it.
class SettingsSection : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsSection(const QString& title, const QString& footer = {}, QWidget* parent = nullptr);

    // Where the section's controls go, stacked top to bottom.
    QVBoxLayout* contentLayout() const { return m_contentLayout; }
    QString title() const;
    QLabel* footerLabel() const { return m_footer; }

private:
    QLabel* m_title = nullptr;
    QLabel* m_footer = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
};

// The faint rounded panel behind a section's content.
class SettingsPanel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A caption in the small secondary style sections use under their content.
QLabel* makeCaption(const QString& text, QWidget* parent);
// Secondary text (the palette's placeholder colour) at the given size in pixels (the points of the
// layout: Qt's device-independent pixels).
void setSecondaryText(QWidget* widget, int pixelSize);

} // namespace velmora
