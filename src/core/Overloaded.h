#pragma once

namespace velmora {

// Combines lambdas into one visitor for std::visit.
template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};

// Clang before 17 does not deduce template arguments for aggregates by itself.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace velmora
