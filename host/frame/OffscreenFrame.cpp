#include "OffscreenFrame.h"

#include "PngWriter.h"

namespace Korvex::Rendering {

namespace {

// Blended meshes go last, over everything they may let through.
constexpr std::array<PassKind, 2> kPassKinds{PassKind::Opaque, PassKind::Transparent};

}  // namespace

OffscreenFrame::OffscreenFrame(GlDevice& device, const FrameDesc& desc) : device_(device), desc_(desc) {}

std::unique_ptr<OffscreenFrame> OffscreenFrame::Create(GlDevice& device, const FrameDesc& desc, std::string* error) {
    std::unique_ptr<OffscreenFrame> frame(new OffscreenFrame(device, desc));
    const auto target = [&](std::uint32_t format, std::uint32_t usage) {
        ImageDesc image;
        image.width = desc.width;
        image.height = desc.height;
        image.format = format;
        image.usage = usage | kImageUsageSampled | kImageUsageCopySource;
        return device.CreateImage(image);
    };
    FrameTargets& targets = frame->targets_;
    targets.color = target(kFormatRgba8Unorm, kImageUsageColorTarget);
    targets.depthStencil = target(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    if (desc.probeTargets) {
        targets.probeValue = target(kFormatR32Float, kImageUsageColorTarget);
        targets.probeDepth = target(kFormatR32Float, kImageUsageColorTarget);
    }
    if (targets.color.IsNull() || targets.depthStencil.IsNull() ||
        (desc.probeTargets && (targets.probeValue.IsNull() || targets.probeDepth.IsNull()))) {
        if (error != nullptr)
            *error = "OffscreenFrame::Create(): no targets of " + std::to_string(desc.width) + "x" +
                     std::to_string(desc.height);
        return nullptr;  // the destructor releases the targets made so far
    }
    for (PassKind kind : kPassKinds) frame->passes_[static_cast<std::size_t>(kind)] = MakeRenderPass(targets, kind);
    return frame;
}

OffscreenFrame::~OffscreenFrame() {
    // Programs and pipeline states go first; they may draw into the targets.
    cache_.pipelineStates.clear();
    cache_.programs.clear();
    device_.DestroyImage(targets_.probeDepth);
    device_.DestroyImage(targets_.probeValue);
    device_.DestroyImage(targets_.depthStencil);
    device_.DestroyImage(targets_.color);
}

void OffscreenFrame::Clear() {
    device_.ClearImage(targets_.color, desc_.background);
    if (desc_.probeTargets) {
        device_.ClearImage(targets_.probeValue, {kNoProbeValue, kNoProbeValue, kNoProbeValue, kNoProbeValue});
        device_.ClearImage(targets_.probeDepth, {1.0f, 1.0f, 1.0f, 1.0f});
    }
    device_.ClearDepthStencil(targets_.color, targets_.depthStencil, 1.0f, 0);
}

std::size_t OffscreenFrame::Draw(array_view<IRenderable* const> renderables) {
    std::size_t drawn = 0;
    for (PassKind round : kPassKinds)
        for (IRenderable* renderable : renderables) {
            if (renderable == nullptr || PassForTechnique(renderable->GetTechnique()) != round) continue;
            renderable->Draw(nullptr, Pass(round), cache_, nullptr);
            ++drawn;
        }
    return drawn;
}

std::vector<std::uint8_t> OffscreenFrame::ReadColor() const { return device_.ReadRgba8(targets_.color); }
std::vector<float> OffscreenFrame::ReadProbeValue() const { return device_.ReadFloats(targets_.probeValue); }
std::vector<float> OffscreenFrame::ReadProbeDepth() const { return device_.ReadFloats(targets_.probeDepth); }
DepthStencilTexels OffscreenFrame::ReadDepthStencil() const { return device_.ReadDepthStencil(targets_.depthStencil); }

bool OffscreenFrame::WriteColorPng(const std::string& path, std::string* error) const {
    const std::vector<std::uint8_t> texels = ReadColor();
    return WritePng(path, desc_.width, desc_.height, texels.data(), error);
}

}  // namespace Korvex::Rendering
