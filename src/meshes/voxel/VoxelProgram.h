#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstdint>

namespace Korvex::Rendering::detail {

// What selects one of the voxel mesh's program variants.
struct VoxelProgramVariant {
    bool deform = false;  // corners displaced by the vector grid
    bool probeValue = false;
    bool probePosition = false;
    std::uint64_t planeCount = 0;  // 0 to 8; CLIPPING kept above 0
    bool wireframe = false;
};

// The variant's key in the host's program cache: each field hashed twice,
// folded into the mesh class's seed in declaration order.
std::uint64_t VoxelProgramKey(const VoxelProgramVariant& variant);

// The specialised vertex, geometry and pixel texts of the variant.
ShaderStageSources VoxelProgramSources(const VoxelProgramVariant& variant);

}  // namespace Korvex::Rendering::detail
