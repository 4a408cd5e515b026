#include "canvas/AnnotationCanvas.h"

#include "canvas/InPlaceTextEditor.h"
#include "canvas/ScreenshotLayerImageView.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"

#include <QApplication>
#include <QLineF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <functional>

namespace velmora {

namespace {

// Enough for every blur box of a busy capture; the least recently drawn go first.
constexpr qsizetype maxKeptBlurPatches = 48;

} // namespace

AnnotationCanvas::AnnotationCanvas(QWidget* parent)
    : QWidget(parent), m_layer(new ScreenshotLayerImageView(this))
{
    setMouseTracking(true);
    // Keys are the editor window's: they pass through the canvas to it.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_NoSystemBackground, true);
    connect(m_layer, &ScreenshotLayerImageView::displayImageChanged, this, qOverload<>(&QWidget::update));
}

AnnotationCanvas::~AnnotationCanvas()
{
    // The editor reports its focus loss while it goes; nothing must reach a half-destroyed canvas.
    if (m_textEditor) {
        m_textEditor->disconnect(this);
        // It lies in the canvas's parent, which may outlive the canvas.
        delete m_textEditor;
    }
}

void AnnotationCanvas::setSession(EditorSession* session)
{
    if (m_session == session) {
        return;
    }
    for (const auto& connection : std::as_const(m_sessionConnections)) {
        disconnect(connection);
    }
    m_sessionConnections.clear();
    m_session = session;
    m_interaction.setSession(session);
    if (session) {
        m_sessionConnections << connect(session, &EditorSession::annotationsChanged, this,
                                        &AnnotationCanvas::sessionAnnotationsChanged);
    }
    syncTextEditor();
    update();
}

void AnnotationCanvas::setToolState(EditorToolState* tools)
{
    if (m_tools == tools) {
        return;
    }
    for (const auto& connection : std::as_const(m_toolConnections)) {
        disconnect(connection);
    }
    m_toolConnections.clear();
    m_tools = tools;
    m_interaction.setToolState(tools);
    if (tools) {
        m_toolConnections << connect(tools, &EditorToolState::selectedToolChanged, this,
                                     &AnnotationCanvas::toolChanged);
        const auto repaint = [this] {
            update();
            refreshCursor();
        };
        m_toolConnections << connect(tools, &EditorToolState::selectionChanged, this, repaint);
        m_toolConnections << connect(tools, &EditorToolState::cropRectChanged, this, repaint);
    }
    update();
    refreshCursor();
}

void AnnotationCanvas::setPresentation(const CanvasPresentation& presentation)
{
    if (m_presentation == presentation) {
        return;
    }
    const bool newImage = m_presentation.image.cacheKey() != presentation.image.cacheKey();
    m_presentation = presentation;
    if (newImage) {
        m_preview.clear();
        m_blurPatches.clear();
        m_layer->setImage(presentation.image);
    }
    m_interaction.setCanvasSize(canvasSize());
    updateSize();
    updateLayerTarget();
    update();
}

void AnnotationCanvas::setZoom(double zoom)
{
    if (!(zoom > 0) || zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    m_interaction.setZoom(zoom);
    updateSize();
    updateLayerTarget();
    syncTextEditor();
    refreshCursor();
    update();
}

QSize AnnotationCanvas::sizeHint() const
{
    const QSizeF size = canvasSize() * m_zoom;
    return {std::max(1, int(std::round(size.width()))), std::max(1, int(std::round(size.height())))};
}

void AnnotationCanvas::updateSize()
{
    updateGeometry();
    resize(sizeHint());
}

void AnnotationCanvas::updateLayerTarget()
{
    const QSizeF shown = CompositePreview::contentRect(m_presentation, m_zoom).size() * devicePixelRatioF();
    m_layer->setTargetPixelSize(QSize(int(std::round(shown.width())), int(std::round(shown.height()))));
}

QImage AnnotationCanvas::displayBitmap() const
{
    const QImage shown = m_layer->displayImage();
    return shown.isNull() ? m_presentation.image : shown;
}

void AnnotationCanvas::sessionAnnotationsChanged()
{
    syncTextEditor();
    update();
}

void AnnotationCanvas::toolChanged()
{
    if (!m_interaction.isChangingTool()) {
        m_interaction.toolChangedElsewhere();
    }
    update();
    refreshCursor();
}

void AnnotationCanvas::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        update(); // the accent and the checkerboard follow the appearance
    }
    QWidget::changeEvent(event);
}

template <class F> void AnnotationCanvas::interact(F&& step)
{
    step();
    syncTextEditor();
    refreshCursor();
    update();
}

bool AnnotationCanvas::activateTextEditingIfNeeded(const QUuid& id)
{
    bool activated = false;
    interact([&] { activated = m_interaction.activateTextEditingIfNeeded(id); });
    return activated;
}

void AnnotationCanvas::commitTextAnnotation(const QUuid& id)
{
    interact([&] { m_interaction.commitTextAnnotation(id); });
}

void AnnotationCanvas::syncTextEditor()
{
    const auto id = m_interaction.editingTextId();
    const TextAnnotation* text = nullptr;
    if (id) {
        const Annotation* annotation = m_session ? findAnnotation(m_session->annotations(), *id) : nullptr;
        text = annotation ? std::get_if<TextAnnotation>(annotation) : nullptr;
        if (!text || !text->isEditing) {
            // Gone underneath, by an undo for instance: editing just ends.
            m_interaction.forgetEditingText();
            text = nullptr;
        }
    }
    if (settleStaleEditingTexts()) {
        return; // the list changed, and that synchronised the editor again
    }
    if (!text) {
        if (m_textEditor) {
            closeTextEditor();
            Q_EMIT textEditingChanged(false);
        }
        return;
    }
    const bool opening = !m_textEditor;
    if (opening) {
        m_textEditor = new InPlaceTextEditor(this);
        connect(m_textEditor, &InPlaceTextEditor::textEdited, this, [this](const QString& typed) {
            if (const auto editing = m_interaction.editingTextId()) {
                m_interaction.updateTextAnnotation(*editing, typed);
            }
        });
        connect(m_textEditor, &InPlaceTextEditor::commitRequested, this, [this] {
            if (const auto editing = m_interaction.editingTextId()) {
                commitTextAnnotation(*editing);
            }
        });
    }
    m_textEditor->setAnnotation(*text, m_zoom);
    if (opening) {
        m_textEditor->show();
        m_textEditor->raise();
        m_textEditor->setFocus(Qt::OtherFocusReason);
        Q_EMIT textEditingChanged(true);
    }
}

bool AnnotationCanvas::settleStaleEditingTexts()
{
    if (!m_session) {
        return false;
    }
    // A style picked while a text was typed records the text still open. Stepping back to that
    // point after the text was finished must not leave it open with no field for it (it would not
    // be drawn at all): it comes back finished, or goes, if nothing had been typed yet.
    const auto editing = m_interaction.editingTextId();
    AnnotationList list = m_session->annotations();
    bool changed = false;
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        auto* text = std::get_if<TextAnnotation>(&list[i]);
        if (!text || !text->isEditing || text->id == editing) {
            continue;
        }
        changed = true;
        if (text->text.isEmpty()) {
            list.removeAt(i);
        } else {
            text->isEditing = false;
        }
    }
    if (changed) {
        m_session->setAnnotations(list);
    }
    return changed;
}

void AnnotationCanvas::closeTextEditor()
{
    InPlaceTextEditor* editor = m_textEditor;
    m_textEditor = nullptr;
    editor->disconnect(this);
    // The window may be inactive (another window took the focus, which commits): then it is the
    // widget the window gives the focus back to that counts.
    const bool hadFocus = editor->isAncestorOf(QApplication::focusWidget()) || editor->hasFocus() ||
                          editor->isAncestorOf(window()->focusWidget());
    if (hadFocus) {
        // Keep the keyboard in this window: keys the canvas ignores travel on to the editor window,
        // instead of landing on whatever widget comes next in the focus chain.
        setFocus(Qt::OtherFocusReason);
    }
    editor->hide();
    // The commit may come from inside the editor's own key handling.
    editor->deleteLater();
}

void AnnotationCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressPoint = event->position();
    m_isDragging = false;
    m_pressWhileEditing = isEditingText();
    event->accept();
}

void AnnotationCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF point = event->position();
    if (m_pressPoint && (event->buttons() & Qt::LeftButton)) {
        if (!m_isDragging && QLineF(*m_pressPoint, point).length() >= dragThreshold) {
            m_isDragging = true;
        }
        if (m_isDragging && !m_pressWhileEditing) {
            const QPointF start = viewToCanvas(*m_pressPoint);
            interact([&] { m_interaction.dragChanged(start, viewToCanvas(point)); });
        }
        return;
    }
    m_hoverPoint = point;
    // While a text is typed the canvas only waits for the click that ends it.
    if (!isEditingText()) {
        Q_EMIT hovered(point);
    }
    refreshCursor();
}

void AnnotationCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressPoint) {
        event->ignore();
        return;
    }
    const QPointF start = *m_pressPoint;
    const bool wasDragging = m_isDragging;
    m_pressPoint.reset();
    m_isDragging = false;
    if (m_pressWhileEditing) {
        // While a text is typed, a click on the canvas only ends the typing.
        m_pressWhileEditing = false;
        if (!wasDragging) {
            if (const auto id = editingTextId()) {
                commitTextAnnotation(*id);
            }
        }
        return;
    }
    if (wasDragging) {
        interact([&] { m_interaction.dragEnded(); });
    } else {
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        interact([&] { m_interaction.handleTap(viewToCanvas(start), shift); });
    }
    m_hoverPoint = event->position();
    refreshCursor();
}

void AnnotationCanvas::enterEvent(QEnterEvent* event)
{
    // The pointer may arrive without moving, when a widget over the canvas goes away: the tool's
    // cursor shows at once all the same.
    m_hoverPoint = event->position();
    refreshCursor();
    QWidget::enterEvent(event);
}

void AnnotationCanvas::leaveEvent(QEvent* event)
{
    m_hoverPoint.reset();
    Q_EMIT hovered(std::nullopt);
    refreshCursor();
    QWidget::leaveEvent(event);
}

void AnnotationCanvas::refreshCursor()
{
    if (const auto& held = m_interaction.dragCursor()) {
        setCursor(*held);
    } else if (m_hoverPoint && !isEditingText()) {
        setCursor(m_interaction.hoverCursor(viewToCanvas(*m_hoverPoint)));
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

void AnnotationCanvas::paintEvent(QPaintEvent* event)
{
    if (m_layer->targetPixelSize() !=
        (CompositePreview::contentRect(m_presentation, m_zoom).size() * devicePixelRatioF()).toSize()) {
        updateLayerTarget(); // moved to a screen of another density
    }
    QPainter painter(this);
    painter.setClipRect(event->rect());
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    m_preview.paint(painter, m_presentation, displayBitmap(), m_zoom, devicePixelRatioF(), dark);

    painter.save();
    painter.scale(m_zoom, m_zoom);
    if (m_session) {
        ++m_paintSerial;
        AnnotationPainter::paintList(
            painter, m_session->annotations(),
            {.blur = m_session->blurSource(),
             .skip = m_interaction.editingTextId(),
             .selection = m_tools ? m_tools->selectedAnnotationIds() : QSet<QUuid>(),
             .provisional = m_interaction.provisionalAnnotations(),
             .keptBlurPatch = std::bind_front(&AnnotationCanvas::keptBlurPatch, this)});
    }
    if (m_tools) {
        const QColor accent = palette().color(QPalette::Highlight);
        if (const auto crop = m_tools->cropRect()) {
            AnnotationPainter::paintCropOverlay(painter, QRectF(QPointF(0, 0), canvasSize()), *crop, m_zoom,
                                                m_tools->selectedTool() == AnnotationTool::crop, accent);
        }
        if (m_session && m_tools->selectedTool() == AnnotationTool::select) {
            AnnotationPainter::paintSelectionChrome(painter, m_session->annotations(),
                                                    m_tools->selectedAnnotationIds(), m_zoom, accent);
        }
    }
    painter.restore();
}

const PixellatedPatch* AnnotationCanvas::keptBlurPatch(const BlurAnnotation& blur, const BlurSource& source)
{
    const BlurPatchKey key{source.image.cacheKey(), blur.rect(), source.origin, blur.pixelSize};
    auto entry = std::find_if(m_blurPatches.begin(), m_blurPatches.end(),
                              [&](const BlurPatchEntry& kept) { return kept.key == key; });
    if (entry == m_blurPatches.end()) {
        if (m_blurPatches.size() >= maxKeptBlurPatches) {
            m_blurPatches.erase(std::min_element(
                m_blurPatches.begin(), m_blurPatches.end(),
                [](const BlurPatchEntry& a, const BlurPatchEntry& b) { return a.lastUsed < b.lastUsed; }));
        }
        m_blurPatches.append({key, pixellatedPatch(blur, source), 0});
        entry = m_blurPatches.end() - 1;
    }
    entry->lastUsed = m_paintSerial;
    return entry->patch ? &*entry->patch : nullptr;
}

} // namespace velmora
