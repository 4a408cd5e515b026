#pragma once

#include "preferences/Hotkey.h"

#include <QList>
#include <QObject>

namespace velmora {

// Key combinations taken for the whole desktop, whichever window has the keyboard.
class GlobalShortcuts : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Replaces every earlier grab by these combinations. Returns those that could not be taken
    // (another program holds them, or the key has no place on this keyboard); they stay free.
    virtual QList<Hotkey> grab(const QList<Hotkey>& hotkeys) = 0;

Q_SIGNALS:
    // A grabbed combination was pressed; a key held down repeats it.
    void pressed(const velmora::Hotkey& hotkey);
};

} // namespace velmora
