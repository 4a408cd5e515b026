#pragma once

#include <QString>
#include <QToolButton>

namespace velmora {

// A borderless icon-only button drawing a Lucide icon in the text colour; it re-tints itself when
// the palette changes, so it stays visible after switching between light and dark.
class IconButton : public QToolButton
{
    Q_OBJECT
public:
    IconButton(const QString& iconName, const QString& toolTip, QWidget* parent = nullptr);

    QString iconName() const { return m_iconName; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateIcon();

    QString m_iconName;
};

} // namespace velmora
