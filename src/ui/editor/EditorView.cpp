#include "editor/EditorView.h"

#include "canvas/AnnotationCanvas.h"
#include "canvas/CompositePreview.h"
#include "canvas/InPlaceTextEditor.h"
#include "drag/DragSource.h"
#include "editor/CanvasArea.h"
#include "editor/EditorPills.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "icons/LucideIcon.h"
#include "preferences/HotkeyPreferences.h"
#include "sidebar/ImageEditorSidebar.h"
#include "toolbar/AnnotationToolbar.h"

#include <QApplication>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace velmora {

namespace {

constexpr int sidebarWidth = 250;

std::optional<AnnotationTool> toolForLetter(int key)
{
    switch (key) {
    case Qt::Key_A:
        return AnnotationTool::arrow;
    case Qt::Key_T:
        return AnnotationTool::text;
    case Qt::Key_R:
        return AnnotationTool::rect;
    case Qt::Key_E:
        return AnnotationTool::ellipse;
    case Qt::Key_D:
        return AnnotationTool::draw;
    case Qt::Key_B:
        return AnnotationTool::blur;
    case Qt::Key_V:
        return AnnotationTool::select;
    default:
        return std::nullopt;
    }
}

} // namespace

EditorView::EditorView(EditorSession& session, SettingsStore& settings, HotkeyPreferences& hotkeys,
                       bool tightFit, QWidget* parent)
    : QWidget(parent), m_session(session), m_settings(settings), m_hotkeys(hotkeys), m_isTightFit(tightFit),
      m_toolState(new EditorToolState(settings, this))
{
    buildUi();
    connectSession();
    qApp->installEventFilter(this);
}

EditorView::~EditorView()
{
    qApp->removeEventFilter(this);
}

AnnotationCanvas* EditorView::canvas() const
{
    return m_canvasArea ? m_canvasArea->findChild<AnnotationCanvas*>() : nullptr;
}

void EditorView::buildUi()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolbar = new AnnotationToolbar(&m_session, m_toolState, this);
    m_toolbar->setHotkeyPreferences(&m_hotkeys);
    column->addWidget(m_toolbar);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    column->addLayout(row, 1);

    auto* canvas = new AnnotationCanvas;
    canvas->setSession(&m_session);
    canvas->setToolState(m_toolState);
    m_pills = new EditorPills;
    m_canvasArea = new CanvasArea(m_session, canvas, m_pills, m_isTightFit, this);
    row->addWidget(m_canvasArea, 1);

    m_sidebarHolder = new QWidget(this);
    m_sidebarHolder->setMaximumWidth(0);
    auto* holderLayout = new QHBoxLayout(m_sidebarHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_sidebar = new ImageEditorSidebar(&m_session, m_toolState, m_sidebarHolder);
    m_sidebar->setFixedWidth(sidebarWidth);
    holderLayout->addWidget(m_sidebar);
    row->addWidget(m_sidebarHolder);

    m_sidebarAnimation = new QVariantAnimation(this);
    m_sidebarAnimation->setDuration(200);
    m_sidebarAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_sidebarAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_sidebarHolder->setMaximumWidth(value.toInt()); });

    // The drag button: press and drag it to drop the final image into another program.
    auto* dragButton = new QToolButton(this);
    dragButton->setAutoRaise(true);
    dragButton->setIcon(LucideIcon::icon(QStringLiteral("hand"), palette().color(QPalette::ButtonText)));
    dragButton->setIconSize(QSize(18, 18));
    dragButton->setToolTip(QStringLiteral("Drag to export\nTip: hold Ctrl and drag the image"));
    auto* buttonDrag =
        new DragSource(dragButton, [this] { return m_dragImageProvider ? m_dragImageProvider() : QImage(); });
    buttonDrag->setShowsDragCursor(true);
    connect(buttonDrag, &DragSource::dragBegan, this, &EditorView::dragBegan);
    connect(buttonDrag, &DragSource::dragEnded, this, &EditorView::dragEnded);
    m_toolbar->setDragOutButton(dragButton);

    // Ctrl+drag on the picture drags the final image out.
    auto* drag = m_canvasArea->installPictureDrag(
        [this] { return m_dragImageProvider ? m_dragImageProvider() : QImage(); });
    connect(drag, &DragSource::dragBegan, this, &EditorView::dragBegan);
    connect(drag, &DragSource::dragEnded, this, &EditorView::dragEnded);

    connect(m_canvasArea, &CanvasArea::zoomScrolled, this, [this](double dx, double dy, bool precise) {
        if (m_zoom.scroll(dx, dy, precise)) {
            applyZoom();
        }
    });
    connect(m_canvasArea, &CanvasArea::zoomGestureEnded, this, [this] { m_zoom.endScrollGesture(); });
    connect(canvas, &AnnotationCanvas::hovered, this, [this](std::optional<QPointF> viewPoint) {
        auto* c = this->canvas();
        if (!viewPoint || !c) {
            m_session.setHoveredColor(std::nullopt);
        } else {
            const QPointF canvasPoint = *viewPoint / c->zoom();
            const QPointF origin = m_session.isCompositeShown()
                                       ? QPointF(m_session.contentOffset(), m_session.contentOffset())
                                       : QPointF();
            m_session.sampleColor(canvasPoint - origin);
        }
    });

    connect(m_toolbar, &AnnotationToolbar::copyRequested, this, &EditorView::copyRequested);
    connect(m_toolbar, &AnnotationToolbar::saveRequested, this, &EditorView::saveRequested);
    connect(m_toolbar, &AnnotationToolbar::pinRequested, this, &EditorView::pinRequested);
    connect(m_toolbar, &AnnotationToolbar::undoRequested, &m_session, &EditorSession::undo);
    connect(m_toolbar, &AnnotationToolbar::redoRequested, &m_session, &EditorSession::redo);
    connect(m_toolbar, &AnnotationToolbar::clearAllRequested, this, &EditorView::clearAllAnnotations);
    connect(m_toolbar, &AnnotationToolbar::compositeToggleRequested, this, &EditorView::toggleComposite);
    connect(m_toolbar, &AnnotationToolbar::commitCropRequested, this, &EditorView::commitOrDeselect);
}

void EditorView::connectSession()
{
    auto refresh = [this] {
        CanvasPresentation p;
        const bool shown = m_session.isCompositeShown();
        // The composite's own layout in whole pixels, so the preview lines up with the export.
        const CompositeGeometry geometry = m_session.compositeGeometry();
        p.image = m_session.capturedImage();
        p.canvasSize = m_session.displaySize();
        p.imageOrigin = shown ? QPointF(geometry.contentOffset(), geometry.contentOffset()) : QPointF();
        p.contentCornerRadius = shown ? m_session.contentCornerRadius() : 0;
        p.contentInset = shown ? geometry.insetPoints() : 0;
        p.contentInsetColor = m_session.contentEdgeColor();
        const double d = m_session.windowCaptureShadow();
        const bool drawsShadow = m_session.backgroundAssets() && m_session.backgroundAssets()->drawsShadow;
        p.contentShadowRadius = shown && drawsShadow ? d : 0;
        p.contentShadowOpacity = shown && drawsShadow ? std::min(std::max(d / 24, 0.0), 1.5) * 0.8 : 0;
        p.showsTransparencyBacking = !shown;
        if (auto* c = canvas()) {
            c->setPresentation(p);
        }
        m_canvasArea->relayout();
        m_pills->setZoom(m_zoom.percent(), m_session.outputPixelDimensions());
        m_canvasArea->update();
    };
    for (auto signal :
         {&EditorSession::capturedImageChanged, &EditorSession::contentPaddingChanged,
          &EditorSession::contentInsetChanged, &EditorSession::contentCornerRadiusChanged,
          &EditorSession::windowCaptureShadowChanged, &EditorSession::backgroundAssetsChanged,
          &EditorSession::backgroundCompositeEnabledChanged, &EditorSession::backgroundSelectionChanged,
          &EditorSession::windowCaptureBackgroundBlurChanged, &EditorSession::customBackgroundColorsChanged,
          &EditorSession::userWallpaperItemsChanged}) {
        connect(&m_session, signal, this, refresh);
    }
    connect(&m_session, &EditorSession::backgroundCompositeEnabledChanged, this,
            [this] { updateSidebarVisibility(true); });
    connect(&m_session, &EditorSession::backgroundAssetsChanged, this,
            [this] { updateSidebarVisibility(true); });
    connect(&m_session, &EditorSession::wallpapersRefused, this, [this](const QStringList& fileNames) {
        Q_EMIT notificationRequested(refusedWallpapersMessage(fileNames), 2.0);
    });
    connect(&m_session, &EditorSession::hoveredColorChanged, this, [this] {
        m_pills->setHoveredColor(m_session.hoveredColor(), m_session.hoveredHex());
        m_canvasArea->relayout();
    });
    refresh();
    updateSidebarVisibility(false);
}

QString EditorView::refusedWallpapersMessage(const QStringList& fileNames)
{
    if (fileNames.size() == 1) {
        return QStringLiteral("Can't use %1: this image format isn't supported").arg(fileNames.front());
    }
    return QStringLiteral("Can't use %1 and %2 more: these image formats aren't supported")
        .arg(fileNames.front())
        .arg(fileNames.size() - 1);
}

void EditorView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_canvasArea->relayout();
}

void EditorView::updateSidebarVisibility(bool animated)
{
    const bool visible = m_session.isCompositeShown();
    if (visible == m_isSidebarVisible &&
        (animated || m_sidebarHolder->maximumWidth() == (visible ? sidebarWidth : 0))) {
        return;
    }
    m_isSidebarVisible = visible;
    const int target = visible ? sidebarWidth : 0;
    if (!animated) {
        m_sidebarHolder->setMaximumWidth(target);
        return;
    }
    m_sidebarAnimation->stop();
    m_sidebarAnimation->setStartValue(m_sidebarHolder->maximumWidth());
    m_sidebarAnimation->setEndValue(target);
    m_sidebarAnimation->start();
}

void EditorView::applyZoom()
{
    m_canvasArea->setZoomPercent(m_zoom.percent());
    m_pills->setZoom(m_zoom.percent(), m_session.outputPixelDimensions());
    m_canvasArea->relayout();
}

void EditorView::zoomIn()
{
    m_zoom.zoomIn();
    applyZoom();
}

void EditorView::zoomOut()
{
    m_zoom.zoomOut();
    applyZoom();
}

void EditorView::resetZoom()
{
    m_zoom.reset();
    applyZoom();
}

void EditorView::deleteSelectedAnnotation()
{
    const QSet<QUuid> selected = m_toolState->selectedAnnotationIds();
    if (selected.isEmpty()) {
        return;
    }
    m_session.pushUndo();
    AnnotationList kept = m_session.annotations();
    kept.removeIf([&](const Annotation& a) { return selected.contains(annotationId(a)); });
    m_session.setAnnotations(kept);
    m_toolState->setSelectedAnnotationIds({});
}

void EditorView::commitOrDeselect()
{
    const auto crop = m_toolState->cropRect();
    if (crop && crop->width() > 5 && crop->height() > 5) {
        m_session.pushUndo();
        if (m_session.isCompositeShown()) {
            m_session.cropComposite(*crop);
        } else {
            m_session.crop(*crop);
        }
        m_toolState->setCropRect(std::nullopt);
        m_toolState->setSelectedTool(AnnotationTool::arrow);
        return;
    }
    if (!m_toolState->selectedAnnotationIds().isEmpty()) {
        m_toolState->setSelectedAnnotationIds({});
    }
}

void EditorView::clearAllAnnotations()
{
    if (!m_session.annotations().isEmpty()) {
        m_session.pushUndo();
    }
    m_session.setAnnotations({});
    m_toolState->setSelectedAnnotationIds({});
}

void EditorView::selectAllAnnotations()
{
    QSet<QUuid> all;
    for (const Annotation& a : m_session.annotations()) {
        all.insert(annotationId(a));
    }
    m_toolState->setSelectedAnnotationIds(all);
}

void EditorView::toggleComposite()
{
    if (m_session.captureKind() == CaptureKind::window && !m_session.backgroundAssets()) {
        return;
    }
    m_session.toggleBackgroundComposite();
    m_session.requestDesktopWallpaperIfNeeded();
    if (m_session.isBackgroundCompositeEnabled()) {
        m_session.requestUserWallpapersIfNeeded();
    }
}

bool EditorView::isTextBeingEdited() const
{
    auto* c = canvas();
    return c && c->isEditingText();
}

bool EditorView::handleKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    Q_UNUSED(text);
    const Qt::KeyboardModifiers mods =
        modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool otherModifiers = mods & (Qt::AltModifier | Qt::MetaModifier);

    // While a text is open, plain keys and Ctrl+A belong to the text.
    if (isTextBeingEdited() && (!(mods & ~Qt::ShiftModifier) || (ctrl && key == Qt::Key_A))) {
        return false;
    }
    // Undo and redo step through the typing first; the editor's history takes over once the
    // field has nothing left to undo.
    if (isTextBeingEdited() && canvas()->textEditor() && canvas()->textEditor()->ownsKey(key, mods)) {
        return false;
    }

    // The save shortcut is the user's choice.
    if (const auto save = m_hotkeys.hotkeyInForce(HotkeyPreferences::Action::saveToDisk)) {
        if (const auto combination = save->keyCombination()) {
            if (combination->key() == Qt::Key(key) && combination->keyboardModifiers() == mods) {
                Q_EMIT saveRequested();
                return true;
            }
        }
    }

    if (ctrl && !otherModifiers) {
        switch (key) {
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            zoomIn();
            return true;
        case Qt::Key_Minus:
            zoomOut();
            return true;
        case Qt::Key_0:
            resetZoom();
            return true;
        case Qt::Key_A:
            selectAllAnnotations();
            return true;
        case Qt::Key_C:
            Q_EMIT copyRequested();
            return true;
        case Qt::Key_W:
            Q_EMIT closeRequested();
            return true;
        case Qt::Key_S:
            if (shift) {
                Q_EMIT saveAsRequested();
                return true;
            }
            return false;
        case Qt::Key_P:
            Q_EMIT pinRequested();
            return true;
        case Qt::Key_Z:
            shift ? m_session.redo() : m_session.undo();
            return true;
        default:
            return false;
        }
    }
    if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
        switch (key) {
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            deleteSelectedAnnotation();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commitOrDeselect();
            return true;
        case Qt::Key_Escape:
            if (m_toolState->cropRect()) {
                m_toolState->setCropRect(std::nullopt);
            } else {
                Q_EMIT closeRequested();
            }
            return true;
        default:
            break;
        }
    }
    if (mods != Qt::NoModifier) {
        return false;
    }
    if (key == Qt::Key_Tab) {
        if (const auto hex = m_session.hoveredHex()) {
            Q_EMIT copyHexRequested(*hex);
            return true;
        }
        return false;
    }
    if (const auto tool = toolForLetter(key)) {
        m_toolState->setCropRect(std::nullopt);
        m_toolState->setSelectedTool(*tool);
        return true;
    }
    if (key == Qt::Key_C) {
        m_toolState->setSelectedTool(AnnotationTool::crop);
        return true;
    }
    if (key == Qt::Key_G) {
        toggleComposite();
        return true;
    }
    return false;
}

bool EditorView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease &&
        event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window() || !isVisible()) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (key->key() == Qt::Key_Space && plain && !isTextBeingEdited()) {
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            m_canvasArea->setSpacePanActive(true);
        } else if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat()) {
            m_canvasArea->setSpacePanActive(false);
        }
        return event->type() != QEvent::ShortcutOverride;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    return handleKey(key->key(), key->modifiers(), key->text());
}

} // namespace velmora
