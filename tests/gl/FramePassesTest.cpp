// The frame's passes and camera matrices, without a GL context.

#include <Camera.h>
#include <RenderPasses.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

namespace Korvex::Rendering {
namespace {

FrameTargets SomeTargets(bool probes) {
    FrameTargets targets;
    targets.color = ImageId::FromParts(1, 1);
    targets.depthStencil = ImageId::FromParts(4, 1);
    if (probes) {
        targets.probeValue = ImageId::FromParts(2, 1);
        targets.probeDepth = ImageId::FromParts(3, 1);
    }
    return targets;
}

TEST(FramePasses, TechniquesMapToTheirPasses) {
    EXPECT_EQ(PassForTechnique(StringId("SimulationTechnique")), PassKind::Opaque);
    EXPECT_EQ(PassForTechnique(StringId("CappedSimulationTechnique")), PassKind::Capped);
    EXPECT_EQ(PassForTechnique(StringId("TransparentSimulationTechnique")), PassKind::Transparent);
    EXPECT_EQ(PassForTechnique(StringId("ShadowTechnique")), std::nullopt);
    EXPECT_EQ(PassForTechnique(StringId()), std::nullopt);
}

TEST(FramePasses, DefaultPassTestsDepthLessWithWritesAndLeavesStencilAlone) {
    for (PassKind kind : {PassKind::Opaque, PassKind::Capped, PassKind::Transparent}) {
        const RenderPassDesc pass = MakeRenderPass(SomeTargets(true), kind);
        EXPECT_EQ(pass.cullMode, kCullNone);
        EXPECT_EQ(pass.frontFace, kFrontFaceCounterClockwise);
        EXPECT_EQ(pass.depthCompare, kCompareLess);
        EXPECT_EQ(pass.depthWrite, 1);
        EXPECT_EQ(pass.stencilCompareFront, kCompareAlways);
        EXPECT_EQ(pass.stencilCompareBack, kCompareAlways);
        for (std::uint32_t op : {pass.stencilFailOpFront, pass.stencilDepthFailOpFront, pass.stencilPassOpFront,
                                 pass.stencilFailOpBack, pass.stencilDepthFailOpBack, pass.stencilPassOpBack})
            EXPECT_EQ(op, kStencilKeep);
        EXPECT_EQ(pass.blendMode, kind == PassKind::Transparent ? kBlendAlpha : kBlendOff);
    }
}

TEST(FramePasses, TargetRecordsCarryImageWriteEnableAndFormat) {
    for (const bool probes : {true, false}) {
        const FrameTargets targets = SomeTargets(probes);
        const RenderPassDesc pass = MakeRenderPass(targets, PassKind::Opaque);
        const std::tuple<RenderTarget, ImageId, std::uint32_t> expected[] = {
            {kTargetColor, targets.color, kFormatRgba8Unorm},
            {kTargetProbeValue, targets.probeValue, probes ? kFormatR32Float : 0u},
            {kTargetProbeDepth, targets.probeDepth, probes ? kFormatR32Float : 0u},
            {kTargetUnused, ImageId::Null(), 0},
            {kTargetDepthStencil, targets.depthStencil, kFormatDepth24Stencil8},
        };
        for (const auto& [target, image, format] : expected) {
            EXPECT_EQ(pass.targets[target].image, image) << "target " << target;
            EXPECT_EQ(pass.targets[target].format, format) << "target " << target;
            EXPECT_EQ(pass.targets[target].writeEnable, image.IsNull() ? 0u : 1u) << "target " << target;
        }
    }
}

// Clip-space z/w of a view-space point.
double DepthOf(const KxTransformMatrix& projection, double viewZ) {
    const double z = projection.GetElement(2, 2, false) * viewZ + projection.GetElement(2, 3, false);
    const double w = projection.GetElement(3, 2, false) * viewZ + projection.GetElement(3, 3, false);
    return z / w;
}

TEST(FrameCamera, ProjectionsMapNearToZeroAndFarToOne) {
    const KxTransformMatrix perspective = MakePerspective(1.0, 1.5, 0.5, 20.0);
    EXPECT_NEAR(DepthOf(perspective, -0.5), 0.0, 1e-12);
    EXPECT_NEAR(DepthOf(perspective, -20.0), 1.0, 1e-12);
    const KxTransformMatrix orthographic = MakeOrthographic(-1, 1, -1, 1, 2.0, 10.0);
    EXPECT_NEAR(DepthOf(orthographic, -2.0), 0.0, 1e-12);
    EXPECT_NEAR(DepthOf(orthographic, -10.0), 1.0, 1e-12);
    EXPECT_NEAR(DepthOf(orthographic, -6.0), 0.5, 1e-12);
}

TEST(FrameCamera, LookAtPutsTheTargetOnTheNegativeZAxis) {
    const KxTransformMatrix view = MakeLookAt({3, 4, 5}, {3, 4, -5}, {0, 1, 0});
    const std::array<double, 4> target{3, 4, -5, 1};
    std::array<double, 4> seen{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) seen[r] += view.GetElement(r, c, false) * target[c];
    EXPECT_NEAR(seen[0], 0.0, 1e-12);
    EXPECT_NEAR(seen[1], 0.0, 1e-12);
    EXPECT_NEAR(seen[2], -10.0, 1e-12);
    // Up stays up.
    EXPECT_NEAR(view.GetElement(1, 1, false), 1.0, 1e-12);
}

}  // namespace
}  // namespace Korvex::Rendering
