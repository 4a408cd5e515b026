#include "preferences/X11KeyCodes.h"

#include <array>
#include <utility>

namespace velmora {

namespace {

// {position-based key code, X11 key code}
// clang-format off
constexpr std::array<std::pair<qint64, quint32>, 96> table{{
    // letters
    {0, 38}, {1, 39}, {2, 40}, {3, 41}, {4, 43}, {5, 42}, {6, 52}, {7, 53}, {8, 54}, {9, 55},
    {11, 56}, {12, 24}, {13, 25}, {14, 26}, {15, 27}, {16, 29}, {17, 28}, {31, 32}, {32, 30},
    {34, 31}, {35, 33}, {37, 46}, {38, 44}, {40, 45}, {45, 57}, {46, 58},
    // digits
    {18, 10}, {19, 11}, {20, 12}, {21, 13}, {23, 14}, {22, 15}, {26, 16}, {28, 17}, {25, 18},
    {29, 19},
    // punctuation
    {27, 20}, {24, 21}, {33, 34}, {30, 35}, {41, 47}, {39, 48}, {50, 49}, {42, 51}, {43, 59},
    {47, 60}, {44, 61}, {10, 94},
    // Return, Tab, Space, Backspace, Escape, Delete, Insert (Help), Home, End, Page Up/Down
    {36, 36}, {48, 23}, {49, 65}, {51, 22}, {53, 9}, {117, 119}, {114, 118}, {115, 110},
    {119, 115}, {116, 112}, {121, 117},
    // arrows
    {123, 113}, {124, 114}, {125, 116}, {126, 111},
    // function keys
    {122, 67}, {120, 68}, {99, 69}, {118, 70}, {96, 71}, {97, 72}, {98, 73}, {100, 74},
    {101, 75}, {109, 76}, {103, 95}, {111, 96}, {105, 191}, {107, 192}, {113, 193}, {106, 194},
    // keypad
    {82, 90}, {83, 87}, {84, 88}, {85, 89}, {86, 83}, {87, 84}, {88, 85}, {89, 79}, {91, 80},
    {92, 81}, {65, 91}, {67, 63}, {69, 86}, {75, 106}, {76, 104}, {78, 82}, {81, 125},
}};
// clang-format on

} // namespace

std::optional<quint32> x11KeyCode(qint64 keyCode)
{
    for (const auto& [position, x11] : table) {
        if (position == keyCode) {
            return x11;
        }
    }
    return std::nullopt;
}

std::optional<qint64> keyCodeFromX11(quint32 x11KeyCode)
{
    for (const auto& [position, x11] : table) {
        if (x11 == x11KeyCode) {
            return position;
        }
    }
    return std::nullopt;
}

} // namespace velmora
