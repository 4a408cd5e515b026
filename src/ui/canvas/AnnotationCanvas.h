#pragma once

#include "annotation/AnnotationPainter.h"
#include "canvas/CanvasInteraction.h"
#include "canvas/CompositePreview.h"
#include "canvas/InPlaceTextEditor.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace velmora {

class ScreenshotLayerImageView;

// The view in the middle of the editor on which the capture is shown and annotated. It paints the
// live composite preview, the annotations (with the one annotation painter the export uses), the
// drag in progress, the crop overlay and the selection chrome, all at the zoom; and it turns
// pointer input into changes of the session and the tool state. Its size is the canvas size times
// the zoom; the editor window places and scrolls it. Keys are the editor window's.
class AnnotationCanvas : public QWidget
{
    Q_OBJECT

public:
    // A press becomes a drag once the pointer has moved this far, in view points.
    static constexpr double dragThreshold = 3;

    explicit AnnotationCanvas(QWidget* parent = nullptr);
    ~AnnotationCanvas() override;

    void setSession(EditorSession* session);
    EditorSession* session() const { return m_session; }
    void setToolState(EditorToolState* tools);
    EditorToolState* toolState() const { return m_tools; }
    void setPresentation(const CanvasPresentation& presentation);
    const CanvasPresentation& presentation() const { return m_presentation; }
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }

    // Canvas points; the capture's size unless the presentation gives a larger canvas.
    QSizeF canvasSize() const { return m_presentation.resolvedCanvasSize(); }
    QPointF viewToCanvas(const QPointF& viewPoint) const { return viewPoint / m_zoom; }
    QSize sizeHint() const override;

    // Text editing.
    bool isEditingText() const { return m_interaction.editingTextId().has_value(); }
    std::optional<QUuid> editingTextId() const { return m_interaction.editingTextId(); }
    bool activateTextEditingIfNeeded(const QUuid& id);
    void commitTextAnnotation(const QUuid& id);
    // The open text editor, while a text is being edited.
    InPlaceTextEditor* textEditor() const { return m_textEditor; }

    const CanvasInteraction& interaction() const { return m_interaction; }

Q_SIGNALS:
    // The pointer's position over the canvas in view coordinates; nothing when it left.
    void hovered(std::optional<QPointF> viewPoint);
    void textEditingChanged(bool editing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    template <class F> void interact(F&& step);
    void syncTextEditor();
    // Ends the editing state of texts the canvas is not editing; true when that changed the list.
    bool settleStaleEditingTexts();
    void closeTextEditor();
    void sessionAnnotationsChanged();
    void toolChanged();
    void refreshCursor();
    void updateSize();
    void updateLayerTarget();
    QImage displayBitmap() const;
    const PixellatedPatch* keptBlurPatch(const BlurAnnotation& blur, const BlurSource& source);

    QPointer<EditorSession> m_session;
    QPointer<EditorToolState> m_tools;
    CanvasPresentation m_presentation;
    double m_zoom = 1;

    CanvasInteraction m_interaction;
    CompositePreview m_preview;
    ScreenshotLayerImageView* m_layer = nullptr;
    QPointer<InPlaceTextEditor> m_textEditor;
    QList<QMetaObject::Connection> m_sessionConnections;
    QList<QMetaObject::Connection> m_toolConnections;

    // The press in progress, in view points; a drag once it has moved past the threshold.
    std::optional<QPointF> m_pressPoint;
    bool m_isDragging = false;
    // A press while a text is edited can only commit it.
    bool m_pressWhileEditing = false;
    std::optional<QPointF> m_hoverPoint;

    // Pixellated blur boxes, so that repaints during a drag do not pixellate again.
    struct BlurPatchKey
    {
        qint64 imageKey = 0;
        QRectF box;
        QPointF origin;
        double pixelSize = 0;
        bool operator==(const BlurPatchKey&) const = default;
    };
    struct BlurPatchEntry
    {
        BlurPatchKey key;
        std::optional<PixellatedPatch> patch;
        quint64 lastUsed = 0;
    };
    QVector<BlurPatchEntry> m_blurPatches;
    quint64 m_paintSerial = 0;
};

} // namespace velmora
