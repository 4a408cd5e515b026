#pragma once

#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/SettingsStore.h"
#include "sidebar/BackgroundThumbnail.h"
#include "sidebar/ImageEditorSidebar.h"
#include "sidebar/SidebarBackgroundPickerRow.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace velmora::test {

// A session over isolated settings and a wallpaper folder of its own, with the sidebar shown.
struct SidebarFixture
{
    explicit SidebarFixture(bool composite, CaptureKind kind = CaptureKind::region,
                            std::optional<QImage> desktopWallpaper = std::nullopt, int height = 1100)
    {
        const QImage image = solidImage(400, 300, QColor(40, 120, 200));
        session = std::make_unique<EditorSession>(image, kind,
                                                  CaptureBackgroundAssets{image, desktopWallpaper, 30, true},
                                                  composite, EditorSession::Services{settings, wallpapers});
        sidebar = std::make_unique<ImageEditorSidebar>(session.get(), &tools);
        sidebar->resize(ImageEditorSidebar::sidebarWidth, height);
        sidebar->show();
        QVERIFY(QTest::qWaitForWindowExposed(sidebar.get()));
    }

    SidebarSliderRow* row(const QString& label) const { return sidebar->sliderRow(label); }
    SidebarBackgroundPickerRow* picker() const { return sidebar->backgroundPicker(); }

    IsolatedHome home;
    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    EditorToolState tools{settings};
    std::unique_ptr<EditorSession> session;
    std::unique_ptr<ImageEditorSidebar> sidebar;
};

inline void click(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

// Exactly one thumbnail, the one for `selection`, carries the selection ring, drawn in the
// highlight colour.
inline void verifyOnlySelected(SidebarBackgroundPickerRow* picker, const BackgroundSelection& selection)
{
    BackgroundThumbnail* chosen = picker->thumbnail(selection);
    QVERIFY(chosen);
    for (const auto& [choice, thumbnail] : picker->thumbnails()) {
        QCOMPARE(thumbnail->isSelected(), thumbnail == chosen);
    }
    const QImage pixels = chosen->grab().toImage();
    const QColor ring = pixels.pixelColor(int(pixels.width() / 2), int(1 * pixels.devicePixelRatio()));
    const QColor highlight = chosen->palette().color(QPalette::Highlight);
    QVERIFY2(std::abs(ring.red() - highlight.red()) < 40 && std::abs(ring.blue() - highlight.blue()) < 40,
             qPrintable(ring.name()));
}

} // namespace velmora::test
