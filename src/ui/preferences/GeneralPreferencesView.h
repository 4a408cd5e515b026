#pragma once

#include "preferences/LaunchAtLogin.h"

#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace velmora {

class ElidedLabel;
class IconButton;
class GeneralPreferences;
class SegmentedControl;
class SettingsStore;

// The General tab: appearance, launch at startup, the save folder and the recognition language.
class GeneralPreferencesView : public QWidget
{
    Q_OBJECT
public:
    // Asks the user for a folder, starting at the given one; an empty result means cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& current)>;

    GeneralPreferencesView(GeneralPreferences& general, LaunchAtLogin launchAtLogin, SettingsStore& settings,
                           QWidget* parent = nullptr);

    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    // The folder-only dialog the application uses.
    static QString chooseFolderWithDialog(QWidget* parent, const QString& current);

    // Runs the folder choice and, when confirmed, makes the folder the save location.
    void chooseSaveLocation();

    SegmentedControl* appearancePicker() const { return m_appearance; }
    QCheckBox* launchAtStartupBox() const { return m_launchAtStartup; }
    QLabel* launchErrorLabel() const { return m_launchError; }
    ElidedLabel* saveLocationLabel() const { return m_saveLocation; }
    QPushButton* chooseButton() const { return m_choose; }
    IconButton* resetSaveLocationButton() const { return m_resetSaveLocation; }
    QComboBox* languagePicker() const { return m_language; }

private:
    QWidget* buildAppearanceSection();
    QWidget* buildStartupSection();
    QWidget* buildSaveLocationSection();
    QWidget* buildTextRecognitionSection();
    void setLaunchAtStartup(bool enabled);
    void storeLanguage(int index);

    GeneralPreferences& m_general;
    LaunchAtLogin m_launchAtLogin;
    SettingsStore& m_settings;
    FolderChooser m_chooseFolder;
    SegmentedControl* m_appearance = nullptr;
    QCheckBox* m_launchAtStartup = nullptr;
    QLabel* m_launchError = nullptr;
    ElidedLabel* m_saveLocation = nullptr;
    QPushButton* m_choose = nullptr;
    IconButton* m_resetSaveLocation = nullptr;
    QComboBox* m_language = nullptr;
};

} // namespace velmora
