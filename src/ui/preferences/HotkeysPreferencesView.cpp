#include "preferences/HotkeysPreferencesView.h"

#include "preferences/HotkeyRecorderButton.h"
#include "preferences/IconButton.h"
#include "preferences/PreferencesColors.h"
#include "preferences/SettingsSection.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace velmora {

namespace {

// The hairline between two rows of a section.
class RowDivider : public QWidget
{
public:
    explicit RowDivider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), PreferencesColors::separator(palette()));
    }
};

// Velmora takes its own keys on X11: the recorders are the only case there.
PlatformCapabilities grabbingKeys()
{
    PlatformCapabilities capabilities;
    capabilities.windowList = true;
    capabilities.scrollingCapture = true;
    capabilities.shortcuts = PlatformCapabilities::Shortcuts::grabbed;
    return capabilities;
}

} // namespace

HotkeysPreferencesView::HotkeysPreferencesView(HotkeyPreferences& preferences, QWidget* parent)
    : HotkeysPreferencesView(preferences, grabbingKeys(), parent)
{}

HotkeysPreferencesView::HotkeysPreferencesView(HotkeyPreferences& preferences,
                                               const PlatformCapabilities& capabilities, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(24);
    if (capabilities.shortcuts == PlatformCapabilities::Shortcuts::unavailable) {
        column->addWidget(buildCommandSection(capabilities));
    } else {
        column->addWidget(
            buildSection(QStringLiteral("Capture Shortcuts"),
                         QStringLiteral("Click a shortcut to change it. Press Escape to cancel, "
                                        "Delete to clear."),
                         HotkeyPreferences::captureActions()));
    }
    column->addWidget(buildSection(QStringLiteral("Editor Shortcuts"),
                                   QStringLiteral("Only active while an editor window is open."),
                                   HotkeyPreferences::editorActions()));
    column->addStretch();
}

HotkeyRecorderButton* HotkeysPreferencesView::recorder(HotkeyPreferences::Action action) const
{
    for (const Row& row : m_rows) {
        if (row.action == action) {
            return row.recorder;
        }
    }
    return nullptr;
}

IconButton* HotkeysPreferencesView::copyCommandButton(HotkeyPreferences::Action action) const
{
    for (const Row& row : m_rows) {
        if (row.action == action) {
            return row.copy;
        }
    }
    return nullptr;
}

QString HotkeysPreferencesView::command(HotkeyPreferences::Action action)
{
    using Action = HotkeyPreferences::Action;
    switch (action) {
    case Action::window:
        return QStringLiteral("velmora window");
    case Action::region:
        return QStringLiteral("velmora region");
    case Action::fullScreen:
        return QStringLiteral("velmora full");
    case Action::ocr:
        return QStringLiteral("velmora text");
    case Action::colorCapture:
        return QStringLiteral("velmora color");
    case Action::scrollingCapture:
        return QStringLiteral("velmora scroll");
    case Action::saveToDisk:
        break;
    }
    return {};
}

IconButton* HotkeysPreferencesView::resetButton(HotkeyPreferences::Action action) const
{
    for (const Row& row : m_rows) {
        if (row.action == action) {
            return row.reset;
        }
    }
    return nullptr;
}

QWidget* HotkeysPreferencesView::buildSection(const QString& title, const QString& footer,
                                              const std::vector<HotkeyPreferences::Action>& actions)
{
    auto* section = new SettingsSection(title, footer, this);
    // Rows stand 14 points apart; the divider sits in the middle of that gap.
    section->contentLayout()->setSpacing(7);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (i > 0) {
            section->contentLayout()->addWidget(new RowDivider(section));
        }
        section->contentLayout()->addWidget(buildRow(actions[i], section));
    }
    return section;
}

QWidget* HotkeysPreferencesView::buildRow(HotkeyPreferences::Action action, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* title = new QLabel(HotkeyPreferences::title(action), row);
    QFont titleFont = title->font();
    titleFont.setPixelSize(13);
    title->setFont(titleFont);
    texts->addWidget(title);
    auto* description = new QLabel(HotkeyPreferences::description(action), row);
    description->setWordWrap(true);
    setSecondaryText(description, 11);
    texts->addWidget(description);
    layout->addLayout(texts, 1);

    auto* recorder = new HotkeyRecorderButton(m_preferences, action, row);
    recorder->setFixedWidth(HotkeyRecorderButton::defaultWidth);
    layout->addWidget(recorder, 0, Qt::AlignVCenter);
    auto* reset = new IconButton(QStringLiteral("rotate-ccw"), QStringLiteral("Reset to default"), row);
    layout->addWidget(reset, 0, Qt::AlignVCenter);
    connect(reset, &QToolButton::clicked, this, [this, action] { m_preferences.reset(action); });

    m_rows.append({action, recorder, reset, nullptr});
    return row;
}

QWidget* HotkeysPreferencesView::buildCommandSection(const PlatformCapabilities& capabilities)
{
    auto* section = new SettingsSection(
        QStringLiteral("Capture Shortcuts"),
        QStringLiteral("This desktop does not let applications set global shortcuts. Add each command "
                       "as a custom shortcut in your desktop's keyboard settings."),
        this);
    section->contentLayout()->setSpacing(7);
    bool first = true;
    for (HotkeyPreferences::Action action : HotkeyPreferences::captureActions()) {
        // A capture the desktop cannot do here gets no command to bind.
        if ((action == HotkeyPreferences::Action::window && !capabilities.windowCapture()) ||
            (action == HotkeyPreferences::Action::scrollingCapture && !capabilities.scrollingCapture)) {
            continue;
        }
        if (!first) {
            section->contentLayout()->addWidget(new RowDivider(section));
        }
        first = false;
        section->contentLayout()->addWidget(buildCommandRow(action, section));
    }
    return section;
}

QWidget* HotkeysPreferencesView::buildCommandRow(HotkeyPreferences::Action action, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    auto* title = new QLabel(HotkeyPreferences::title(action), row);
    QFont titleFont = title->font();
    titleFont.setPixelSize(13);
    title->setFont(titleFont);
    layout->addWidget(title, 1);

    auto* command = new QLabel(HotkeysPreferencesView::command(action), row);
    QFont commandFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    commandFont.setPixelSize(12);
    command->setFont(commandFont);
    command->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(command, 0, Qt::AlignVCenter);
    auto* copy = new IconButton(QStringLiteral("copy"), QStringLiteral("Copy command"), row);
    layout->addWidget(copy, 0, Qt::AlignVCenter);
    connect(copy, &QToolButton::clicked, this,
            [action] { QGuiApplication::clipboard()->setText(HotkeysPreferencesView::command(action)); });

    m_rows.append({action, nullptr, nullptr, copy});
    return row;
}

} // namespace velmora
