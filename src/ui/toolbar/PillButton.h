#pragma once

#include "HoverTracker.h"
#include "toolbar/PillOptionRow.h"

#include <QAbstractButton>

#include <functional>

namespace velmora {

class PillPopover;

// A 29-point pill showing a preview of the current choice and a chevron. A click toggles its
// popover; the subclass fills the popover each time it opens and whenever its value changes while
// it is open.
class PillButton : public QAbstractButton
{
    Q_OBJECT

public:
    PillButton(int popoverWidth, QWidget* parent = nullptr);

    bool isOpen() const { return m_isOpen; }
    void setOpen(bool open);
    // Opens the popover under another widget: the overflow button while the pill itself is folded
    // out of the toolbar.
    void openBelow(QWidget* anchor);
    PillPopover* popover() const { return m_popover; }
    bool isHovered() const { return m_hover->isHovered(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void openChanged(bool open);

protected:
    virtual QSize previewSize() const = 0;
    virtual void paintPreview(QPainter& painter, const QRectF& box) = 0;
    virtual void populate(PillPopover& popover) = 0;
    // For populate: adds the row for `option` to the popover. A click on the row closes the
    // popover, then calls `chosen`.
    void addOption(PillPopover& popover, PillOption option, std::function<void()> chosen);

    // Rebuilds the popover's rows when it is showing, and repaints the face.
    void refresh();

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void open(QWidget* anchor);

    PillPopover* m_popover;
    bool m_isOpen = false;
    HoverTracker* m_hover = new HoverTracker(this);
};

} // namespace velmora
