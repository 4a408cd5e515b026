#include "preferences/HotkeysPreferencesView.h"

#include "preferences/HotkeyRecorderButton.h"
#include "preferences/IconButton.h"
#include "preferences/PreferencesColors.h"
#include "preferences/SettingsSection.h"

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

} // namespace

HotkeysPreferencesView::HotkeysPreferencesView(HotkeyPreferences& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(24);
    column->addWidget(buildSection(QStringLiteral("Capture Shortcuts"),
                                   QStringLiteral("Click a shortcut to change it. Press Escape to cancel, "
                                                  "Delete to clear."),
                                   HotkeyPreferences::captureActions()));
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

    m_rows.append({action, recorder, reset});
    return row;
}

} // namespace velmora
