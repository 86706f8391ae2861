#pragma once

// Small inputs for the scenarios: render targets and the pass over them,
// grids, and line or triangle geometry, all made on the recording device.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Korvex::Rendering::faults {

inline const boundingbox<float, 3> kUnitBox{{0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};

// Colour, both probes and depth-stencil, 16 x 16; destroyed with the object.
class Targets {
public:
    explicit Targets(RecordingDevice& device) : device_(device) {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({16, 16, 0, format, 1, 1, usage});
        };
        color_ = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        probeValue_ = make(kFormatR32Float, kImageUsageColorTarget);
        probeDepth_ = make(kFormatR32Float, kImageUsageColorTarget);
        depthStencil_ = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
    }
    Targets(const Targets&) = delete;
    Targets& operator=(const Targets&) = delete;
    ~Targets() {
        for (ImageId image : {color_, probeValue_, probeDepth_, depthStencil_}) device_.DestroyImage(image);
    }

    RenderPassDesc Pass() const {
        RenderPassDesc pass;
        pass.targets[kTargetColor] = {1, color_, kFormatRgba8Unorm};
        pass.targets[kTargetProbeValue] = {1, probeValue_, kFormatR32Float};
        pass.targets[kTargetProbeDepth] = {1, probeDepth_, kFormatR32Float};
        pass.targets[kTargetDepthStencil] = {1, depthStencil_, kFormatDepth24Stencil8};
        return pass;
    }

private:
    RecordingDevice& device_;
    ImageId color_, probeValue_, probeDepth_, depthStencil_;
};

inline std::shared_ptr<IScalarGrid> MakeValues(IGpu& gpu) {
    std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(gpu);
    EXPECT_TRUE(grid->SetValues(2, 2, 2, std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7}));
    return grid;
}

inline std::shared_ptr<IVectorGrid> MakeDisplacements(IGpu& gpu) {
    std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(gpu);
    EXPECT_TRUE(grid->SetVectors(2, 2, 2, std::vector<Vector3f>(8, Vector3f{0.1f, 0.0f, 0.0f})));
    return grid;
}

// Two triangles (one quad) or two line segments in the unit box.
inline std::shared_ptr<IGeometry> MakeGeometry(IGpu& gpu, std::uint32_t verticesPerPrimitive) {
    const std::array<VertexPN, 6> quad{VertexPN{{0, 0, 0.5f}, {0, 0, 1}}, VertexPN{{1, 0, 0.5f}, {0, 0, 1}},
                                       VertexPN{{1, 1, 0.5f}, {0, 0, 1}}, VertexPN{{0, 0, 0.5f}, {0, 0, 1}},
                                       VertexPN{{1, 1, 0.5f}, {0, 0, 1}}, VertexPN{{0, 1, 0.5f}, {0, 0, 1}}};
    const std::size_t count = verticesPerPrimitive == 2 ? 4 : 6;
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, kUnitBox, [&](auto& builder) {
        builder.AddPrimitives(std::span<const VertexPN>(quad.data(), count));
    });
}

inline std::vector<ClipPlane> PlanesAcrossX(std::size_t count) {
    std::vector<ClipPlane> planes;
    for (std::size_t i = 0; i < count; ++i) planes.push_back({1.0f, 0.0f, 0.0f, -0.25f * static_cast<float>(i + 1)});
    return planes;
}

}  // namespace Korvex::Rendering::faults
