#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

// String-valued enumerations: the raw value of each case is its name, it is what gets persisted,
// and the case list is the declaration order. Specialise EnumNames<E> with a `names` array.
template <typename E> struct EnumNames;

template <typename E> constexpr auto allCases()
{
    std::array<E, EnumNames<E>::names.size()> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cases[i] = static_cast<E>(i);
    }
    return cases;
}

template <typename E> QString rawValue(E value)
{
    const auto name = EnumNames<E>::names[static_cast<std::size_t>(value)];
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// Unknown text gives nothing.
template <typename E> std::optional<E> fromRawValue(const QString& text)
{
    const auto& names = EnumNames<E>::names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == QLatin1String(names[i].data(), qsizetype(names[i].size()))) {
            return static_cast<E>(i);
        }
    }
    return std::nullopt;
}

} // namespace velmora
