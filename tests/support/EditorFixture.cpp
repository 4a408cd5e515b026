#include "support/EditorFixture.h"

#include "canvas/AnnotationCanvas.h"
#include "canvas/InPlaceTextEditor.h"
#include "canvas/TextEditorField.h"
#include "editor/EditorToolState.h"
#include "support/TestSupport.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/ColorPill.h"
#include "toolbar/ColorSwatchButton.h"
#include "toolbar/ColorSwatchGrid.h"
#include "toolbar/PillOptionRow.h"
#include "toolbar/PillPopover.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

namespace velmora::test {

EditorFixture::EditorFixture(const QImage& picture, const Options& options)
{
    std::optional<CaptureBackgroundAssets> assets;
    if (options.backgroundAssets) {
        assets = CaptureBackgroundAssets{picture, std::nullopt, 30, true};
    }
    session = std::make_unique<EditorSession>(picture, options.kind, assets, options.composite,
                                              EditorSession::Services{settings, wallpapers});
    view = std::make_unique<EditorView>(*session, settings, hotkeys, false);
    view->resize(options.windowSize);
    view->show();
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    settle();
}

AnnotationCanvas* EditorFixture::canvas() const
{
    return view->canvas();
}

AnnotationToolbar* EditorFixture::toolbar() const
{
    return view->toolbar();
}

EditorToolState& EditorFixture::state() const
{
    return view->toolState();
}

QPoint EditorFixture::at(QPointF p) const
{
    return (p * canvas()->zoom()).toPoint();
}

void EditorFixture::drag(AnnotationTool tool, QPointF from, QPointF to)
{
    state().setSelectedTool(tool);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, at(from));
    for (int i = 1; i <= 6; ++i) {
        QTest::mouseMove(canvas(), at(from + (to - from) * i / 6));
    }
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, at(to));
}

void EditorFixture::click(QPointF p, Qt::KeyboardModifiers keys)
{
    QTest::mouseClick(canvas(), Qt::LeftButton, keys, at(p));
}

QWidget* EditorFixture::startText(QPointF p)
{
    state().setSelectedTool(AnnotationTool::text);
    click(p);
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(canvas()->isEditingText(), waitTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(textFieldHasFocus(), waitTimeout);
    }();
    return QApplication::focusWidget();
}

bool EditorFixture::textFieldHasFocus() const
{
    InPlaceTextEditor* editor = canvas()->textEditor();
    QWidget* focus = QApplication::focusWidget();
    return editor && qobject_cast<TextEditorField*>(focus) && editor->isAncestorOf(focus);
}

void EditorFixture::settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

QImage blockPicture()
{
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(20, 20, 100, 80, Qt::blue);
    p.fillRect(200, 150, 150, 100, Qt::green);
    return image;
}

QVector<PillOptionRow*> rowsOf(PillButton* pill)
{
    QVector<PillOptionRow*> rows;
    QVBoxLayout* layout = pill->popover()->rows();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* row = qobject_cast<PillOptionRow*>(layout->itemAt(i)->widget())) {
            rows.append(row);
        }
    }
    return rows;
}

QStringList checkedRows(PillButton* pill)
{
    QStringList checked;
    for (const PillOptionRow* row : rowsOf(pill)) {
        if (row->isSelected()) {
            checked.append(row->text());
        }
    }
    return checked;
}

void chooseRow(PillButton* pill, const QString& label)
{
    QTest::mouseClick(pill, Qt::LeftButton);
    QVERIFY(pill->isOpen());
    for (PillOptionRow* row : rowsOf(pill)) {
        if (row->text() == label) {
            QTest::mouseClick(row, Qt::LeftButton);
            QVERIFY(!pill->isOpen());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row ") + label));
}

void chooseSwatch(ColorPill* pill, int index)
{
    QTest::mouseClick(pill, Qt::LeftButton);
    QVERIFY(pill->isOpen());
    QTest::mouseClick(pill->swatchGrid()->swatches().at(index), Qt::LeftButton);
    QVERIFY(!pill->isOpen());
}

} // namespace velmora::test
