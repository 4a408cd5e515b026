#include "toolbar/AnnotationToolbar.h"

#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "preferences/HotkeyPreferences.h"
#include "toolbar/ArrowStylePill.h"
#include "toolbar/ColorPill.h"
#include "toolbar/FontSizePill.h"
#include "toolbar/HoverableToolbarIcon.h"
#include "toolbar/PinButton.h"
#include "toolbar/StrokeWidthPill.h"
#include "toolbar/TextStylePill.h"
#include "toolbar/ToolbarGroup.h"
#include "toolbar/ToolbarOverflowButton.h"
#include "toolbar/ToolbarSeparator.h"
#include "toolbar/ToolbarStyle.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>

namespace velmora {

namespace {

// Window chrome belongs to the desktop on Linux, so the toolbar starts at the same small inset
// at both ends.
constexpr int leadingInset = 12;
constexpr int trailingInset = 12;

// Labels and their key, three spaces apart.
QString withKey(const QString& label, const QString& key)
{
    return key.isEmpty() ? label : label + QStringLiteral("   ") + key;
}

} // namespace

const std::array<AnnotationToolbar::ToolInfo, 8>& AnnotationToolbar::tools()
{
    static const std::array<ToolInfo, 8> list{{
        {AnnotationTool::select, "mouse-pointer-2", "Select", "V"},
        {AnnotationTool::arrow, "arrow-up-right", "Arrow", "A"},
        {AnnotationTool::rect, "square", "Rectangle", "R"},
        {AnnotationTool::ellipse, "circle", "Ellipse", "E"},
        {AnnotationTool::draw, "pencil", "Draw", "D"},
        {AnnotationTool::text, "type", "Text", "T"},
        {AnnotationTool::blur, "droplet", "Blur", "B"},
        {AnnotationTool::crop, "crop", "Crop", "C"},
    }};
    return list;
}

AnnotationToolbar::AnnotationToolbar(EditorSession* session, EditorToolState* toolState, QWidget* parent)
    : QWidget(parent), m_session(session), m_toolState(toolState)
{
    Q_ASSERT(session && toolState);
    setFixedHeight(toolbarHeight);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* row = new QHBoxLayout(this);
    m_row = row;
    // One point at the bottom is the hairline.
    row->setContentsMargins(leadingInset, 0, trailingInset, 1);
    row->setSpacing(6);
    buildTools(row);
    m_pillSeparator = new ToolbarSeparator(this);
    row->addWidget(m_pillSeparator);
    buildPills(row);
    row->addStretch(1);
    buildActions(row);
    setFoldingOrder();

    bindToolState();
    bindSession();
    syncSaveToolTip();
}

AnnotationToolbar::~AnnotationToolbar() = default;

QSize AnnotationToolbar::sizeHint() const
{
    return {requiredWidth(0), toolbarHeight};
}

QSize AnnotationToolbar::minimumSizeHint() const
{
    return {requiredWidth(int(m_foldingOrder.size())), toolbarHeight};
}

void AnnotationToolbar::buildTools(QHBoxLayout* row)
{
    auto* group = new ToolbarGroup(this);
    m_toolGroup = group;
    for (const ToolInfo& info : tools()) {
        auto* button = new HoverableToolbarIcon(QString::fromLatin1(info.icon), group);
        button->setToggle(true);
        button->setToolTip(withKey(QString::fromLatin1(info.label), QString::fromLatin1(info.letter)));
        button->setAccessibleName(QString::fromLatin1(info.label));
        const AnnotationTool tool = info.tool;
        connect(button, &QAbstractButton::clicked, this,
                [this, tool] { m_toolState->setSelectedTool(tool); });
        group->addWidget(button);
        m_toolButtons[tool] = button;
    }
    row->addWidget(group);

    m_clearAll = new HoverableToolbarIcon(QStringLiteral("trash-2"), this);
    m_clearAll->setToolTip(QStringLiteral("Clear All"));
    m_clearAll->setAccessibleName(QStringLiteral("Clear All"));
    connect(m_clearAll, &QAbstractButton::clicked, this, &AnnotationToolbar::clearAllRequested);
    row->addWidget(m_clearAll);
}

void AnnotationToolbar::buildPills(QHBoxLayout* row)
{
    m_strokeWidth = new StrokeWidthPill(this);
    m_arrowStyle = new ArrowStylePill(this);
    m_fontSize = new FontSizePill(this);
    m_textStyle = new TextStylePill(this);
    m_color = new ColorPill(this);
    m_whiteStroke = new WhiteStrokeToggle(this);
    for (QWidget* pill : std::initializer_list<QWidget*>{m_strokeWidth, m_arrowStyle, m_fontSize, m_textStyle,
                                                         m_color, m_whiteStroke}) {
        row->addWidget(pill);
    }
}

HoverableToolbarIcon* AnnotationToolbar::actionButton(const QString& icon, const QString& tooltip,
                                                      void (AnnotationToolbar::*signal)())
{
    auto* button = new HoverableToolbarIcon(icon, this);
    button->setToolTip(tooltip);
    connect(button, &QAbstractButton::clicked, this, signal);
    return button;
}

void AnnotationToolbar::buildActions(QHBoxLayout* row)
{
    m_applyCrop =
        actionButton(QStringLiteral("check"), withKey(QStringLiteral("Apply Crop"), QStringLiteral("↩")),
                     &AnnotationToolbar::commitCropRequested);
    m_applyCrop->setSelected(true);
    row->addWidget(m_applyCrop);

    m_undo = actionButton(QStringLiteral("undo-2"), withKey(QStringLiteral("Undo"), QStringLiteral("Ctrl+Z")),
                          &AnnotationToolbar::undoRequested);
    m_redo = actionButton(QStringLiteral("redo-2"),
                          withKey(QStringLiteral("Redo"), QStringLiteral("Ctrl+Shift+Z")),
                          &AnnotationToolbar::redoRequested);
    row->addWidget(m_undo);
    row->addWidget(m_redo);
    m_historySeparator = new ToolbarSeparator(this);
    row->addWidget(m_historySeparator);

    m_actions = new QHBoxLayout;
    m_actions->setSpacing(2);
    m_backgroundTool =
        actionButton(QStringLiteral("image"), withKey(QStringLiteral("Background tool"), QStringLiteral("G")),
                     &AnnotationToolbar::compositeToggleRequested);
    m_backgroundTool->setToggle(true);
    m_pin = new PinButton(this);
    connect(m_pin, &QAbstractButton::clicked, this, &AnnotationToolbar::pinRequested);
    m_copy = actionButton(QStringLiteral("copy"),
                          withKey(QStringLiteral("Copy and Close"), QStringLiteral("Ctrl+C")),
                          &AnnotationToolbar::copyRequested);
    m_save = actionButton(QStringLiteral("save"), QString(), &AnnotationToolbar::saveRequested);
    m_overflow = new ToolbarOverflowButton(this);
    for (QWidget* button :
         std::initializer_list<QWidget*>{m_backgroundTool, m_pin, m_copy, m_save, m_overflow}) {
        m_actions->addWidget(button);
    }
    row->addLayout(m_actions);
}

void AnnotationToolbar::setFoldingOrder()
{
    // The style pills go first: each holds a default that rarely changes in the middle of an
    // edit. Then the window's extras, the history (which has its keys), clear all and, only in a
    // very narrow window, the tools and the crop's confirmation. Copy, save and the drag-out
    // button never fold: they are how the picture leaves the editor, and a drag cannot start from
    // a menu.
    m_foldingOrder = {{m_textStyle},    {m_fontSize}, {m_arrowStyle}, {m_strokeWidth},
                      {m_whiteStroke},  {m_color},    {m_pin},        {m_backgroundTool},
                      {m_undo, m_redo}, {m_clearAll}, {m_toolGroup},  {m_applyCrop}};
    m_menuSections = {{m_toolGroup, m_clearAll},
                      {m_strokeWidth, m_arrowStyle, m_fontSize, m_textStyle, m_color, m_whiteStroke},
                      {m_applyCrop, m_undo, m_redo},
                      {m_backgroundTool, m_pin}};
}

void AnnotationToolbar::setPresent(QWidget* control, bool present)
{
    if (present) {
        m_absent.remove(control);
    } else {
        m_absent.insert(control);
    }
    fitToWidth();
}

bool AnnotationToolbar::isShown(const QWidget* widget, int foldedUnits) const
{
    if (m_absent.contains(widget)) {
        return false;
    }
    if (widget == m_overflow) {
        return foldedUnits > 0;
    }
    const auto shown = [&](const QWidget* other) { return isShown(other, foldedUnits); };
    if (widget == m_pillSeparator) {
        return (shown(m_toolGroup) || shown(m_clearAll)) && std::ranges::any_of(m_menuSections[1], shown);
    }
    if (widget == m_historySeparator) {
        return shown(m_applyCrop) || shown(m_undo) || shown(m_redo);
    }
    for (int unit = 0; unit < int(m_foldingOrder.size()); ++unit) {
        if (m_foldingOrder[unit].contains(widget)) {
            return unit >= foldedUnits;
        }
    }
    return true;
}

int AnnotationToolbar::layoutWidth(const QBoxLayout* layout, int foldedUnits) const
{
    // What the box layout itself adds up for fixed-size controls, worked out for a fold that is
    // not applied yet: trying folds on the live row would hide and show widgets, and every such
    // change asks for another layout pass.
    int total = 0;
    int items = 0;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        int width = 0;
        if (const QWidget* widget = item->widget()) {
            if (!isShown(widget, foldedUnits)) {
                continue;
            }
            width = std::max(widget->sizeHint().width(), widget->minimumWidth());
        } else if (const auto* nested = qobject_cast<const QBoxLayout*>(item->layout())) {
            width = layoutWidth(nested, foldedUnits);
            if (width == 0) {
                continue;
            }
        } else {
            // The stretch: it takes what is left and adds no spacing.
            continue;
        }
        total += width;
        ++items;
    }
    if (items == 0) {
        return 0;
    }
    const QMargins margins = layout->contentsMargins();
    return total + std::max(0, layout->spacing()) * (items - 1) + margins.left() + margins.right();
}

int AnnotationToolbar::requiredWidth(int foldedUnits) const
{
    return layoutWidth(m_row, foldedUnits);
}

void AnnotationToolbar::fitToWidth()
{
    int folded = 0;
    while (folded < int(m_foldingOrder.size()) && requiredWidth(folded) > width()) {
        ++folded;
    }

    QList<QList<QWidget*>> menu;
    for (const QList<QWidget*>& section : m_menuSections) {
        QList<QWidget*> entries;
        for (QWidget* control : section) {
            if (!m_absent.contains(control) && !isShown(control, folded)) {
                entries.append(control);
            }
        }
        menu.append(entries);
    }
    m_overflow->setFolded(menu);

    // Only what changes is touched, so a pass that changes nothing asks for no further layout.
    const std::function<void(QLayout*)> apply = [&](QLayout* layout) {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            if (QWidget* widget = item->widget()) {
                const bool shown = isShown(widget, folded);
                if (widget->isHidden() == shown) {
                    widget->setVisible(shown);
                }
            } else if (QLayout* nested = item->layout()) {
                apply(nested);
            }
        }
    };
    apply(m_row);
}

void AnnotationToolbar::bindToolState()
{
    EditorToolState* state = m_toolState;
    connect(state, &EditorToolState::selectedToolChanged, this, &AnnotationToolbar::syncTools);
    connect(state, &EditorToolState::cropRectChanged, this, &AnnotationToolbar::syncTools);

    m_arrowStyle->setArrowStyle(state->arrowStyle());
    connect(state, &EditorToolState::arrowStyleChanged, this,
            [this] { m_arrowStyle->setArrowStyle(m_toolState->arrowStyle()); });
    connect(m_arrowStyle, &ArrowStylePill::arrowStyleChosen, state, &EditorToolState::setArrowStyle);

    auto syncColor = [this] {
        const Color color = m_toolState->annotationColor();
        m_color->setColor(color);
        m_fontSize->setColor(color);
        m_textStyle->setColor(color);
        m_whiteStroke->setColor(color);
    };
    syncColor();
    m_color->setCustomColor(state->customAnnotationColor());
    connect(state, &EditorToolState::annotationColorChanged, this, syncColor);
    connect(state, &EditorToolState::customAnnotationColorChanged, this,
            [this] { m_color->setCustomColor(m_toolState->customAnnotationColor()); });
    connect(m_color, &ColorPill::colorChosen, state, &EditorToolState::setAnnotationColor);
    connect(m_color, &ColorPill::customColorPicked, state, [state](const Color& color) {
        // The custom swatch first, so that when the colour arrives it has a swatch to select.
        state->setCustomAnnotationColor(color);
        state->setAnnotationColor(color);
    });

    m_whiteStroke->setOn(state->annotationHasWhiteStroke());
    connect(state, &EditorToolState::annotationHasWhiteStrokeChanged, this,
            [this] { m_whiteStroke->setOn(m_toolState->annotationHasWhiteStroke()); });
    connect(m_whiteStroke, &QAbstractButton::clicked, state, &EditorToolState::setAnnotationHasWhiteStroke);

    syncTools();
}

void AnnotationToolbar::bindSession()
{
    EditorSession* session = m_session;
    m_strokeWidth->setStrokeWidth(session->strokeWidth());
    connect(session, &EditorSession::strokeWidthChanged, this,
            [this] { m_strokeWidth->setStrokeWidth(m_session->strokeWidth()); });
    connect(m_strokeWidth, &StrokeWidthPill::strokeWidthChosen, session, &EditorSession::setStrokeWidth);

    m_fontSize->setFontSize(session->fontSize());
    connect(session, &EditorSession::fontSizeChanged, this,
            [this] { m_fontSize->setFontSize(m_session->fontSize()); });
    connect(m_fontSize, &FontSizePill::fontSizeChosen, session, &EditorSession::setFontSize);

    m_textStyle->setTextStyle(session->textStyle());
    connect(session, &EditorSession::textStyleChanged, this,
            [this] { m_textStyle->setTextStyle(m_session->textStyle()); });
    connect(m_textStyle, &TextStylePill::textStyleChosen, session, &EditorSession::setTextStyle);

    connect(session, &EditorSession::historyChanged, this, &AnnotationToolbar::syncHistory);
    connect(session, &EditorSession::backgroundAssetsChanged, this, &AnnotationToolbar::syncBackgroundTool);
    connect(session, &EditorSession::backgroundCompositeEnabledChanged, this,
            &AnnotationToolbar::syncBackgroundTool);
    syncHistory();
    syncBackgroundTool();
}

void AnnotationToolbar::syncTools()
{
    const AnnotationTool selected = m_toolState->selectedTool();
    for (const auto& [tool, button] : m_toolButtons) {
        button->setSelected(tool == selected);
    }
    setPresent(m_applyCrop, selected == AnnotationTool::crop && m_toolState->cropRect().has_value());
}

bool AnnotationToolbar::showsBackgroundTool() const
{
    return m_session->backgroundAssets().has_value();
}

bool AnnotationToolbar::isBackgroundToolEnabled() const
{
    return m_session->isBackgroundCompositeEnabled();
}

void AnnotationToolbar::syncBackgroundTool()
{
    setPresent(m_backgroundTool, showsBackgroundTool());
    m_backgroundTool->setSelected(isBackgroundToolEnabled());
}

void AnnotationToolbar::syncHistory()
{
    m_undo->setEnabled(m_session->canUndo());
    m_redo->setEnabled(m_session->canRedo());
}

void AnnotationToolbar::setHotkeyPreferences(HotkeyPreferences* hotkeys)
{
    if (m_hotkeys) {
        disconnect(m_hotkeys, nullptr, this, nullptr);
    }
    m_hotkeys = hotkeys;
    if (hotkeys) {
        connect(hotkeys, &HotkeyPreferences::hotkeysChanged, this, &AnnotationToolbar::syncSaveToolTip);
    }
    syncSaveToolTip();
}

void AnnotationToolbar::syncSaveToolTip()
{
    using Action = HotkeyPreferences::Action;
    const std::optional<Hotkey> shortcut = m_hotkeys ? m_hotkeys->hotkeyInForce(Action::saveToDisk)
                                                     : HotkeyPreferences::defaultHotkey(Action::saveToDisk);
    m_save->setToolTip(withKey(HotkeyPreferences::title(Action::saveToDisk),
                               shortcut ? shortcut->displayString() : QString()));
}

void AnnotationToolbar::setDragOutButton(QWidget* button)
{
    if (m_dragOut) {
        m_dragOut->deleteLater();
    }
    m_dragOut = button;
    if (button) {
        button->setParent(this);
        // Beside copy: both hand the finished image to another program.
        m_actions->insertWidget(m_actions->indexOf(m_copy), button);
        button->show();
    }
    fitToWidth();
}

bool AnnotationToolbar::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A control that changed size (a pill showing a longer value, a new font) may change what fits.
    if (event->type() == QEvent::LayoutRequest) {
        fitToWidth();
    }
    return handled;
}

void AnnotationToolbar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitToWidth();
}

void AnnotationToolbar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, height() - 1, width(), 1), toolbarstyle::hairline(palette()));
}

} // namespace velmora
