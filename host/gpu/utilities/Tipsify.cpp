#include <Korvex/Rendering/Gpu/Utilities.h>

#include <meshoptimizer.h>

#include <algorithm>

namespace Korvex::Rendering {

namespace {

// 16-bit indices never reach further; meshoptimizer sizes its tables by the
// vertex count, so a larger count would only cost memory.
constexpr std::uint32_t kMaxVertexCount = 65536;

// meshoptimizer indexes its per-vertex tables without checking.
bool IndicesInRange(const std::uint16_t* indices, std::uint32_t indexCount, std::uint32_t vertexCount) {
    return std::all_of(indices, indices + indexCount, [vertexCount](std::uint16_t i) { return i < vertexCount; });
}

}  // namespace

// meshoptimizer's FIFO optimiser is Tipsify; it keeps no global state, so
// concurrent calls on disjoint arrays are safe.
void Tipsify(const std::uint16_t* in, std::uint16_t* out, std::uint32_t indexCount, std::uint32_t vertexCount,
             std::uint32_t verticesPerPrimitive, std::uint16_t cacheSize) {
    if (indexCount == 0) return;
    if (verticesPerPrimitive != 3 || indexCount % 3 != 0 || cacheSize < 3 ||
        !IndicesInRange(in, indexCount, vertexCount)) {
        // Only valid triangle lists can be reordered; anything else passes through.
        if (in != out) std::copy(in, in + indexCount, out);
        return;
    }
    meshopt_optimizeVertexCacheFifo(out, in, indexCount, std::min(vertexCount, kMaxVertexCount), cacheSize);
}

}  // namespace Korvex::Rendering
