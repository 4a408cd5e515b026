#pragma once

#include <QPixmap>
#include <QWidget>

class QLabel;

namespace velmora {

// The About tab: the application's mark, name, version and one sentence about it.
class AboutPreferencesView : public QWidget
{
    Q_OBJECT
public:
    explicit AboutPreferencesView(QWidget* parent = nullptr);

    // "Version 1.2.0", or "Version —" when the application sets none.
    static QString versionText();
    // The application's icon when it has one, else Velmora's mark drawn here: a rounded square in
    // the brand gradient with a white viewfinder.
    static QPixmap appIcon(int size, qreal devicePixelRatio);

    QLabel* versionLabel() const { return m_version; }
    QLabel* iconLabel() const { return m_icon; }

private:
    QLabel* m_icon = nullptr;
    QLabel* m_version = nullptr;
};

} // namespace velmora
