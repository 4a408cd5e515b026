#pragma once

#include "toolbar/HoverableToolbarIcon.h"

#include <QList>
#include <QPointer>

class QMenu;

namespace velmora {

// The "…" button at the end of a toolbar too narrow for all its controls. Its menu offers what was
// folded out of the row, each entry acting through the folded control itself, so a folded control
// does exactly what it does in the row: a button is clicked, a tool or mode shows a check mark
// while it is selected, and a pill opens its own panel under this button.
class ToolbarOverflowButton : public HoverableToolbarIcon
{
    Q_OBJECT

public:
    explicit ToolbarOverflowButton(QWidget* parent = nullptr);

    // The folded controls, in sections shown between separators; a ToolbarGroup stands for the
    // buttons on it. Hidden controls are offered too: folding hides them.
    void setFolded(QList<QList<QWidget*>> sections);

    QMenu* menu() const { return m_menu; }
    void showMenu();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillMenu();
    void addEntry(QWidget* control);

    QMenu* m_menu;
    QList<QList<QPointer<QWidget>>> m_sections;
};

} // namespace velmora
