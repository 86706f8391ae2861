#include "meshes/voxel/VoxelProgram.h"

#include "core/CacheKey.h"
#include "meshes/voxel/VoxelConstants.h"
#include "meshes/voxel/VoxelGridMesh.h"
#include "meshes/voxel/VoxelShaderTemplates.h"
#include "shaders/Specialize.h"

namespace Korvex::Rendering::detail {

std::uint64_t VoxelProgramKey(const VoxelProgramVariant& variant) {
    return CacheKeyBuilder(ClassKeySeed<VoxelGridMesh>())
        .AddRehashed(variant.deform)
        .AddRehashed(variant.probeValue)
        .AddRehashed(variant.probePosition)
        .AddRehashed(variant.planeCount)
        .AddRehashed(variant.wireframe)
        .Key();
}

ShaderStageSources VoxelProgramSources(const VoxelProgramVariant& variant) {
    const ShaderStageSources sources =
        AssembleProgram(VoxelConstantsDeclaration(), {kVoxelVertex, {}, {}, kVoxelGeometry, kVoxelPixel});
    return SpecializeProgram(sources, variant.planeCount,
                             VoxelShaderFeatures(variant.deform, variant.probeValue, variant.probePosition,
                                                 variant.wireframe));
}

}  // namespace Korvex::Rendering::detail
