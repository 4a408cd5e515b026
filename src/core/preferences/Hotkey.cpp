#include "preferences/Hotkey.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

struct KeyNameEntry
{
    qint64 keyCode;
    const char* name; // UTF-8
};

// clang-format off
constexpr std::array<KeyNameEntry, 68> keyNames{{
    // letters
    {0, "A"}, {1, "S"}, {2, "D"}, {3, "F"}, {4, "H"}, {5, "G"}, {6, "Z"}, {7, "X"}, {8, "C"},
    {9, "V"}, {11, "B"}, {12, "Q"}, {13, "W"}, {14, "E"}, {15, "R"}, {16, "Y"}, {17, "T"},
    {31, "O"}, {32, "U"}, {34, "I"}, {35, "P"}, {37, "L"}, {38, "J"}, {40, "K"}, {45, "N"},
    {46, "M"},
    // digits
    {18, "1"}, {19, "2"}, {20, "3"}, {21, "4"}, {22, "6"}, {23, "5"}, {25, "9"}, {26, "7"},
    {28, "8"}, {29, "0"},
    // punctuation
    {24, "="}, {27, "-"}, {30, "]"}, {33, "["}, {39, "'"}, {41, ";"}, {42, "\\"}, {43, ","},
    {44, "/"}, {47, "."}, {50, "`"},
    // special keys
    {36, "\u21A9"}, {48, "\u21E5"}, {49, "\u2423"}, {51, "\u232B"}, {53, "\u238B"},
    {123, "\u2190"}, {124, "\u2192"}, {125, "\u2193"}, {126, "\u2191"},
    // function keys
    {122, "F1"}, {120, "F2"}, {99, "F3"}, {118, "F4"}, {96, "F5"}, {97, "F6"}, {98, "F7"},
    {100, "F8"}, {101, "F9"}, {109, "F10"}, {103, "F11"}, {111, "F12"},
}};
// clang-format on

// The printable keys: every letter, digit and punctuation key of the name table.
bool hasKeyEquivalent(qint64 keyCode)
{
    return (keyCode >= 0 && keyCode <= 9) || (keyCode >= 11 && keyCode <= 35) ||
           (keyCode >= 37 && keyCode <= 47) || keyCode == 50;
}

// A whole JSON number that fits a signed 64-bit integer.
std::optional<qint64> integerMember(const QJsonObject& object, QLatin1String name)
{
    const QJsonValue value = object.value(name);
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (number != std::trunc(number) || number < -limit || number >= limit) {
        return std::nullopt;
    }
    return value.toInteger();
}

} // namespace

QString Hotkey::displayString() const
{
    QString text;
    if (modifierRawValue & control) {
        text += QLatin1String("Super+");
    }
    if (modifierRawValue & command) {
        text += QLatin1String("Ctrl+");
    }
    if (modifierRawValue & option) {
        text += QLatin1String("Alt+");
    }
    if (modifierRawValue & shift) {
        text += QLatin1String("Shift+");
    }
    return text + keyName(keyCode);
}

std::optional<QString> Hotkey::keyEquivalentString() const
{
    if (!hasKeyEquivalent(keyCode)) {
        return std::nullopt;
    }
    return keyName(keyCode).toLower();
}

std::optional<QKeyCombination> Hotkey::keyCombination() const
{
    const std::optional<QString> key = keyEquivalentString();
    if (!key) {
        return std::nullopt;
    }
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ControlModifier, modifierRawValue & command);
    modifiers.setFlag(Qt::ShiftModifier, modifierRawValue & shift);
    modifiers.setFlag(Qt::AltModifier, modifierRawValue & option);
    modifiers.setFlag(Qt::MetaModifier, modifierRawValue & control);
    // Qt's key values for printable ASCII are the upper-case characters themselves.
    return QKeyCombination(modifiers, Qt::Key(key->at(0).toUpper().unicode()));
}

QString Hotkey::keyName(qint64 keyCode)
{
    for (const KeyNameEntry& entry : keyNames) {
        if (entry.keyCode == keyCode) {
            return QString::fromUtf8(entry.name);
        }
    }
    return QLatin1String("Key") + QString::number(keyCode);
}

std::optional<QByteArray> Hotkey::toJson() const
{
    if (modifierRawValue > quint64(std::numeric_limits<qint64>::max())) {
        return std::nullopt;
    }
    const QJsonObject object{
        {QLatin1String("keyCode"), keyCode},
        {QLatin1String("modifierRawValue"), qint64(modifierRawValue)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Hotkey> Hotkey::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const std::optional<qint64> keyCode = integerMember(object, QLatin1String("keyCode"));
    const std::optional<qint64> modifiers = integerMember(object, QLatin1String("modifierRawValue"));
    if (!keyCode || !modifiers || *modifiers < 0) {
        return std::nullopt;
    }
    return Hotkey{*keyCode, quint64(*modifiers)};
}

} // namespace velmora
