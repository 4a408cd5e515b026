#include "canvas/CanvasInteraction.h"

#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"

namespace velmora {

void CanvasInteraction::setSession(EditorSession* session)
{
    m_session = session;
}

void CanvasInteraction::setToolState(EditorToolState* tools)
{
    m_tools = tools;
}

AnnotationList CanvasInteraction::annotations() const
{
    return m_session ? m_session->annotations() : AnnotationList();
}

void CanvasInteraction::setAnnotations(const AnnotationList& annotations)
{
    if (m_session) {
        m_session->setAnnotations(annotations);
    }
}

QSet<QUuid> CanvasInteraction::selection() const
{
    return m_tools ? m_tools->selectedAnnotationIds() : QSet<QUuid>();
}

void CanvasInteraction::setSelection(const QSet<QUuid>& ids)
{
    if (m_tools) {
        m_tools->setSelectedAnnotationIds(ids);
    }
}

AnnotationTool CanvasInteraction::tool() const
{
    return m_tools ? m_tools->selectedTool() : AnnotationTool::select;
}

void CanvasInteraction::setTool(AnnotationTool tool)
{
    if (!m_tools) {
        return;
    }
    // Our own switches must not look like the user picking a tool elsewhere.
    m_changingTool = true;
    m_tools->setSelectedTool(tool);
    m_changingTool = false;
}

void CanvasInteraction::pushUndo()
{
    if (m_session) {
        m_session->pushUndo();
    }
}

std::optional<QRectF> CanvasInteraction::cropRect() const
{
    return m_tools ? m_tools->cropRect() : std::nullopt;
}

void CanvasInteraction::setCropRect(const std::optional<QRectF>& rect)
{
    if (m_tools) {
        m_tools->setCropRect(rect);
    }
}

std::optional<QUuid> CanvasInteraction::singleSelectedId() const
{
    const QSet<QUuid> ids = selection();
    if (ids.size() != 1 || !findAnnotation(annotations(), *ids.begin())) {
        return std::nullopt;
    }
    return *ids.begin();
}

void CanvasInteraction::selectAutomatically(const QUuid& id, AnnotationTool fromTool)
{
    setSelection({id});
    m_toolBeforeAutoSelect = fromTool;
    setTool(AnnotationTool::select);
}

void CanvasInteraction::handleTap(const QPointF& p, bool shiftHeld)
{
    if (m_editingTextId) {
        commitTextAnnotation(*m_editingTextId);
    }
    switch (const AnnotationTool current = tool()) {
    case AnnotationTool::text:
        tapWithText(p);
        return;
    case AnnotationTool::arrow:
    case AnnotationTool::rect:
    case AnnotationTool::ellipse:
    case AnnotationTool::draw:
    case AnnotationTool::blur:
        if (const auto hit = hitTest(annotations(), p)) {
            selectAutomatically(*hit, current);
        }
        return;
    case AnnotationTool::select:
        tapWithSelect(p, shiftHeld);
        return;
    case AnnotationTool::crop:
        if (const auto crop = cropRect(); !crop || !rectContainsPoint(*crop, p)) {
            setCropRect(std::nullopt);
        }
        return;
    }
}

void CanvasInteraction::tapWithText(const QPointF& p)
{
    const AnnotationList list = annotations();
    if (const auto hit = hitTest(list, p)) {
        if (std::holds_alternative<TextAnnotation>(*findAnnotation(list, *hit))) {
            if (selection() == QSet<QUuid>{*hit}) {
                activateTextEditingIfNeeded(*hit);
            } else {
                selectAutomatically(*hit, AnnotationTool::text);
            }
        }
        return;
    }
    if (!m_session || !m_tools) {
        return;
    }
    pushUndo();
    TextAnnotation text;
    text.id = QUuid::createUuid();
    text.position = p;
    text.fontSize = m_session->fontSize();
    text.color = m_tools->annotationColor();
    text.isEditing = true;
    text.hasWhiteStroke = m_tools->annotationHasWhiteStroke();
    text.style = m_session->textStyle();
    AnnotationList next = list;
    next.append(text);
    m_editingTextId = text.id;
    setAnnotations(next);
}

void CanvasInteraction::tapWithSelect(const QPointF& p, bool shiftHeld)
{
    const AnnotationList list = annotations();
    const auto hit = hitTest(list, p);
    if (!hit) {
        if (!shiftHeld) {
            setSelection({});
            if (const auto back = m_toolBeforeAutoSelect) {
                m_toolBeforeAutoSelect.reset();
                setTool(*back);
            }
        }
        return;
    }
    QSet<QUuid> ids = selection();
    if (shiftHeld) {
        if (!ids.remove(*hit)) {
            ids.insert(*hit);
        }
        setSelection(ids);
        return;
    }
    const bool isText = std::holds_alternative<TextAnnotation>(*findAnnotation(list, *hit));
    if (ids == QSet<QUuid>{*hit} && isText) {
        activateTextEditingIfNeeded(*hit);
    } else {
        setSelection({*hit});
    }
}

QCursor CanvasInteraction::cursorForHandle(ResizeHandle handle)
{
    switch (handle) {
    case ResizeHandle::top:
    case ResizeHandle::bottom:
        return Qt::SizeVerCursor;
    case ResizeHandle::left:
    case ResizeHandle::right:
    case ResizeHandle::textLeft:
    case ResizeHandle::textRight:
        return Qt::SizeHorCursor;
    case ResizeHandle::arrowStart:
    case ResizeHandle::arrowEnd:
        return Qt::CrossCursor;
    case ResizeHandle::topLeft:
    case ResizeHandle::bottomRight:
        return Qt::SizeFDiagCursor;
    case ResizeHandle::topRight:
    case ResizeHandle::bottomLeft:
        return Qt::SizeBDiagCursor;
    }
    return Qt::ArrowCursor;
}

QCursor CanvasInteraction::hoverCursor(const QPointF& p) const
{
    switch (tool()) {
    case AnnotationTool::select:
        if (const auto id = singleSelectedId()) {
            if (const auto handle = hitTestHandle(*findAnnotation(annotations(), *id), p, m_zoom)) {
                return cursorForHandle(*handle);
            }
        }
        return Qt::ArrowCursor;
    case AnnotationTool::crop: {
        const auto crop = cropRect();
        if (!crop) {
            return Qt::CrossCursor;
        }
        if (const auto handle = hitTestHandle(*crop, p, m_zoom)) {
            return cursorForHandle(*handle);
        }
        return rectContainsPoint(*crop, p) ? Qt::OpenHandCursor : Qt::CrossCursor;
    }
    default:
        return Qt::CrossCursor;
    }
}

bool CanvasInteraction::activateTextEditingIfNeeded(const QUuid& id)
{
    AnnotationList list = annotations();
    const qsizetype index = indexOfAnnotation(list, id);
    auto* text = index >= 0 ? std::get_if<TextAnnotation>(&list[index]) : nullptr;
    if (!text) {
        return false;
    }
    text->isEditing = true;
    m_editingTextId = id;
    setSelection({});
    setAnnotations(list);
    return true;
}

void CanvasInteraction::commitTextAnnotation(const QUuid& id)
{
    AnnotationList list = annotations();
    const qsizetype index = indexOfAnnotation(list, id);
    auto* text = index >= 0 ? std::get_if<TextAnnotation>(&list[index]) : nullptr;
    // A late request from an editor that already closed changes nothing.
    if (!text || (!text->isEditing && m_editingTextId != id)) {
        if (m_editingTextId == id) {
            m_editingTextId.reset();
        }
        return;
    }
    m_editingTextId.reset();
    text->isEditing = false;
    if (text->text.isEmpty()) {
        list.removeAt(index);
        setAnnotations(list);
        return;
    }
    setAnnotations(list);
    setSelection({id});
    if (!m_toolBeforeAutoSelect) {
        m_toolBeforeAutoSelect = tool();
    }
    setTool(AnnotationTool::select);
}

QString CanvasInteraction::textForAnnotation(const QUuid& id) const
{
    const AnnotationList list = annotations();
    const Annotation* annotation = findAnnotation(list, id);
    const auto* text = annotation ? std::get_if<TextAnnotation>(annotation) : nullptr;
    return text ? text->text : QString();
}

void CanvasInteraction::updateTextAnnotation(const QUuid& id, const QString& value)
{
    AnnotationList list = annotations();
    const qsizetype index = indexOfAnnotation(list, id);
    auto* text = index >= 0 ? std::get_if<TextAnnotation>(&list[index]) : nullptr;
    if (!text || text->text == value) {
        return;
    }
    text->text = value;
    setAnnotations(list);
}

} // namespace velmora
