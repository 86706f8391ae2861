#pragma once

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstddef>

namespace Korvex::Rendering::detail {

// Vertex identity for the builder's dictionary, one specialisation per vertex type.
template <class Vertex>
struct VertexHash;
template <class Vertex>
struct VertexEqual;

// FNV-1a of each float, folded in component order with the cache-key
// combining step; -0.0 is hashed as +0.0 because the two compare equal.
template <>
struct VertexHash<VertexPN> {
    std::size_t operator()(const VertexPN& vertex) const noexcept;
};

// Component-wise float ==: +0.0 equals -0.0, and a NaN component makes a
// vertex unequal to every vertex, itself included.
template <>
struct VertexEqual<VertexPN> {
    bool operator()(const VertexPN& a, const VertexPN& b) const noexcept;
};

}  // namespace Korvex::Rendering::detail
