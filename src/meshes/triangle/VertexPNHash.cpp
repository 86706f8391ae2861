#include "meshes/triangle/VertexPNHash.h"

#include "core/CacheKey.h"

#include <bit>
#include <cstdint>

namespace Korvex::Rendering::detail {

// The hash is defined over the little-endian bytes of each float.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(std::size_t) == sizeof(std::uint64_t));

std::size_t VertexHash<VertexPN>::operator()(const VertexPN& vertex) const noexcept {
    const float components[] = {vertex.position[0], vertex.position[1], vertex.position[2],
                                vertex.normal[0],   vertex.normal[1],   vertex.normal[2]};
    std::uint64_t seed = 0;
    for (const float component : components) {
        const float canonical = component == 0.0f ? 0.0f : component;
        seed = HashCombine(seed, FnvOf(FnvOf(canonical)));
    }
    return seed;
}

bool VertexEqual<VertexPN>::operator()(const VertexPN& a, const VertexPN& b) const noexcept {
    return a.position[0] == b.position[0] && a.position[1] == b.position[1] && a.position[2] == b.position[2] &&
           a.normal[0] == b.normal[0] && a.normal[1] == b.normal[1] && a.normal[2] == b.normal[2];
}

}  // namespace Korvex::Rendering::detail
