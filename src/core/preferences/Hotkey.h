#pragma once

#include <QByteArray>
#include <QKeyCombination>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace velmora {

// A keyboard shortcut: a position-based key code (the numbering the persisted shortcuts and the
// key-name table use; the X11 layer translates real key codes to it) and modifier bits.
struct Hotkey
{
    // Modifier bits. On Linux command is Ctrl, option is Alt and control is Super, the same
    // pairing Qt uses between the two keyboard families.
    static constexpr quint64 shift = 0x20000;
    static constexpr quint64 control = 0x40000;
    static constexpr quint64 option = 0x80000;
    static constexpr quint64 command = 0x100000;
    static constexpr quint64 modifierMask = 0x1E0000;

    qint64 keyCode = 0;
    quint64 modifierRawValue = 0;

    bool operator==(const Hotkey&) const = default;

    // "Super+Ctrl+Alt+Shift+" for the bits present, in that order, then the key name:
    // "Ctrl+Shift+2", "Super+Alt+K", "Ctrl+↩".
    QString displayString() const;

    // The character menus and in-window bindings use for this key: lower-case letters, digits and
    // punctuation. Return, Tab, Space, Delete, Escape, arrows, F-keys and unknown codes have none.
    std::optional<QString> keyEquivalentString() const;

    // The in-window binding: the key equivalent with Ctrl, Shift, Alt and Super (Meta). Nothing
    // when the key has no key equivalent.
    std::optional<QKeyCombination> keyCombination() const;

    // Printable name of a key code; "Key<n>" for codes outside the table.
    static QString keyName(qint64 keyCode);

    // {"keyCode":19,"modifierRawValue":1179648}. Nothing when the value cannot be written as a
    // JSON integer (modifier words beyond the signed 64-bit range).
    std::optional<QByteArray> toJson() const;
    // Member order does not matter; anything but an object with both integer members gives nothing.
    static std::optional<Hotkey> fromJson(const QByteArray& json);
};

} // namespace velmora

Q_DECLARE_METATYPE(velmora::Hotkey)
