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
    if (!frame->MakeTargets("OffscreenFrame::Create()", error)) return nullptr;  // the destructor releases the targets made so far
    return frame;
}

bool OffscreenFrame::MakeTargets(const char* caller, std::string* error) {
    const auto target = [&](std::uint32_t format, std::uint32_t usage) {
        ImageDesc image;
        image.width = desc_.width;
        image.height = desc_.height;
        image.format = format;
        image.usage = usage | kImageUsageSampled | kImageUsageCopySource;
        return device_.CreateImage(image);
    };
    targets_.color = target(kFormatRgba8Unorm, kImageUsageColorTarget);
    targets_.depthStencil = target(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    if (desc_.probeTargets) {
        targets_.probeValue = target(kFormatR32Float, kImageUsageColorTarget);
        targets_.probeDepth = target(kFormatR32Float, kImageUsageColorTarget);
    }
    if (targets_.color.IsNull() || targets_.depthStencil.IsNull() ||
        (desc_.probeTargets && (targets_.probeValue.IsNull() || targets_.probeDepth.IsNull()))) {
        if (error != nullptr)
            *error = std::string(caller) + ": no targets of " + std::to_string(desc_.width) + "x" +
                     std::to_string(desc_.height);
        return false;
    }
    for (PassKind kind : kPassKinds) passes_[static_cast<std::size_t>(kind)] = MakeRenderPass(targets_, kind);
    return true;
}

void OffscreenFrame::DestroyTargets() {
    device_.DestroyImage(targets_.probeDepth);
    device_.DestroyImage(targets_.probeValue);
    device_.DestroyImage(targets_.depthStencil);
    device_.DestroyImage(targets_.color);
    targets_ = {};
}

OffscreenFrame::~OffscreenFrame() {
    // Programs and pipeline states go first; they may draw into the targets.
    cache_.pipelineStates.clear();
    cache_.programs.clear();
    DestroyTargets();
}

bool OffscreenFrame::Resize(std::uint32_t width, std::uint32_t height, std::string* error) {
    DestroyTargets();
    desc_.width = width;
    desc_.height = height;
    if (MakeTargets("OffscreenFrame::Resize()", error)) return true;
    DestroyTargets();
    return false;
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

std::optional<ProbeTexel> OffscreenFrame::ReadProbeAt(std::uint32_t x, std::uint32_t y) const {
    const std::optional<float> value = device_.ReadFloatTexel(targets_.probeValue, x, y);
    const std::optional<float> depth = device_.ReadFloatTexel(targets_.probeDepth, x, y);
    if (!value || !depth) return std::nullopt;
    return ProbeTexel{*value, *depth};
}

bool OffscreenFrame::WriteColorPng(const std::string& path, std::string* error) const {
    const std::vector<std::uint8_t> texels = ReadColor();
    return WritePng(path, desc_.width, desc_.height, texels.data(), error);
}

}  // namespace Korvex::Rendering
