#include "preferences/GeneralPreferencesView.h"

#include "capture/OcrService.h"
#include "preferences/ElidedLabel.h"
#include "preferences/GeneralPreferences.h"
#include "preferences/IconButton.h"
#include "preferences/SegmentedControl.h"
#include "preferences/SettingsSection.h"
#include "preferences/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr std::array appearances{AppAppearance::system, AppAppearance::light, AppAppearance::dark};

int appearanceIndex(AppAppearance appearance)
{
    return int(std::find(appearances.begin(), appearances.end(), appearance) - appearances.begin());
}

QString languageFooter(const QStringList& installed)
{
    if (installed.isEmpty()) {
        return QStringLiteral("No language data is installed. Languages come from the "
                              "tesseract-ocr-<lang> packages, such as tesseract-ocr-eng.");
    }
    return QStringLiteral("Installed: %1. More languages come from the tesseract-ocr-<lang> packages, "
                          "such as tesseract-ocr-deu.")
        .arg(installed.join(QStringLiteral(", ")));
}

} // namespace

GeneralPreferencesView::GeneralPreferencesView(GeneralPreferences& general, LaunchAtLogin launchAtLogin,
                                               SettingsStore& settings, QWidget* parent)
    : QWidget(parent), m_general(general), m_launchAtLogin(std::move(launchAtLogin)), m_settings(settings),
      m_chooseFolder(&GeneralPreferencesView::chooseFolderWithDialog)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(24);
    column->addWidget(buildAppearanceSection());
    column->addWidget(buildStartupSection());
    column->addWidget(buildSaveLocationSection());
    column->addWidget(buildTextRecognitionSection());
    column->addStretch();
}

QWidget* GeneralPreferencesView::buildAppearanceSection()
{
    auto* section = new SettingsSection(
        QStringLiteral("Appearance"),
        QStringLiteral("Choose System to follow your desktop, or force Velmora to stay light or dark."),
        this);
    QStringList labels;
    for (AppAppearance appearance : appearances) {
        labels.append(displayName(appearance));
    }
    m_appearance = new SegmentedControl(labels, section);
    m_appearance->setAccessibleName(QStringLiteral("Appearance"));
    m_appearance->setCurrentIndex(appearanceIndex(m_general.appearance()));
    section->contentLayout()->addWidget(m_appearance);
    connect(m_appearance, &SegmentedControl::currentIndexChanged, this,
            [this](int index) { m_general.setAppearance(appearances[std::size_t(index)]); });
    connect(&m_general, &GeneralPreferences::appearanceChanged, m_appearance,
            [this](AppAppearance appearance) { m_appearance->setCurrentIndex(appearanceIndex(appearance)); });
    return section;
}

QWidget* GeneralPreferencesView::buildStartupSection()
{
    auto* section = new SettingsSection(
        QStringLiteral("Startup"), QStringLiteral("Velmora will start automatically when you log in."), this);
    // The autostart entry is the only record of this setting, so it is read once, here.
    m_launchAtStartup = new QCheckBox(QStringLiteral("Launch at startup"), section);
    m_launchAtStartup->setChecked(m_launchAtLogin.isEnabled());
    section->contentLayout()->addWidget(m_launchAtStartup);
    m_launchError = new QLabel(section);
    m_launchError->setWordWrap(true);
    m_launchError->setTextFormat(Qt::PlainText);
    m_launchError->hide();
    section->contentLayout()->addWidget(m_launchError);
    connect(m_launchAtStartup, &QCheckBox::toggled, this, &GeneralPreferencesView::setLaunchAtStartup);
    return section;
}

QWidget* GeneralPreferencesView::buildSaveLocationSection()
{
    auto* section = new SettingsSection(
        QStringLiteral("Save Location"),
        QStringLiteral(
            "Used when saving with the Save to Disk shortcut (default Ctrl+S). Defaults to Downloads."),
        this);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    m_saveLocation = new ElidedLabel(section);
    setSecondaryText(m_saveLocation, 12);
    m_saveLocation->setText(m_general.saveLocation());
    row->addWidget(m_saveLocation, 1);
    m_choose = new QPushButton(QStringLiteral("Choose…"), section);
    row->addWidget(m_choose);
    m_resetSaveLocation =
        new IconButton(QStringLiteral("rotate-ccw"), QStringLiteral("Reset to Downloads"), section);
    row->addWidget(m_resetSaveLocation);
    section->contentLayout()->addLayout(row);

    connect(m_choose, &QPushButton::clicked, this, &GeneralPreferencesView::chooseSaveLocation);
    connect(m_resetSaveLocation, &QToolButton::clicked, this,
            [this] { m_general.resetSaveLocationToDefault(); });
    connect(&m_general, &GeneralPreferences::saveLocationChanged, m_saveLocation, &ElidedLabel::setText);
    return section;
}

QWidget* GeneralPreferencesView::buildTextRecognitionSection()
{
    const QStringList installed = OcrService::installedLanguages();
    auto* section = new SettingsSection(QStringLiteral("Text Recognition"), languageFooter(installed), this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Language"), section);
    row->addWidget(label);
    row->addStretch();
    m_language = new QComboBox(section);
    m_language->setAccessibleName(QStringLiteral("Text recognition language"));
    label->setBuddy(m_language);
    m_language->addItems(installed);
    // A setting made by hand ("eng+deu", or a language since removed) is shown as it is rather than
    // silently replaced by the first installed language.
    const QString current = m_settings.string(OcrService::languagesKey()).value_or(QStringLiteral("eng"));
    if (m_language->findText(current) < 0) {
        m_language->insertItem(0, current);
    }
    m_language->setCurrentIndex(m_language->findText(current));
    m_language->setEnabled(!installed.isEmpty());
    row->addWidget(m_language);
    section->contentLayout()->addLayout(row);
    connect(m_language, &QComboBox::activated, this, &GeneralPreferencesView::storeLanguage);
    return section;
}

void GeneralPreferencesView::setLaunchAtStartup(bool enabled)
{
    QString error;
    if (m_launchAtLogin.setEnabled(enabled, &error)) {
        m_launchError->hide();
        return;
    }
    // The box shows what is true, not what was asked for.
    const QSignalBlocker blocker(m_launchAtStartup);
    m_launchAtStartup->setChecked(m_launchAtLogin.isEnabled());
    m_launchError->setText(QStringLiteral("Could not change the startup entry: %1").arg(error));
    m_launchError->show();
}

void GeneralPreferencesView::storeLanguage(int index)
{
    m_settings.setValue(OcrService::languagesKey(), m_language->itemText(index));
}

void GeneralPreferencesView::chooseSaveLocation()
{
    const QString folder = m_chooseFolder ? m_chooseFolder(this, m_general.saveLocation()) : QString();
    if (!folder.isEmpty()) {
        m_general.setSaveLocation(folder);
    }
}

QString GeneralPreferencesView::chooseFolderWithDialog(QWidget* parent, const QString& current)
{
    QFileDialog dialog(parent, QStringLiteral("Select the folder where screenshots will be saved."), current);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace velmora
