#include "canvas/InPlaceTextEditor.h"

#include "annotation/TextLayout.h"
#include "canvas/TextEditorField.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>

#include <cmath>

namespace velmora {

namespace {

bool isBoxStyle(TextStyle style)
{
    return style == TextStyle::box || style == TextStyle::roundedBox;
}

const QColor lightVeil(255, 255, 255, 166);
const QColor darkVeil(0, 0, 0, 140);
const QColor ringDark(0, 0, 0, 150);
const QColor ringLight(255, 255, 255, 200);

bool lightGlyphs(const QColor& colour)
{
    // Relative luminance, roughly: pale yellows count as light, saturated reds and blues as dark.
    return 0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF() > 0.6;
}

} // namespace

InPlaceTextEditor::InPlaceTextEditor(QWidget* canvas)
    : QWidget(canvas->parentWidget() ? canvas->parentWidget() : canvas), m_canvas(canvas),
      m_field(new TextEditorField(this))
{
    if (parentWidget() != canvas) {
        canvas->installEventFilter(this);
    }
    setFocusProxy(m_field);
    setCursor(Qt::IBeamCursor);
    m_field->move(padding, padding);
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(palette);

    connect(m_field, &QTextEdit::textChanged, this, [this] {
        if (m_settingText) {
            return;
        }
        // A huge paste is cut to what an annotation holds, rather than stalling every layout.
        if (text().size() > maxAnnotationTextLength) {
            const QScopedValueRollback settingText(m_settingText, true);
            QTextCursor cursor(m_field->document());
            cursor.setPosition(int(maxAnnotationTextLength));
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            m_field->moveCursor(QTextCursor::End);
            QApplication::beep();
        }
        Q_EMIT textEdited(text());
    });
    // The field grows line by line as the text does; the layout reports every change of height.
    connect(m_field->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &InPlaceTextEditor::updateGeometryFromContent);
    connect(m_field, &TextEditorField::commitKeyPressed, this, [this] { requestCommit(true); });
    connect(m_field, &TextEditorField::focusLost, this, [this] { requestCommit(false); });
    connect(m_field, &TextEditorField::focusGained, this, [this] { m_commitRequested = false; });
    updateGeometryFromContent();
}

InPlaceTextEditor::~InPlaceTextEditor()
{
    // The field outlives this part of the object while the widget base tears it down.
    disconnect(m_field, nullptr, this, nullptr);
}

QString InPlaceTextEditor::text() const
{
    return m_field->toPlainText();
}

QFont InPlaceTextEditor::fieldFont() const
{
    // Annotation fonts are sized in canvas units (points at 72 dpi). The field is laid out at the
    // screen's logical dpi, so convert: glyphs fontSize × zoom device-independent pixels tall.
    QFont font = annotationFont(m_style, 12);
    const double dpi = m_field->logicalDpiY() > 0 ? m_field->logicalDpiY() : 96.0;
    font.setPointSizeF(std::max(m_pixelSize, 1.0) * 72.0 / dpi);
    return font;
}

bool InPlaceTextEditor::ownsKey(int key, Qt::KeyboardModifiers modifiers) const
{
    const QKeyEvent press(QEvent::KeyPress, key, modifiers);
    if (press.matches(QKeySequence::Undo)) {
        return m_field->document()->isUndoAvailable();
    }
    if (press.matches(QKeySequence::Redo)) {
        return m_field->document()->isRedoAvailable();
    }
    return false;
}

void InPlaceTextEditor::setAnnotation(const TextAnnotation& annotation, double zoom)
{
    const QScopedValueRollback settingText(m_settingText, true);
    if (annotation.id != m_id) {
        m_id = annotation.id;
        m_commitRequested = false;
    } else if (annotation.style != m_style || annotation.color.toQColor() != m_color ||
               annotation.fontSize != m_fontSize || annotation.hasWhiteStroke != m_hasWhiteStroke) {
        // A style picked while typing is a step of the editor's history. The field's own undo
        // must stop there, so Ctrl+Z takes back what was typed since and then that choice, in the
        // order the user did them, instead of the typing on both sides of it first.
        m_field->document()->clearUndoRedoStacks();
    }
    m_fontSize = annotation.fontSize;
    m_hasWhiteStroke = annotation.hasWhiteStroke;
    m_style = annotation.style;
    m_color = annotation.color.toQColor();
    m_centre = annotation.position * zoom;
    m_pixelSize = annotation.fontSize * zoom;
    // The field breaks lines where the canvas will: at the zoomed wrap width, or only at line breaks
    // for a text drawn at its natural width.
    const std::optional<double> wrap = annotation.wrapWidth();
    m_wrapWidth = wrap ? std::optional(*wrap * zoom) : std::nullopt;
    const QTextOption::WrapMode wrapMode =
        wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap;
    if (m_field->wordWrapMode() != wrapMode) {
        m_field->setWordWrapMode(wrapMode);
    }

    const QFont font = fieldFont();
    if (m_field->font() != font) {
        m_field->setFont(font);
    }
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Text, isBoxStyle(m_style) ? QColor(Qt::white) : m_color);
    m_field->setPalette(palette);
    QTextOption option = m_field->document()->defaultTextOption();
    if (option.alignment() != Qt::AlignHCenter) {
        option.setAlignment(Qt::AlignHCenter);
        m_field->document()->setDefaultTextOption(option);
    }

    // The canvas echoes every keystroke back; replacing equal text would put the caret at the end.
    if (annotation.text != text()) {
        m_field->setPlainText(annotation.text);
        m_field->moveCursor(QTextCursor::End);
    }
    updateGeometryFromContent();
    update();
}

double InPlaceTextEditor::fieldWidth() const
{
    if (m_wrapWidth) {
        return *m_wrapWidth;
    }
    // Room for the caret after the last glyph, which would otherwise be cut off.
    const double caret = 2;
    return std::max(defaultFieldWidth, std::ceil(m_field->document()->idealWidth()) + caret);
}

void InPlaceTextEditor::updateGeometryFromContent()
{
    if (m_updatingGeometry) {
        return;
    }
    m_updatingGeometry = true;
    // Width first: the height of the text depends on where it wraps.
    const int width = std::max(1, int(std::lround(fieldWidth())));
    if (m_field->width() != width) {
        m_field->resize(width, m_field->height());
    }
    const int height = std::max(1, int(std::ceil(m_field->document()->size().height())));
    m_field->resize(width, height);
    const QSize total(width + 2 * padding, height + 2 * padding);
    const QPoint onCanvas(int(std::lround(m_centre.x() - total.width() / 2.0)),
                          int(std::lround(m_centre.y() - total.height() / 2.0)));
    const bool beside = m_canvas && parentWidget() != m_canvas;
    setGeometry(QRect(beside ? m_canvas->mapTo(parentWidget(), onCanvas) : onCanvas, total));
    m_updatingGeometry = false;
}

void InPlaceTextEditor::requestCommit(bool explicitly)
{
    // The canvas ends editing by hiding or deleting the editor, which takes the focus away once
    // more: that must not ask a second time.
    if (!explicitly && m_commitRequested) {
        return;
    }
    m_commitRequested = true;
    Q_EMIT commitRequested();
}

void InPlaceTextEditor::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF bounds = rect();
    const double clipRadius = m_style == TextStyle::box ? 0.0 : 4.0;
    QPainterPath clip;
    clip.addRoundedRect(bounds, clipRadius, clipRadius);
    painter.setClipPath(clip);
    switch (m_style) {
    case TextStyle::box:
        painter.fillRect(bounds, m_color);
        break;
    case TextStyle::roundedBox: {
        const double radius = std::min(bounds.width(), bounds.height()) / 2;
        painter.setBrush(m_color);
        painter.drawRoundedRect(bounds, radius, radius);
        break;
    }
    default:
        // The glyphs lie straight on the picture, which may be any colour, even theirs: a veil of
        // the opposite lightness keeps them readable.
        painter.fillRect(bounds, lightGlyphs(m_color) ? darkVeil : lightVeil);
        break;
    }
    // A dark and a light hairline show where the field is on any picture, even before anything is
    // typed.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ringDark, 1));
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), clipRadius, clipRadius);
    painter.setPen(QPen(ringLight, 1));
    painter.drawRoundedRect(bounds.adjusted(1.5, 1.5, -1.5, -1.5), std::max(clipRadius - 1, 0.0),
                            std::max(clipRadius - 1, 0.0));
}

bool InPlaceTextEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Panning and zooming move the canvas under the field.
    if (watched == m_canvas && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        updateGeometryFromContent();
    }
    return QWidget::eventFilter(watched, event);
}

void InPlaceTextEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_commitRequested = false;
    m_field->setFocus(Qt::OtherFocusReason);
}

void InPlaceTextEditor::mousePressEvent(QMouseEvent* event)
{
    // A press on the padding belongs to the field; left alone it would reach the canvas, which
    // commits on any click.
    event->accept();
    m_field->setFocus(Qt::MouseFocusReason);
}

} // namespace velmora
