#pragma once

namespace velmora {

// Combines lambdas into one visitor for std::visit.
template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};

} // namespace velmora
