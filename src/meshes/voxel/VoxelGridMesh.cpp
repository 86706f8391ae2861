#include "meshes/voxel/VoxelGridMesh.h"

#include "meshes/voxel/CoveredFaces.h"

#include <Korvex/Rendering/Gpu/Codes.h>
#include <Korvex/Rendering/Simulation/Simulation.h>

#include <algorithm>
#include <utility>

namespace Korvex::Rendering {

VoxelGridMesh::VoxelGridMesh(IGpu& gpu)
    : GridMeshBase(gpu),
      constantBuffer_(gpu, gpu.CreateBuffer({sizeof(detail::VoxelConstants), kBufferUsageConstant | kBufferUsageDynamic},
                                            nullptr)),
      sampler_(gpu, gpu.CreateSampler({kFilterLinear, kAddressClamp})) {}

void VoxelGridMesh::SetVoxels(array_view<const std::uint32_t> voxels) {
    if (voxels.size() >= kMaxVoxels) return;
    const std::size_t perPiece = std::max<std::size_t>(gpu_.GetMaxBufferSize() / sizeof(std::uint32_t), 1);
    std::vector<std::uint8_t> covered = detail::CoveredFaces({voxels.data(), voxels.size()});
    // Four voxels' bytes a word; the last word padded.
    covered.resize(covered.size() + sizeof(std::uint32_t) - 1, 0);
    // The new pieces exist before the old ones go; an empty list still gets
    // one (empty) piece.
    std::vector<VoxelPiece> pieces;
    pieces.reserve(voxels.size() / perPiece + 1);
    std::size_t first = 0;
    do {
        VoxelPiece& piece = pieces.emplace_back();
        piece.count = static_cast<std::uint32_t>(std::min(perPiece, voxels.size() - first));
        piece.list = ShaderReadWords(voxels.data() + first, piece.count);
        piece.coveredFaces = ShaderReadWords(covered.data() + first, (piece.count + 3) / 4);
        first += piece.count;
    } while (first < voxels.size());
    voxelPieces_ = std::move(pieces);
    voxelCount_ = static_cast<std::uint32_t>(voxels.size());
}

VoxelGridMesh::WordView VoxelGridMesh::ShaderReadWords(const void* words, std::uint32_t count) {
    WordView view;
    view.buffer = GpuHandle<BufferTag>(
        gpu_, gpu_.CreateBuffer({count * std::uint32_t{sizeof(std::uint32_t)}, kBufferUsageShaderRead}, words));
    view.view = GpuHandle<ImageViewTag>(gpu_, gpu_.CreateBufferView(view.buffer.Get(), kFormatR32Uint, 0, count));
    return view;
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
