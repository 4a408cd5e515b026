#include "DevCanvasCommand.h"

#include "canvas/AnnotationCanvas.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorToolState.h"
#include "imaging/ImageDecoder.h"
#include "preferences/SettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

namespace velmora {

namespace {

// Stands in for the editor's live background behind a composite.
class Backdrop : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient gradient(QPointF(0, 0), QPointF(width(), height()));
        gradient.setColorAt(0, QColor(0x5b, 0x8d, 0xef));
        gradient.setColorAt(1, QColor(0xa7, 0x6c, 0xe8));
        painter.fillRect(rect(), gradient);
    }
};

class DevCanvasWindow : public QWidget
{
public:
    DevCanvasWindow(EditorSession& session, EditorToolState& tools, double zoom)
        : m_session(session), m_tools(tools), m_zoom(zoom)
    {
        setWindowTitle(QStringLiteral("Velmora canvas"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        m_scroll = new QScrollArea(this);
        m_scroll->setAlignment(Qt::AlignCenter);
        m_scroll->setWidgetResizable(false);
        m_scroll->setFocusPolicy(Qt::NoFocus);
        auto* backdrop = new Backdrop;
        m_canvas = new AnnotationCanvas(backdrop);
        m_scroll->setWidget(backdrop);
        layout->addWidget(m_scroll, 1);
        m_status = new QLabel(this);
        m_status->setContentsMargins(10, 4, 10, 4);
        layout->addWidget(m_status);

        m_canvas->setSession(&session);
        m_canvas->setToolState(&tools);
        connect(&session, &EditorSession::capturedImageChanged, this, [this] { present(); });
        connect(&session, &EditorSession::backgroundCompositeEnabledChanged, this, [this] { present(); });
        connect(&tools, &EditorToolState::selectedToolChanged, this, [this] { showStatus(); });
        connect(m_canvas, &AnnotationCanvas::hovered, this, [this](std::optional<QPointF> point) {
            m_hover = point ? std::optional(*point / m_zoom) : std::nullopt;
            showStatus();
        });
        present();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (m_canvas->isEditingText()) {
            return; // the text editor has the keys
        }
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        const int key = event->key();
        if (!ctrl && key >= Qt::Key_1 && key <= Qt::Key_8) {
            const auto tool = AnnotationTool(key - Qt::Key_1);
            if (tool != AnnotationTool::crop) {
                m_tools.setCropRect(std::nullopt);
            }
            m_tools.setSelectedTool(tool);
        } else if (ctrl && key == Qt::Key_Z) {
            shift ? m_session.redo() : m_session.undo();
        } else if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            deleteSelection();
        } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            applyCrop();
        } else if (key == Qt::Key_Escape) {
            m_tools.setCropRect(std::nullopt);
            m_tools.setSelectedAnnotationIds({});
        } else if (ctrl && (key == Qt::Key_Equal || key == Qt::Key_Plus)) {
            setZoom(std::min(m_zoom + 1, 10.0));
        } else if (ctrl && key == Qt::Key_Minus) {
            setZoom(std::max(m_zoom - 1, 1.0));
        } else {
            QWidget::keyPressEvent(event);
            return;
        }
        showStatus();
    }

private:
    void present()
    {
        const bool composite = m_session.isCompositeShown();
        CanvasPresentation presentation;
        presentation.image = m_session.capturedImage();
        presentation.canvasSize = m_session.displaySize();
        if (composite) {
            const CompositeGeometry geometry = m_session.compositeGeometry();
            const double offset = geometry.contentOffset();
            const double shadow = m_session.windowCaptureShadow();
            presentation.imageOrigin = QPointF(offset, offset);
            presentation.contentCornerRadius = m_session.contentCornerRadius();
            presentation.contentInset = geometry.insetPoints();
            presentation.contentShadowRadius = shadow;
            presentation.contentShadowOpacity = std::min(std::max(shadow / 24, 0.0), 1.5) * 0.8;
            presentation.showsTransparencyBacking = false;
        }
        presentation.contentInsetColor = m_session.contentEdgeColor();
        m_canvas->setPresentation(presentation);
        m_canvas->setZoom(m_zoom);
        layoutCanvas();
        showStatus();
    }

    void setZoom(double zoom)
    {
        m_zoom = zoom;
        m_canvas->setZoom(zoom);
        layoutCanvas();
    }

    // The canvas sits in the middle of a margin of backdrop, as in the editor.
    void layoutCanvas()
    {
        constexpr int margin = 40;
        const QSize size = m_canvas->sizeHint();
        m_canvas->resize(size);
        m_canvas->move(margin, margin);
        m_scroll->widget()->resize(size + QSize(2 * margin, 2 * margin));
    }

    void deleteSelection()
    {
        const QSet<QUuid> ids = m_tools.selectedAnnotationIds();
        if (ids.isEmpty()) {
            return;
        }
        m_session.pushUndo();
        AnnotationList kept;
        for (const Annotation& annotation : m_session.annotations()) {
            if (!ids.contains(annotationId(annotation))) {
                kept.append(annotation);
            }
        }
        m_session.setAnnotations(kept);
        m_tools.setSelectedAnnotationIds({});
    }

    void applyCrop()
    {
        const auto crop = m_tools.cropRect();
        if (!crop || crop->width() <= 5 || crop->height() <= 5) {
            return;
        }
        m_session.pushUndo();
        if (m_session.isCompositeShown()) {
            m_session.cropComposite(*crop);
        } else {
            m_session.crop(*crop);
        }
        m_tools.setCropRect(std::nullopt);
        m_tools.setSelectedTool(AnnotationTool::arrow);
    }

    void showStatus()
    {
        QString text = QStringLiteral("%1   %2%   %3 annotations   1 arrow · 2 text · 3 rect · 4 ellipse · "
                                      "5 draw · 6 blur · 7 select · 8 crop · Ctrl+Z undo")
                           .arg(rawValue(m_tools.selectedTool()))
                           .arg(qRound(m_zoom * 100))
                           .arg(m_session.annotations().size());
        if (m_hover) {
            text += QStringLiteral("   (%1, %2)").arg(m_hover->x(), 0, 'f', 1).arg(m_hover->y(), 0, 'f', 1);
        }
        m_status->setText(text);
    }

    EditorSession& m_session;
    EditorToolState& m_tools;
    double m_zoom;
    QScrollArea* m_scroll = nullptr;
    AnnotationCanvas* m_canvas = nullptr;
    QLabel* m_status = nullptr;
    std::optional<QPointF> m_hover;
};

int fail(const QString& message)
{
    std::fprintf(stderr, "velmora-dev-canvas: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int runDevCanvas(const QStringList& arguments)
{
    // Widgets need a QApplication; make one when the caller has not.
    static int argc = 1;
    static char name[] = "velmora-dev-canvas";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> ownApp;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        if (QCoreApplication::instance()) {
            return fail(QStringLiteral("needs a widgets application"));
        }
        ownApp = std::make_unique<QApplication>(argc, argv);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The annotation canvas on an image, for development."));
    const QCommandLineOption zoomOption(QStringLiteral("zoom"),
                                        QStringLiteral("View points per canvas point."), QStringLiteral("Z"),
                                        QStringLiteral("1"));
    const QCommandLineOption compositeOption(QStringLiteral("composite"),
                                             QStringLiteral("Show the capture on a background."));
    const QCommandLineOption paddingOption(QStringLiteral("padding"), QStringLiteral("Composite padding."),
                                           QStringLiteral("P"), QStringLiteral("40"));
    const QCommandLineOption insetOption(QStringLiteral("inset"), QStringLiteral("Inset plate width."),
                                         QStringLiteral("I"), QStringLiteral("0"));
    const QCommandLineOption radiusOption(QStringLiteral("radius"), QStringLiteral("Corner radius."),
                                          QStringLiteral("R"), QStringLiteral("12"));
    const QCommandLineOption shadowOption(QStringLiteral("shadow"), QStringLiteral("Shadow setting."),
                                          QStringLiteral("D"), QStringLiteral("14"));
    parser.addOptions({zoomOption, compositeOption, paddingOption, insetOption, radiusOption, shadowOption});
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The image to annotate."));
    if (!parser.parse(arguments)) {
        return fail(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fprintf(stdout, "%s", qPrintable(parser.helpText()));
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return fail(QStringLiteral("give one image file"));
    }
    const auto number = [&](const QCommandLineOption& option, double low,
                            double high) -> std::optional<double> {
        bool ok = false;
        const double value = parser.value(option).toDouble(&ok);
        return ok && value >= low && value <= high ? std::optional(value) : std::nullopt;
    };
    const auto zoom = number(zoomOption, 0.1, 10);
    const auto padding = number(paddingOption, 0, 500);
    const auto inset = number(insetOption, 0, 200);
    const auto radius = number(radiusOption, 0, 500);
    const auto shadow = number(shadowOption, 0, 100);
    if (!zoom || !padding || !inset || !radius || !shadow) {
        return fail(
            QStringLiteral("zoom must lie in 0.1…10; padding, inset, radius and shadow must be numbers "
                           "in their ranges"));
    }
    const auto image = decodeImageFile(positional.constFirst());
    if (!image) {
        return fail(QStringLiteral("cannot read the image \"%1\"").arg(positional.constFirst()));
    }

    // Nothing of this session reaches the user's settings or wallpapers.
    QTemporaryDir scratch;
    MemorySettingsStore settings;
    BackgroundAssetStore wallpapers(scratch.filePath(QStringLiteral("wallpapers")));
    const bool composite = parser.isSet(compositeOption);
    std::optional<CaptureBackgroundAssets> assets;
    if (composite) {
        assets = CaptureBackgroundAssets{*image, std::nullopt, *padding, true};
    }
    EditorSession session(*image, CaptureKind::region, assets, composite, {settings, wallpapers});
    if (composite) {
        session.setBackgroundCompositeEnabled(true);
        session.setContentPadding(*padding);
        session.setContentInset(*inset);
        session.setContentCornerRadius(*radius);
        session.setWindowCaptureShadow(*shadow);
    }
    EditorToolState tools(settings);

    DevCanvasWindow window(session, tools, *zoom);
    window.resize(1200, 800);
    window.show();
    return QApplication::exec();
}

} // namespace velmora
