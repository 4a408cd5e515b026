#include "preferences/HotkeysPreferencesView.h"

#include "DesktopShortcuts.h"
#include "RawValue.h"
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
#include <QPushButton>
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

// A capture's row: its title and description on the left, stretching; the caller adds the keys.
QHBoxLayout* actionRowLayout(HotkeyPreferences::Action action, QWidget* row)
{
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
    return layout;
}

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
    : HotkeysPreferencesView(preferences, grabbingKeys(), nullptr, parent)
{}

HotkeysPreferencesView::HotkeysPreferencesView(HotkeyPreferences& preferences,
                                               const PlatformCapabilities& capabilities,
                                               DesktopShortcuts* desktop, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_desktop(desktop)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(24);
    if (capabilities.shortcuts == PlatformCapabilities::Shortcuts::unavailable) {
        column->addWidget(buildCommandSection(capabilities));
    } else if (capabilities.shortcuts == PlatformCapabilities::Shortcuts::desktopAssigned) {
        column->addWidget(buildAssignedSection(capabilities));
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

QLabel* HotkeysPreferencesView::assignedLabel(HotkeyPreferences::Action action) const
{
    for (const Row& row : m_rows) {
        if (row.action == action) {
            return row.assigned;
        }
    }
    return nullptr;
}

bool HotkeysPreferencesView::availableHere(HotkeyPreferences::Action action,
                                           const PlatformCapabilities& capabilities)
{
    return !(action == HotkeyPreferences::Action::window && !capabilities.windowCapture()) &&
           !(action == HotkeyPreferences::Action::scrollingCapture && !capabilities.scrollingCapture);
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
    auto* layout = actionRowLayout(action, row);

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
        if (!availableHere(action, capabilities)) {
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

QWidget* HotkeysPreferencesView::buildAssignedSection(const PlatformCapabilities& capabilities)
{
    // The footer says how to change the keys, once the desktop has told which way works.
    m_assignedSection = new SettingsSection(QStringLiteral("Capture Shortcuts"), QStringLiteral(" "), this);
    m_assignedSection->contentLayout()->setSpacing(7);
    bool first = true;
    for (HotkeyPreferences::Action action : HotkeyPreferences::captureActions()) {
        // The same captures as the desktop is asked to bind: none that cannot work here.
        if (!availableHere(action, capabilities)) {
            continue;
        }
        if (!first) {
            m_assignedSection->contentLayout()->addWidget(new RowDivider(m_assignedSection));
        }
        first = false;
        m_assignedSection->contentLayout()->addWidget(buildAssignedRow(action, m_assignedSection));
    }
    m_change = new QPushButton(QStringLiteral("Change Shortcuts…"), m_assignedSection);
    m_assignedSection->contentLayout()->addWidget(m_change, 0, Qt::AlignRight);
    connect(m_change, &QPushButton::clicked, this, [this] {
        if (m_desktop) {
            m_desktop->requestChange();
        }
    });
    if (m_desktop) {
        connect(m_desktop, &DesktopShortcuts::assignmentsChanged, this,
                &HotkeysPreferencesView::updateAssigned);
    }
    updateAssigned();
    return m_assignedSection;
}

QWidget* HotkeysPreferencesView::buildAssignedRow(HotkeyPreferences::Action action, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = actionRowLayout(action, row);

    // Read-only: the desktop owns these keys. Placed like a recorder with its reset button, so
    // the column lines up with the editor's section below.
    auto* assigned = new QLabel(row);
    assigned->setFixedWidth(HotkeyRecorderButton::defaultWidth);
    assigned->setAlignment(Qt::AlignCenter);
    assigned->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(assigned, 0, Qt::AlignVCenter);
    auto* resetPlace = new QWidget(row);
    resetPlace->setFixedWidth(IconButton(QStringLiteral("rotate-ccw"), {}).sizeHint().width());
    layout->addWidget(resetPlace);

    m_rows.append({action, nullptr, nullptr, nullptr, assigned});
    return row;
}

void HotkeysPreferencesView::updateAssigned()
{
    const std::optional<QMap<QString, QString>> assignments =
        m_desktop ? m_desktop->assignments() : std::nullopt;
    for (const Row& row : std::as_const(m_rows)) {
        if (!row.assigned) {
            continue;
        }
        const QString trigger = assignments ? assignments->value(rawValue(row.action)) : QString();
        QFont font = row.assigned->font();
        font.setPixelSize(trigger.isEmpty() ? 12 : 13);
        row.assigned->setFont(font);
        if (!trigger.isEmpty()) {
            row.assigned->setText(trigger);
            row.assigned->setForegroundRole(QPalette::WindowText);
        } else {
            row.assigned->setText(assignments ? QStringLiteral("Not assigned")
                                              : QStringLiteral("Waiting for the desktop…"));
            row.assigned->setForegroundRole(QPalette::PlaceholderText);
        }
    }
    const DesktopShortcuts::Change change =
        m_desktop ? m_desktop->change() : DesktopShortcuts::Change::desktopSettings;
    QString footer = QStringLiteral("Your desktop assigns these keys. ");
    switch (change) {
    case DesktopShortcuts::Change::configure:
        footer += QStringLiteral("Change Shortcuts… opens its shortcut settings for Velmora.");
        m_change->setToolTip(QStringLiteral("Open the desktop's shortcut settings for Velmora"));
        break;
    case DesktopShortcuts::Change::rebind:
        footer += QStringLiteral("Change Shortcuts… asks it again; some desktops show their shortcut "
                                 "dialog then.");
        m_change->setToolTip(QStringLiteral("Ask the desktop to bind Velmora's shortcuts again"));
        break;
    case DesktopShortcuts::Change::desktopSettings:
        footer += QStringLiteral("Change them in your desktop's keyboard settings, where Velmora's "
                                 "shortcuts are listed.");
        break;
    }
    m_assignedSection->footerLabel()->setText(footer);
    m_change->setVisible(change != DesktopShortcuts::Change::desktopSettings);
}

void HotkeysPreferencesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Some desktops change keys without a word; what they say now is what the tab shows.
    if (m_desktop && m_assignedSection) {
        m_desktop->refresh();
    }
}

} // namespace velmora
