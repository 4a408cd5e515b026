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
#include "toolbar/ToolbarSeparator.h"
#include "toolbar/ToolbarStyle.h"
#include "toolbar/WhiteStrokeToggle.h"

#include <QHBoxLayout>
#include <QPainter>

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
    // One point at the bottom is the hairline.
    row->setContentsMargins(leadingInset, 0, trailingInset, 1);
    row->setSpacing(6);
    buildTools(row);
    row->addWidget(new ToolbarSeparator(this));
    buildPills(row);
    row->addStretch(1);
    buildActions(row);

    bindToolState();
    bindSession();
    syncSaveToolTip();
}

AnnotationToolbar::~AnnotationToolbar() = default;

QSize AnnotationToolbar::sizeHint() const
{
    return {QWidget::sizeHint().width(), toolbarHeight};
}

void AnnotationToolbar::buildTools(QHBoxLayout* row)
{
    auto* group = new ToolbarGroup(this);
    for (const ToolInfo& info : tools()) {
        auto* button = new HoverableToolbarIcon(QString::fromLatin1(info.icon), group);
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
    row->addWidget(new ToolbarSeparator(this));

    m_actions = new QHBoxLayout;
    m_actions->setSpacing(2);
    m_backgroundTool =
        actionButton(QStringLiteral("image"), withKey(QStringLiteral("Background tool"), QStringLiteral("G")),
                     &AnnotationToolbar::compositeToggleRequested);
    m_pin = new PinButton(this);
    connect(m_pin, &QAbstractButton::clicked, this, &AnnotationToolbar::pinRequested);
    m_copy = actionButton(QStringLiteral("copy"),
                          withKey(QStringLiteral("Copy and Close"), QStringLiteral("Ctrl+C")),
                          &AnnotationToolbar::copyRequested);
    m_save = actionButton(QStringLiteral("save"), QString(), &AnnotationToolbar::saveRequested);
    for (QWidget* button : std::initializer_list<QWidget*>{m_backgroundTool, m_pin, m_copy, m_save}) {
        m_actions->addWidget(button);
    }
    row->addLayout(m_actions);
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
    m_applyCrop->setVisible(selected == AnnotationTool::crop && m_toolState->cropRect().has_value());
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
    m_backgroundTool->setVisible(showsBackgroundTool());
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
}

void AnnotationToolbar::setColorPanelParent(QWidget* window)
{
    m_color->setParentWindow(window);
}

void AnnotationToolbar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, height() - 1, width(), 1), toolbarstyle::hairline(palette()));
}

} // namespace velmora
