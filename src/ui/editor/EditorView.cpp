#include "editor/EditorView.h"

#include "canvas/AnnotationCanvas.h"
#include "canvas/CompositePreview.h"
#include "drag/DragSource.h"
#include "editor/CanvasArea.h"
#include "editor/EditorPills.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "editor/SelectionStyleSync.h"
#include "preferences/HotkeyPreferences.h"
#include "sidebar/ImageEditorSidebar.h"
#include "toolbar/AnnotationToolbar.h"
#include "toolbar/HoverableToolbarIcon.h"

#include <QApplication>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace velmora {

namespace {

constexpr int sidebarWidth = 250;

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
    new SelectionStyleSync(m_session, *m_toolState, *m_toolbar, this);
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
    // A toolbar button like its neighbours, so its icon is drawn at their size.
    auto* dragButton = new HoverableToolbarIcon(QStringLiteral("hand"), this);
    dragButton->setAccessibleName(QStringLiteral("Drag to export"));
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
    connect(m_toolState, &EditorToolState::selectedToolChanged, this,
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
    // The blur tool's pixel size lives in the sidebar, so the sidebar comes with that tool even
    // while the composite is off; it then holds that one control.
    const bool visible = m_session.isCompositeShown() || m_toolState->selectedTool() == AnnotationTool::blur;
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
