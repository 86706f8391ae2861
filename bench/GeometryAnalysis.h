#pragma once

#include <Korvex/Rendering/Simulation/IGeometry.h>
#include <Korvex/Rendering/array_view.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Korvex::Rendering::bench {

// The post-transform cache every ACMR here is measured with.
inline constexpr unsigned kAcmrCacheSize = 32;

// What the library's builder makes of a primitive list.
struct BuiltGeometry {
    std::size_t primitives = 0;
    std::size_t drawCalls = 0;
    std::size_t buffers = 0;
    std::uint64_t vertexBytes = 0;  // sizes of the vertex and index buffers created
    std::uint64_t indexBytes = 0;
    // Vertices transformed per triangle through a FIFO cache of
    // kAcmrCacheSize, each draw call starting cold; 0 for lines.
    double acmr = 0.0;
};

// Builds verticesPerPrimitive-lists (3: triangles, 2: lines) on a recording
// device and measures the result: through the host-facing functions
// (BuildTriangleGeometry, BuildLineGeometry), or with the builder alone on
// the list as given, without reordering.
enum class BuildPath { Public, BuilderInInputOrder };
BuiltGeometry AnalyzeBuild(array_view<const VertexPN> vertices, std::uint32_t verticesPerPrimitive, BuildPath path);

// ACMR of one 32-bit triangle list.
double Acmr(const std::vector<unsigned>& indices, std::size_t vertexCount);

}  // namespace Korvex::Rendering::bench
