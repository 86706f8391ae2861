#include "meshes/voxel/VoxelGridMesh.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <utility>

namespace Korvex::Rendering {

VoxelGridMesh::VoxelGridMesh(IGpu& gpu)
    : GridMeshBase(gpu),
      constantBuffer_(gpu, gpu.CreateBuffer({sizeof(detail::VoxelConstants), kBufferUsageConstant | kBufferUsageDynamic},
                                            nullptr)),
      sampler_(gpu, gpu.CreateSampler({kFilterLinear, kAddressClamp})) {}

void VoxelGridMesh::SetVoxels(array_view<const std::uint32_t> voxels) {
    if (voxels.size() >= kMaxVoxels) return;
    const auto count = static_cast<std::uint32_t>(voxels.size());
    // Each successor exists before its predecessor goes.
    voxelBuffer_ = GpuHandle<BufferTag>(
        gpu_, gpu_.CreateBuffer({count * std::uint32_t{sizeof(std::uint32_t)}, kBufferUsageShaderRead}, voxels.data()));
    voxelView_ = GpuHandle<ImageViewTag>(gpu_, gpu_.CreateBufferView(voxelBuffer_.Get(), kFormatR32Uint, 0, count));
    voxelCount_ = count;
}

void VoxelGridMesh::SetGrids(const std::shared_ptr<IScalarGrid>& values,
                             const std::shared_ptr<IVectorGrid>& displacements, const boundingbox<float, 3>& box) {
    AttachGrids(values, displacements, box);
    if (!scalarGrid_) return;
    const ScalarGridTexture texture = scalarGrid_->GetTexture();
    for (std::size_t axis = 0; axis < 3; ++axis)
        constants_.dimensions[axis] = static_cast<float>(texture.dimensions[axis]);
}

void VoxelGridMesh::SetColorMap(array_view<const std::uint8_t> rgba) {
    if (rgba.size() < detail::kColorBytes) return;
    SetColorMap(detail::FirstColor(rgba), rgba, detail::LastColor(rgba));
}

void VoxelGridMesh::SetColorMap(array_view<const std::uint8_t> underflowColor, array_view<const std::uint8_t> rgba,
                                array_view<const std::uint8_t> overflowColor) {
    gradient_.Install(gpu_, constants_, underflowColor, rgba, overflowColor);
}

void VoxelGridMesh::SetValueRange(float minValue, float maxValue) {
    gradient_.SetValueRange(constants_, minValue, maxValue);
}

std::unique_ptr<IVoxelGridMesh> CreateVoxelGridMesh(IGpu& gpu) { return std::make_unique<VoxelGridMesh>(gpu); }

}  // namespace Korvex::Rendering
