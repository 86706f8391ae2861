#include "core/GridMeshBase.h"

#include <cstddef>
#include <cstring>

namespace Korvex::Rendering::detail {

namespace {

// Copies a byte range between host descriptions, host-private bytes included.
template <class To, class From>
void CopyBytes(To& to, std::size_t toOffset, const From& from, std::size_t fromOffset, std::size_t size) {
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    std::memcpy(reinterpret_cast<unsigned char*>(&to) + toOffset,
                reinterpret_cast<const unsigned char*>(&from) + fromOffset, size);
}

// The pass's settings block (rasteriser, blend, depth-stencil) is laid out
// as the pipeline state's bytes 348..424.
constexpr std::size_t kSettingsSize = offsetof(PipelineStateDesc, colorWrite) - offsetof(PipelineStateDesc, cullMode);
static_assert(kSettingsSize == offsetof(RenderPassDesc, targets) - offsetof(RenderPassDesc, cullMode));

}  // namespace

PipelineStateDesc PipelineStateForPass(const RenderPassDesc& pass) {
    PipelineStateDesc state;
    state.vertexInput = {};
    std::memset(state.hostPrivate320, 0, sizeof state.hostPrivate320);
    state.program = ProgramId::Null();
    state.topology = kTopologyTriangleList;
    CopyBytes(state, offsetof(PipelineStateDesc, cullMode), pass, offsetof(RenderPassDesc, cullMode), kSettingsSize);
    // Target 0's write enable is a u32 in the pass; all four bytes come along.
    CopyBytes(state, offsetof(PipelineStateDesc, colorWrite), pass.targets[0].writeEnable, 0, sizeof(std::uint32_t));
    for (std::size_t k = 0; k < kRenderTargetCount; ++k) state.targetFormats[k] = pass.targets[k].format;
    state.target1Flags = pass.targets[kTargetProbeValue].writeEnable;
    return state;
}

DrawCallDesc DrawCallForPass(const RenderPassDesc& pass) {
    DrawCallDesc drawCall;
    for (ConstantBufferBinding& binding : drawCall.constantBuffers) binding = {BufferId::Null(), 0};
    for (ResourceBinding& binding : drawCall.resources) binding = {ImageViewId::Null(), SamplerId::Null(), 0};
    drawCall.stencilReference = 0;
    for (std::size_t k = 0; k < kRenderTargetCount; ++k) drawCall.targets[k] = pass.targets[k].image;
    return drawCall;
}

boundingbox<float, 3> WidenByDisplacementRange(boundingbox<float, 3> box, const IVectorGrid* displacements) {
    if (displacements == nullptr) return box;
    const VectorGridTexture texture = displacements->GetTexture();
    std::array<float, 3> point;
    for (std::size_t i = 0; i < 3; ++i) point[i] = box.min[i] + texture.range_min[i];
    box.Add(point);
    for (std::size_t i = 0; i < 3; ++i) point[i] = box.max[i] + texture.range_max[i];
    box.Add(point);
    return box;
}

}  // namespace Korvex::Rendering::detail
