#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstdint>

namespace Korvex::Rendering::detail {

// What selects one of the triangle mesh's program variants.
struct TriangleProgramVariant {
    std::uint64_t planeCount = 0;  // 0 to 8; CLIPPING kept above 0
    bool deform = false;           // the tessellated program instead of the flat one
    bool drawingPlane = false;     // a cap: the quad placed by unit_plane_matrix
    bool probeValue = false;
    bool probePosition = false;
    // With deform: every edge within the smallest grid cell, so that every
    // tessellation level would be 1; the vertices are displaced as they are
    // and no tessellation stage runs.
    bool displacedVertices = false;
};

// The variant's key in the host's program cache: each field hashed twice,
// folded into the mesh class's seed in declaration order; displacedVertices
// only when set, so that the keys of the other variants are those of a
// variant without it.
std::uint64_t TriangleProgramKey(const TriangleProgramVariant& variant);

// The specialised stage texts of the variant, ready for CreateProgram.
ShaderStageSources TriangleProgramSources(const TriangleProgramVariant& variant);

}  // namespace Korvex::Rendering::detail
