#include "RenderPasses.h"

namespace Korvex::Rendering {

namespace {

RenderTargetRecord Record(ImageId image, std::uint32_t format) {
    if (image.IsNull()) return {};
    RenderTargetRecord record;
    record.writeEnable = 1;
    record.image = image;
    record.format = format;
    return record;
}

}  // namespace

std::optional<PassKind> PassForTechnique(StringId technique) {
    static const StringId simulation("SimulationTechnique");
    static const StringId capped("CappedSimulationTechnique");
    static const StringId transparent("TransparentSimulationTechnique");
    if (technique == simulation || technique == capped) return PassKind::Opaque;
    if (technique == transparent) return PassKind::Transparent;
    return std::nullopt;
}

RenderPassDesc MakeRenderPass(const FrameTargets& targets, PassKind kind) {
    RenderPassDesc pass;
    pass.cullMode = kCullNone;
    pass.frontFace = kFrontFaceCounterClockwise;
    pass.blendMode = kind == PassKind::Transparent ? kBlendAlpha : kBlendOff;
    pass.stencilCompareFront = kCompareAlways;
    pass.stencilCompareBack = kCompareAlways;
    pass.depthCompare = kCompareLess;
    pass.depthWrite = 1;
    pass.stencilFailOpFront = pass.stencilDepthFailOpFront = pass.stencilPassOpFront = kStencilKeep;
    pass.stencilFailOpBack = pass.stencilDepthFailOpBack = pass.stencilPassOpBack = kStencilKeep;
    pass.targets[kTargetColor] = Record(targets.color, kFormatRgba8Unorm);
    pass.targets[kTargetProbeValue] = Record(targets.probeValue, kFormatR32Float);
    pass.targets[kTargetProbeDepth] = Record(targets.probeDepth, kFormatR32Float);
    pass.targets[kTargetUnused] = {};
    pass.targets[kTargetDepthStencil] = Record(targets.depthStencil, kFormatDepth24Stencil8);
    return pass;
}

}  // namespace Korvex::Rendering
