#include "PictureCompositor.h"

#include <vector>

namespace Korvex::Rendering {

namespace {

// One triangle over the whole target; uv reaches (1, 1) at the far corner,
// so a pixel centre samples the overlay texel of the same place.
constexpr const char* kVertexStage = R"(
[out float2 uv : overlay_coord]
void main() {
    float2 corner = float2(float(($VertexId$ << 1) & 2), float($VertexId$ & 2));
    $uv$ = corner;
    $Position$ = float4(corner * 2.0 - float2(1.0, 1.0), 0.0, 1.0);
}
)";

constexpr const char* kPixelStage = R"(
TEXTURE_2D(float4, overlay_texture, 0);
[in float2 uv : overlay_coord]
[out float4 color : 0]
void main() {
    $color$ = SAMPLE_LEVEL(overlay_texture, $uv$, 0.0);
}
)";

}  // namespace

PictureCompositor::PictureCompositor(IGpu& gpu) : gpu_(gpu) {}

std::unique_ptr<PictureCompositor> PictureCompositor::Create(IGpu& gpu, std::uint32_t width, std::uint32_t height,
                                                             std::string* error) {
    std::unique_ptr<PictureCompositor> compositor(new PictureCompositor(gpu));
    ShaderStageSources sources;
    sources.stages[kStageIndexVertex] = kVertexStage;
    sources.stages[kStageIndexPixel] = kPixelStage;
    compositor->program_ = {gpu, gpu.CreateProgram(sources)};
    PipelineStateDesc state;
    state.program = compositor->program_.Get();
    state.topology = kTopologyTriangleList;
    state.blendMode = kBlendAlpha;
    state.depthCompare = kCompareAlways;
    state.depthWrite = 0;
    state.targetFormats[kTargetColor] = kFormatRgba8Unorm;
    compositor->pipeline_ = {gpu, compositor->program_.IsNull() ? PipelineStateId{} : gpu.CreatePipelineState(state)};
    // Nearest: each pixel takes exactly its own overlay texel.
    compositor->sampler_ = {gpu, gpu.CreateSampler({kFilterNearest, kAddressClamp})};
    if (compositor->pipeline_.IsNull() || compositor->sampler_.IsNull()) {
        if (error != nullptr) *error = "PictureCompositor::Create(): the device refused the overlay's program";
        return nullptr;
    }
    if (!compositor->MakeImages(width, height, error)) return nullptr;
    return compositor;
}

bool PictureCompositor::MakeImages(std::uint32_t width, std::uint32_t height, std::string* error) {
    overlayView_.Reset();
    overlay_ = {gpu_, gpu_.CreateImage({width, height, 0, kFormatRgba8Unorm, 1, 1, kImageUsageSampled})};
    picture_ = {gpu_, gpu_.CreateImage({width, height, 0, kFormatRgba8Unorm, 1, 1,
                                        kImageUsageColorTarget | kImageUsageSampled | kImageUsageCopySource |
                                            kImageUsageCopyDestination})};
    if (!overlay_.IsNull()) overlayView_ = {gpu_, gpu_.CreateImageView(overlay_.Get(), {})};
    width_ = width;
    height_ = height;
    const std::vector<std::uint8_t> clear(std::size_t{width} * height * 4, 0);
    if (!overlayView_.IsNull() && !picture_.IsNull() && SetOverlay(clear)) return true;
    if (error != nullptr)
        *error = "PictureCompositor: no images of " + std::to_string(width) + "x" + std::to_string(height);
    return false;
}

bool PictureCompositor::Resize(std::uint32_t width, std::uint32_t height, std::string* error) {
    return MakeImages(width, height, error);
}

bool PictureCompositor::SetOverlay(std::span<const std::uint8_t> rgba) {
    if (rgba.size() != std::size_t{width_} * height_ * 4) return false;
    return gpu_.WriteImage(overlay_.Get(), {}, rgba.data(), rgba.size());
}

void PictureCompositor::Compose(ImageId scene) {
    gpu_.CopyImage(scene, picture_.Get());
    DrawCallDesc drawCall;
    drawCall.targets[kTargetColor] = picture_.Get();
    drawCall.resources[0] = {overlayView_.Get(), sampler_.Get(), kStagePixel};
    gpu_.BindDrawCall(pipeline_.Get(), drawCall);
    gpu_.DrawVertices({}, 3, 0);
}

}  // namespace Korvex::Rendering
