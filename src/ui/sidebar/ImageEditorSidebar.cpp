#include "sidebar/ImageEditorSidebar.h"

#include "UiLog.h"
#include "editor/BackgroundAssetStore.h"
#include "editor/EditorSession.h"
#include "editor/EditorSettings.h"
#include "editor/EditorToolState.h"
#include "sidebar/SidebarBackgroundPickerRow.h"
#include "sidebar/SidebarSliderRow.h"

#include <QColorDialog>
#include <QEvent>
#include <QFileDialog>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

struct ImageEditorSidebar::SliderBinding
{
    QString label;
    const NumberSetting& setting;
    double (EditorSession::*get)() const;
    void (EditorSession::*set)(double);
    void (EditorSession::*changed)();
};

ImageEditorSidebar::ImageEditorSidebar(EditorSession* session, EditorToolState* toolState, QWidget* parent)
    : QWidget(parent), m_session(session), m_toolState(toolState), m_chooseWallpapers(&chooseWallpaperFiles)
{
    Q_ASSERT(session);
    setFixedWidth(sidebarWidth);

    auto* outer = new QVBoxLayout(this);
    // One point on the left for the separator line drawn in paintEvent().
    outer->setContentsMargins(1, 0, 0, 0);
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    outer->addWidget(m_scrollArea);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);

    m_pixelSizeRow =
        addSliderRow(content, {tr("Pixel Size"), EditorSettings::blurRadius, &EditorSession::blurRadius,
                               &EditorSession::setBlurRadius, &EditorSession::blurRadiusChanged});
    layout->addWidget(m_pixelSizeRow);

    m_backgroundControls = new QWidget(content);
    auto* background = new QVBoxLayout(m_backgroundControls);
    background->setContentsMargins(0, 0, 0, 0);
    background->setSpacing(14);
    const SliderBinding bindings[] = {
        {tr("Corner Radius"), EditorSettings::cornerRadius, &EditorSession::contentCornerRadius,
         &EditorSession::setContentCornerRadius, &EditorSession::contentCornerRadiusChanged},
        {tr("Padding"), EditorSettings::padding, &EditorSession::contentPadding,
         &EditorSession::setContentPadding, &EditorSession::contentPaddingChanged},
        {tr("Inset"), EditorSettings::inset, &EditorSession::contentInset, &EditorSession::setContentInset,
         &EditorSession::contentInsetChanged},
        {tr("Shadow"), EditorSettings::shadow, &EditorSession::windowCaptureShadow,
         &EditorSession::setWindowCaptureShadow, &EditorSession::windowCaptureShadowChanged},
        {tr("Background Image Blur"), EditorSettings::backgroundBlur,
         &EditorSession::windowCaptureBackgroundBlur, &EditorSession::setWindowCaptureBackgroundBlur,
         &EditorSession::windowCaptureBackgroundBlurChanged},
    };
    for (const SliderBinding& binding : bindings) {
        background->addWidget(addSliderRow(m_backgroundControls, binding));
    }

    background->addSpacing(4);
    m_picker = new SidebarBackgroundPickerRow(m_backgroundControls);
    background->addWidget(m_picker);

    auto* reset = new QPushButton(tr("Reset"), m_backgroundControls);
    reset->setToolTip(tr("Reset background settings to defaults"));
    reset->setAutoDefault(false);
    m_resetButton = reset;
    background->addSpacing(2);
    background->addWidget(reset);

    layout->addWidget(m_backgroundControls);
    layout->addStretch(1);
    m_scrollArea->setWidget(content);

    connect(m_picker, &SidebarBackgroundPickerRow::selectionPicked, session,
            &EditorSession::setBackgroundSelection);
    connect(m_picker, &SidebarBackgroundPickerRow::addCustomColorRequested, this,
            &ImageEditorSidebar::addCustomColor);
    connect(m_picker, &SidebarBackgroundPickerRow::removeCustomColorRequested, session,
            &EditorSession::removeCustomBackgroundColor);
    connect(m_picker, &SidebarBackgroundPickerRow::addWallpaperRequested, this,
            &ImageEditorSidebar::addWallpapers);
    connect(m_picker, &SidebarBackgroundPickerRow::removeWallpaperRequested, session,
            &EditorSession::removeWallpaper);
    connect(reset, &QAbstractButton::clicked, session, &EditorSession::resetSidebarSettings);

    connect(session, &EditorSession::backgroundSelectionChanged, this,
            [this] { m_picker->setSelection(m_session->backgroundSelection()); });
    connect(session, &EditorSession::customBackgroundColorsChanged, this,
            [this] { m_picker->setCustomColors(m_session->customBackgroundColors()); });
    connect(session, &EditorSession::userWallpaperItemsChanged, this,
            [this] { m_picker->setUserWallpapers(m_session->userWallpaperItems()); });
    connect(session, &EditorSession::capturedImageChanged, this, &ImageEditorSidebar::refreshPicker);
    connect(session, &EditorSession::backgroundAssetsChanged, this, [this] {
        refreshPicker();
        updateVisibility();
    });
    connect(session, &EditorSession::backgroundCompositeEnabledChanged, this,
            &ImageEditorSidebar::updateVisibility);
    if (toolState) {
        connect(toolState, &EditorToolState::selectedToolChanged, this,
                &ImageEditorSidebar::updateVisibility);
    }

    m_picker->setCustomColors(session->customBackgroundColors());
    m_picker->setUserWallpapers(session->userWallpaperItems());
    m_picker->setSelection(session->backgroundSelection());
    updateVisibility();
}

ImageEditorSidebar::~ImageEditorSidebar()
{
    if (m_colorDialog) {
        m_colorDialog->removeEventFilter(this);
    }
}

SidebarSliderRow* ImageEditorSidebar::addSliderRow(QWidget* container, const SliderBinding& binding)
{
    auto* row =
        new SidebarSliderRow(binding.label, binding.setting.minimum, binding.setting.maximum, container);
    row->setValue((m_session->*binding.get)());
    const auto get = binding.get;
    const auto set = binding.set;
    // The row does not echo values it is given, so these two never chase each other.
    connect(m_session, binding.changed, row, [this, row, get] { row->setValue((m_session->*get)()); });
    connect(row, &SidebarSliderRow::valueEdited, m_session,
            [this, set](double value) { (m_session->*set)(value); });
    m_rows.append(row);
    return row;
}

void ImageEditorSidebar::setWallpaperChooser(WallpaperChooser chooser)
{
    m_chooseWallpapers = std::move(chooser);
}

QList<QUrl> ImageEditorSidebar::chooseWallpaperFiles(QWidget* parent)
{
    // Only what the import accepts, so a picture that could never be drawn is not offered.
    QStringList patterns;
    for (const QString& lower : BackgroundAssetStore::acceptedExtensions()) {
        patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    const QUrl pictures =
        QUrl::fromLocalFile(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    return QFileDialog::getOpenFileUrls(parent, tr("Add Wallpaper"), pictures,
                                        tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))));
}

bool ImageEditorSidebar::showsBackgroundControls() const
{
    return m_session && m_session->isCompositeShown();
}

SidebarSliderRow* ImageEditorSidebar::sliderRow(const QString& label) const
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](SidebarSliderRow* row) { return row->label() == label; });
    return it == m_rows.end() ? nullptr : *it;
}

void ImageEditorSidebar::updateVisibility()
{
    m_pixelSizeRow->setVisible(m_toolState && m_toolState->selectedTool() == AnnotationTool::blur);
    const bool shown = showsBackgroundControls();
    m_backgroundControls->setVisible(shown);
    if (shown && !m_backgroundControlsShown) {
        refreshPicker();
        // An editor can open with the composite already on; its wallpaper choices must not
        // wait for the composite to be toggled.
        m_session->requestDesktopWallpaperIfNeeded();
        m_session->requestUserWallpapersIfNeeded();
    }
    m_backgroundControlsShown = shown;
}

void ImageEditorSidebar::refreshPicker()
{
    if (!m_session || !showsBackgroundControls()) {
        // The automatic palette costs a pass over the picture: only while it can be seen.
        return;
    }
    m_picker->setAutoColors(m_session->autoBackgroundColors());
    const auto& assets = m_session->backgroundAssets();
    m_picker->setDesktopWallpaperPreview(
        assets && assets->wallpaperBackgroundImage ? *assets->wallpaperBackgroundImage : QImage());
}

void ImageEditorSidebar::addCustomColor()
{
    if (!m_session) {
        return;
    }
    const auto& colors = m_session->customBackgroundColors();
    const Color start = colors.isEmpty() ? defaultCustomColorItem().color() : colors.front().color();
    // Added at once, so the new swatch is there and selected while the user picks its colour.
    const QString id = m_session->addCustomBackgroundColor(start);
    openColorDialog(id, start.toQColor());
}

void ImageEditorSidebar::openColorDialog(const QString& id, const QColor& start)
{
    if (m_colorDialog) {
        m_colorDialog->close();
    }
    auto* dialog = new QColorDialog(start, this);
    // The native dialogs of some desktops report the colour only when confirmed; the live preview
    // on the canvas needs every change.
    dialog->setOptions(QColorDialog::NoButtons | QColorDialog::ShowAlphaChannel |
                       QColorDialog::DontUseNativeDialog);
    dialog->setModal(false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::currentColorChanged, this, [this, id](const QColor& color) {
        if (m_session) {
            m_session->updateCustomBackgroundColor(id, Color::fromQColor(color));
        }
    });
    dialog->installEventFilter(this);
    m_colorDialog = dialog;

    // Near the top-right corner of the editor window, inside it where the window is large enough.
    dialog->adjustSize();
    const QRect host = window()->frameGeometry();
    const QSize size = dialog->size();
    const int x = std::max(host.left() + 40, host.right() - size.width() - 24);
    const int y = std::min(host.top() + 72, host.bottom() - 48 - size.height());
    dialog->move(x, y);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    qCDebug(lcUi) << "Editing custom background colour" << id;
}

bool ImageEditorSidebar::eventFilter(QObject* watched, QEvent* event)
{
    // The colour dialog is a quick, throw-away picker: it goes away as soon as the user works
    // elsewhere, like a popover.
    if (watched == m_colorDialog && event->type() == QEvent::WindowDeactivate) {
        m_colorDialog->removeEventFilter(this);
        m_colorDialog->close();
    }
    return QWidget::eventFilter(watched, event);
}

void ImageEditorSidebar::addWallpapers()
{
    if (!m_chooseWallpapers) {
        return;
    }
    // The dialog runs its own event loop: the editor may close while it is open.
    const QPointer<ImageEditorSidebar> self(this);
    const QList<QUrl> urls = m_chooseWallpapers(this);
    if (!self || !m_session || urls.isEmpty()) {
        return;
    }
    m_session->addWallpapers(urls);
}

void ImageEditorSidebar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(0.12f);
    painter.fillRect(QRect(0, 0, 1, height()), line);
}

} // namespace velmora
