#include <Korvex/Rendering/Gpu/Utilities.h>

#include <meshoptimizer.h>

#include <algorithm>

namespace Korvex::Rendering {

// meshoptimizer's FIFO optimiser is Tipsify; it keeps no global state, so
// concurrent calls on disjoint arrays are safe.
void Tipsify(const std::uint16_t* in, std::uint16_t* out, std::uint32_t indexCount, std::uint32_t vertexCount,
             std::uint32_t verticesPerPrimitive, std::uint16_t cacheSize) {
    if (verticesPerPrimitive != 3 || indexCount % 3 != 0 || cacheSize < 3) {
        std::copy(in, in + indexCount, out);  // only triangle lists can be reordered
        return;
    }
    meshopt_optimizeVertexCacheFifo(out, in, indexCount, vertexCount, cacheSize);
}

}  // namespace Korvex::Rendering
