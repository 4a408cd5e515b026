#pragma once

#include "annotation/Annotation.h"

#include <QPointer>
#include <QWidget>

#include <QSet>

#include <functional>
#include <map>
#include <vector>

class QBoxLayout;
class QHBoxLayout;

namespace velmora {

class ArrowStylePill;
class ColorPill;
class EditorSession;
class EditorToolState;
class FontSizePill;
class HotkeyPreferences;
class HoverableToolbarIcon;
class PinButton;
class StrokeWidthPill;
class TextStylePill;
class ToolbarGroup;
class ToolbarOverflowButton;
class ToolbarSeparator;
class WhiteStrokeToggle;

// The strip across the top of an editor window: the tool buttons, clear all, the style pills and
// the window's actions. Tools, colour, outline and arrow style live in the window's tool state;
// stroke width, text size and text style in the session, which persists them per capture kind.
// The toolbar reads and writes those values and nothing else: what a change means for a selected
// annotation is the editor window's business, and actions on the window are signals.
class AnnotationToolbar : public QWidget
{
    Q_OBJECT

public:
    AnnotationToolbar(EditorSession* session, EditorToolState* toolState, QWidget* parent = nullptr);
    ~AnnotationToolbar() override;

    // Tool buttons in toolbar order, with their icon, label and shortcut letter.
    struct ToolInfo
    {
        AnnotationTool tool;
        const char* icon;
        const char* label;
        const char* letter;
    };
    static const std::array<ToolInfo, 8>& tools();

    // The background-tool button shows while the session has something to compose and is lit
    // while the composite is on.
    bool showsBackgroundTool() const;
    bool isBackgroundToolEnabled() const;

    // Save's tooltip shows the save shortcut in force; Ctrl+S until preferences are given.
    void setHotkeyPreferences(HotkeyPreferences* hotkeys);
    // The drag-out button, placed among the window's actions; the toolbar takes ownership.
    void setDragOutButton(QWidget* button);

    HoverableToolbarIcon* toolButton(AnnotationTool tool) const { return m_toolButtons.at(tool); }
    HoverableToolbarIcon* clearAllButton() const { return m_clearAll; }
    HoverableToolbarIcon* backgroundToolButton() const { return m_backgroundTool; }
    HoverableToolbarIcon* applyCropButton() const { return m_applyCrop; }
    HoverableToolbarIcon* undoButton() const { return m_undo; }
    HoverableToolbarIcon* redoButton() const { return m_redo; }
    HoverableToolbarIcon* copyButton() const { return m_copy; }
    HoverableToolbarIcon* saveButton() const { return m_save; }
    PinButton* pinButton() const { return m_pin; }
    StrokeWidthPill* strokeWidthPill() const { return m_strokeWidth; }
    ArrowStylePill* arrowStylePill() const { return m_arrowStyle; }
    FontSizePill* fontSizePill() const { return m_fontSize; }
    TextStylePill* textStylePill() const { return m_textStyle; }
    ColorPill* colorPill() const { return m_color; }
    WhiteStrokeToggle* whiteStrokeToggle() const { return m_whiteStroke; }
    // The "…" button, shown while some controls are folded into its menu.
    ToolbarOverflowButton* overflowButton() const { return m_overflow; }

    // The width everything fits in, and the width of the fully folded row.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int toolbarHeight = 55;

Q_SIGNALS:
    void clearAllRequested();
    void compositeToggleRequested();
    void commitCropRequested();
    void undoRequested();
    void redoRequested();
    void copyRequested();
    void saveRequested();
    void pinRequested();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildTools(QHBoxLayout* row);
    void buildPills(QHBoxLayout* row);
    void buildActions(QHBoxLayout* row);
    void bindToolState();
    void bindSession();
    HoverableToolbarIcon* actionButton(const QString& icon, const QString& tooltip,
                                       void (AnnotationToolbar::*signal)());
    void syncTools();
    void syncBackgroundTool();
    void syncHistory();
    void syncSaveToolTip();

    // Folding: when the row is too narrow, controls fold into the overflow menu one unit at a time,
    // least needed first, until the rest fits.
    void setFoldingOrder();
    void setPresent(QWidget* control, bool present);
    bool isShown(const QWidget* widget, int foldedUnits) const;
    int requiredWidth(int foldedUnits) const;
    int layoutWidth(const QBoxLayout* layout, int foldedUnits) const;
    void fitToWidth();

    EditorSession* m_session;
    EditorToolState* m_toolState;
    QPointer<HotkeyPreferences> m_hotkeys;

    std::map<AnnotationTool, HoverableToolbarIcon*> m_toolButtons;
    QHBoxLayout* m_row = nullptr;
    ToolbarGroup* m_toolGroup = nullptr;
    ToolbarSeparator* m_pillSeparator = nullptr;
    ToolbarSeparator* m_historySeparator = nullptr;
    ToolbarOverflowButton* m_overflow = nullptr;
    HoverableToolbarIcon* m_clearAll = nullptr;
    HoverableToolbarIcon* m_backgroundTool = nullptr;
    HoverableToolbarIcon* m_applyCrop = nullptr;
    HoverableToolbarIcon* m_undo = nullptr;
    HoverableToolbarIcon* m_redo = nullptr;
    HoverableToolbarIcon* m_copy = nullptr;
    HoverableToolbarIcon* m_save = nullptr;
    PinButton* m_pin = nullptr;
    QHBoxLayout* m_actions = nullptr;
    QPointer<QWidget> m_dragOut;
    StrokeWidthPill* m_strokeWidth = nullptr;
    ArrowStylePill* m_arrowStyle = nullptr;
    FontSizePill* m_fontSize = nullptr;
    TextStylePill* m_textStyle = nullptr;
    ColorPill* m_color = nullptr;
    WhiteStrokeToggle* m_whiteStroke = nullptr;

    // Units in the order they fold; the menu's sections in toolbar order.
    std::vector<QList<QWidget*>> m_foldingOrder;
    QList<QList<QWidget*>> m_menuSections;
    // Controls that are not offered at the moment, folded or not (apply crop outside cropping).
    QSet<const QWidget*> m_absent;
};

} // namespace velmora
