#pragma once

#include "GlobalShortcuts.h"

#include <QList>

#include <memory>

class QSocketNotifier;

namespace velmora::x11 {

class X11Connection;

// Passive key grabs on the root window, on a connection of their own so that its only events are
// the grabbed key presses. Caps Lock and Num Lock are ignored: each combination is grabbed with
// every state of the two.
class X11GlobalShortcuts final : public GlobalShortcuts
{
public:
    explicit X11GlobalShortcuts(std::shared_ptr<X11Connection> connection);
    ~X11GlobalShortcuts() override;

    QList<Hotkey> grab(const QList<Hotkey>& hotkeys) override;

private:
    struct Grab
    {
        Hotkey hotkey;
        quint8 keyCode;
        quint16 modifiers;
    };

    void release();
    void readEvents();

    std::shared_ptr<X11Connection> m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QList<Grab> m_grabs;
};

} // namespace velmora::x11
