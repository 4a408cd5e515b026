#include "CaptureFlows.h"

#include "AppState.h"
#include "CaptureJob.h"
#include "ClipboardWriter.h"
#include "Platform.h"
#include "capture/CenterColor.h"
#include "editor/EditorSession.h"
#include "editor/EditorWindow.h"
#include "shell/PillNotification.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace velmora {

CaptureFlows::CaptureFlows(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    qRegisterMetaType<CaptureResult>();
    if (!m_services.copyText && m_services.editors) {
        AppState* editors = m_services.editors;
        m_services.copyText = [editors](const QString& text) { editors->clipboard().copyText(text); };
    }
    if (!m_services.beep) {
        m_services.beep = [] { QApplication::beep(); };
    }
    if (!m_services.screens) {
        m_services.screens = [] { return ScreenLayout::current(); };
    }
    if (!m_services.pointer) {
        m_services.pointer = [] { return QPointF(QCursor::pos()); };
    }
    if (m_services.editors) {
        // An editor is where the keyboard went; once the last one closes it goes back.
        connect(m_services.editors, &AppState::lastEditorClosed, this, &CaptureFlows::restoreFocus);
    }
}

bool CaptureFlows::begin()
{
    if (m_busy) {
        return false;
    }
    m_busy = true;
    captureCurrentFocus();
    return true;
}

bool CaptureFlows::startRegionCapture(RegionCaptureMode mode)
{
    if (!begin()) {
        return false;
    }
    m_regionMode = mode;
    const ScreenLayout layout = m_services.screens();
    CaptureJob* job = m_services.platform.capture->grabScreens(layout.screens());
    connect(job, &CaptureJob::failed, this, [this](const QString& message) {
        m_services.beep();
        fail(message);
    });
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this, [this, job, layout, mode] {
        QPointer<CaptureFlows> self(this);
        const auto pickerMode =
            mode == RegionCaptureMode::color ? RegionPicker::Mode::color : RegionPicker::Mode::region;
        m_services.pickers.pickRegion(
            pickerMode, layout, job->images(),
            [self](const QImage& crop, int screenIndex, const QRect&) {
                if (self) {
                    self->regionPicked(crop, screenIndex);
                }
            },
            [self] {
                if (self) {
                    self->dropFocus();
                    self->end(CaptureResult::cancelled());
                }
            });
    });
    return true;
}

void CaptureFlows::regionPicked(const QImage& crop, int screenIndex)
{
    if (m_regionMode == RegionCaptureMode::color) {
        copyCenterColor(crop);
        return;
    }
    if (m_regionMode == RegionCaptureMode::ocr) {
        recognizeText(crop);
        return;
    }
    const ScreenLayout layout = m_services.screens();
    openRegionEditor(crop, layout.screens().value(screenIndex));
}

void CaptureFlows::copyCenterColor(const QImage& image)
{
    const std::optional<QString> hex = centerHexColor(image);
    CaptureResult result = CaptureResult::failure(QStringLiteral("the picked area has no colour"));
    result.image = image;
    if (hex) {
        if (m_services.copyText) {
            m_services.copyText(*hex);
        }
        if (m_services.pill) {
            m_services.pill->show(QStringLiteral("Color hex copied"), 1.2);
        }
        result = CaptureResult::captured(image);
        result.hex = *hex;
    } else {
        m_services.beep();
    }
    restoreFocus();
    end(result);
}

void CaptureFlows::recognizeText(const QImage& image)
{
    if (!m_services.recognizeText) {
        copyRecognizedText(image, {std::nullopt, true});
        return;
    }
    // The flow stays busy until the text is in: a second capture would race for the clipboard.
    m_services.recognizeText(image, this, [this, image](const TextRecognition& recognition) {
        copyRecognizedText(image, recognition);
    });
}

void CaptureFlows::copyRecognizedText(const QImage& image, const TextRecognition& recognition)
{
    CaptureResult result;
    if (recognition.text) {
        if (m_services.copyText) {
            m_services.copyText(*recognition.text);
        }
        if (m_services.pill) {
            m_services.pill->show(QStringLiteral("Text copied"), 1.2);
        }
        result = CaptureResult::captured(image);
        result.text = *recognition.text;
    } else {
        m_services.beep();
        if (recognition.unavailable) {
            result = CaptureResult::failure(QStringLiteral(
                "text recognition is not available (the OCR module or its language data is missing)"));
        } else {
            result = CaptureResult::failure(QStringLiteral("no text was recognised in the picked area"));
            result.status = CaptureResult::Status::empty;
            result.image = image;
        }
    }
    restoreFocus();
    end(result);
}

bool CaptureFlows::startFullScreenCapture()
{
    if (!begin()) {
        return false;
    }
    const ScreenLayout layout = m_services.screens();
    if (layout.isEmpty()) {
        m_services.beep();
        fail(QStringLiteral("no screen to capture"));
        return true;
    }
    const ScreenGeometry screen = layout.screens().value(screenUnderPointer(layout).value_or(0));
    CaptureJob* job = m_services.platform.capture->grabScreens({screen});
    connect(job, &CaptureJob::failed, this, [this](const QString& message) {
        m_services.beep();
        fail(message);
    });
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this, [this, job, screen] { openRegionEditor(job->image(), screen); });
    return true;
}

bool CaptureFlows::startAreaCapture(const QRect& native)
{
    if (!begin()) {
        return false;
    }
    const ScreenLayout layout = m_services.screens();
    const QRect shown = layout.clipToScreens(native);
    if (shown.isEmpty()) {
        fail(QStringLiteral("the area %1x%2+%3+%4 lies off every screen")
                 .arg(native.width())
                 .arg(native.height())
                 .arg(native.x())
                 .arg(native.y()));
        return true;
    }
    const ScreenGeometry screen = layout.screens().value(layout.screenAtNative(shown.center()).value_or(0));
    CaptureJob* job = m_services.platform.capture->grabArea(shown);
    connect(job, &CaptureJob::failed, this, &CaptureFlows::fail);
    connect(job, &CaptureJob::cancelled, this, [this] { end(CaptureResult::cancelled()); });
    connect(job, &CaptureJob::done, this, [this, job, screen] {
        QImage image = job->image();
        image.setDevicePixelRatio(screen.devicePixelRatio);
        openRegionEditor(image, screen);
    });
    return true;
}

void CaptureFlows::openRegionEditor(const QImage& image, const ScreenGeometry& screen)
{
    presentRegionEditor(image, screen);
    end(CaptureResult::captured(image));
}

void CaptureFlows::openImageInEditor(const QImage& image, bool backgroundAssets)
{
    if (!backgroundAssets) {
        presentRegionEditor(image, std::nullopt);
        return;
    }
    const ScreenLayout layout = m_services.screens();
    presentRegionEditor(image, layout.screens().value(screenUnderPointer(layout).value_or(0)));
}

// `screen`: the screen whose desktop picture the editor's wallpaper background shows; without
// one, the editor gets no background assets at all.
void CaptureFlows::presentRegionEditor(const QImage& image, const std::optional<ScreenGeometry>& screen)
{
    if (!m_services.editors) {
        return;
    }
    const ScreenLayout layout = m_services.screens();
    AppState::OpenOptions options;
    options.kind = CaptureKind::region;
    if (const auto under = screenUnderPointer(layout)) {
        options.preferredScreen = qtScreen(layout.screens()[*under]);
    }
    if (screen) {
        options.assets = CaptureBackgroundAssets{image, std::nullopt, capturePadding, true};
    }
    options.backgroundEnabledByDefault = false;
    EditorSession& session = m_services.editors->openEditor(image, options)->session();
    if (screen) {
        installDesktopWallpaperLoader(session, m_services.wallpaper, *screen, sizeInPoints(image));
    }
}

void CaptureFlows::fail(const QString& message)
{
    dropFocus();
    end(CaptureResult::failure(message));
}

void CaptureFlows::end(CaptureResult result)
{
    m_busy = false;
    m_regionMode = RegionCaptureMode::editor;
    Q_EMIT finished(result);
}

std::optional<int> CaptureFlows::screenUnderPointer(const ScreenLayout& layout) const
{
    return layout.screenAt(m_services.pointer());
}

QScreen* CaptureFlows::qtScreen(const ScreenGeometry& screen) const
{
    for (QScreen* candidate : QGuiApplication::screens()) {
        if (candidate->name() == screen.name && candidate->geometry() == screen.geometry) {
            return candidate;
        }
    }
    return nullptr;
}

void CaptureFlows::captureCurrentFocus()
{
    if (m_focusSnapshot) {
        return;
    }
    if (const quint32 active = m_services.platform.focus->activeWindow()) {
        m_focusSnapshot = active;
    }
}

void CaptureFlows::restoreFocus()
{
    if (const auto window = std::exchange(m_focusSnapshot, std::nullopt)) {
        m_services.platform.focus->activate(*window);
    }
}

} // namespace velmora
