#pragma once

#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorView.h"
#include "preferences/HotkeyPreferences.h"
#include "preferences/SettingsStore.h"

#include <QImage>
#include <QTemporaryDir>

#include <memory>

namespace velmora {
class AnnotationCanvas;
class AnnotationToolbar;
class ColorPill;
class EditorToolState;
class PillButton;
class PillOptionRow;
} // namespace velmora

namespace velmora::test {

// An editor window over a capture, shown, active and exposed, with settings and a wallpaper folder
// of its own.
struct EditorFixture
{
    struct Options
    {
        CaptureKind kind = CaptureKind::region;
        bool backgroundAssets = false; // the capture could show the composite
        bool composite = false;        // and shows it from the start
        QSize windowSize{1000, 700};
    };

    explicit EditorFixture(const QImage& picture, const Options& options);
    explicit EditorFixture(const QImage& picture) : EditorFixture(picture, Options{}) {}

    QTemporaryDir dir;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers{dir.filePath(QStringLiteral("wallpapers"))};
    HotkeyPreferences hotkeys{settings};
    std::unique_ptr<EditorSession> session;
    std::unique_ptr<EditorView> view;

    AnnotationCanvas* canvas() const;
    AnnotationToolbar* toolbar() const;
    EditorToolState& state() const;

    // A point of the picture in the canvas widget's pixels.
    QPoint at(QPointF p) const;
    // Draws with `tool` by a press, six moves and a release over the canvas.
    void drag(AnnotationTool tool, QPointF from, QPointF to);
    void click(QPointF p, Qt::KeyboardModifiers keys = {});
    // Opens a new text at `p` with the text tool and waits until its field has the keyboard; returns
    // the field.
    QWidget* startText(QPointF p);
    bool textFieldHasFocus() const;

    // Lets posted layout requests run, as the event loop would before the next paint.
    static void settle();
};

// A white 400 × 300 picture with a blue block at (20, 20, 100, 80) and a green one at
// (200, 150, 150, 100).
QImage blockPicture();

// The rows of a pill's popover, in order.
QVector<PillOptionRow*> rowsOf(PillButton* pill);
QStringList checkedRows(PillButton* pill);
// Opens the pill with a click and clicks the popover's row with this label.
void chooseRow(PillButton* pill, const QString& label);
// Opens the colour pill with a click and clicks the swatch at `index`.
void chooseSwatch(ColorPill* pill, int index);

} // namespace velmora::test
