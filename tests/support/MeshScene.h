#pragma once

// What the mesh tests on the recording device share: colour, probe and
// depth-stencil targets of 64 x 32, the pass over them, small inputs, and
// lookups in the recording.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace Korvex::Rendering::test_support {

using Box = boundingbox<float, 3>;
using Dimensions = std::array<std::size_t, 3>;

inline const Box kUnitBox{{0, 0, 0}, {1, 1, 1}};

// A tetrahedron, the smallest closed surface (open: its first face alone), or
// two line segments.
inline std::shared_ptr<IGeometry> MakeGeometry(IGpu& gpu, std::uint32_t verticesPerPrimitive, bool open = false,
                                               float size = 1.0f) {
    const VertexPN o{{0, 0, 0}, {0, 0, 1}}, x{{size, 0, 0}, {0, 0, 1}}, y{{0, size, 0}, {0, 0, 1}},
        z{{0, 0, size}, {0, 0, 1}};
    const std::array<VertexPN, 12> tetrahedron{o, y, x, o, x, z, o, z, y, x, y, z};
    const std::size_t count = verticesPerPrimitive == 2 ? 4 : open ? 3 : 12;
    return detail::BuildVertexPNGeometry(gpu, verticesPerPrimitive, kUnitBox, [&](auto& builder) {
        builder.AddPrimitives(std::span<const VertexPN>(tetrahedron.data(), count));
    });
}

inline std::shared_ptr<IScalarGrid> MakeValues(IGpu& gpu, const Dimensions& size = {2, 2, 2}) {
    std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(gpu);
    EXPECT_TRUE(grid->SetValues(size[0], size[1], size[2], std::vector<float>(size[0] * size[1] * size[2], 0.5f)));
    return grid;
}

inline std::shared_ptr<IVectorGrid> MakeDisplacements(IGpu& gpu, const Dimensions& size = {2, 2, 2}) {
    std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(gpu);
    const std::vector<Vector3f> vectors(size[0] * size[1] * size[2], Vector3f{0.1f, 0.0f, 0.0f});
    EXPECT_TRUE(grid->SetVectors(size[0], size[1], size[2], vectors));
    return grid;
}

inline std::vector<ClipPlane> PlanesAcrossX(std::size_t count) {
    std::vector<ClipPlane> planes;
    for (std::size_t i = 0; i < count; ++i)
        planes.push_back({1.0f, static_cast<float>(i), 0.0f, -0.1f * static_cast<float>(i + 1)});
    return planes;
}

// A draw call's resource slot as view, sampler and stage mask, compared whole.
using Binding = std::tuple<std::uint64_t, std::uint64_t, std::uint32_t>;
inline Binding Bound(ImageViewId view, SamplerId sampler, std::uint32_t stageMask) {
    return {std::uint64_t{view.value}, std::uint64_t{sampler.value}, stageMask};
}
inline Binding BindingOf(const DrawCallDesc& drawCall, std::size_t slot) {
    const auto& r = drawCall.resources[slot];
    return Bound(r.view, r.sampler, r.stageMask);
}

class MeshScene : public ::testing::Test {
protected:
    static constexpr std::uint32_t kWidth = 64;
    static constexpr std::uint32_t kHeight = 32;

    MeshScene() {
        const auto make = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({kWidth, kHeight, 0, format, 1, 1, usage});
        };
        color = make(kFormatRgba8Unorm, kImageUsageColorTarget);
        probeValue = make(kFormatR32Float, kImageUsageColorTarget);
        probeDepth = make(kFormatR32Float, kImageUsageColorTarget);
        depthStencil = make(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        device.ClearCalls();
    }

    // Colour and depth-stencil always; the probe targets as asked.
    RenderPassDesc Pass(bool probeValues = true, bool probeDepths = true, bool depth = true) const {
        const auto record = [](bool on, ImageId image, std::uint32_t format) {
            return on ? RenderTargetRecord{1, image, format} : RenderTargetRecord{};
        };
        RenderPassDesc pass;
        pass.targets[kTargetColor] = record(true, color, kFormatRgba8Unorm);
        pass.targets[kTargetProbeValue] = record(probeValues, probeValue, kFormatR32Float);
        pass.targets[kTargetProbeDepth] = record(probeDepths, probeDepth, kFormatR32Float);
        pass.targets[kTargetDepthStencil] = record(depth, depthStencil, kFormatDepth24Stencil8);
        return pass;
    }

    // Draws with a clean recording and answers its operations.
    std::vector<std::string> Draw(IRenderable& mesh, const RenderPassDesc& pass) {
        device.ClearCalls();
        mesh.Draw(nullptr, pass, cache, nullptr);
        return device.OperationNames();
    }
    std::vector<std::string> Draw(IRenderable& mesh) { return Draw(mesh, Pass()); }

    const RecordedCall& First(std::string_view operation) const {
        for (const RecordedCall& call : device.Calls())
            if (call.operation == operation) return call;
        throw std::runtime_error("no " + std::string(operation) + " was recorded");
    }

    // The constants block the first upload of the recording carried.
    template <class Constants>
    Constants Uploaded() const {
        const auto& bytes = First("UpdateBuffer").As<std::vector<std::uint8_t>>();
        Constants constants;
        if (bytes.size() != sizeof constants) throw std::runtime_error("the upload is not one constants block");
        std::memcpy(&constants, bytes.data(), sizeof constants);
        return constants;
    }

    // The host's objects go after the meshes of derived fixtures, the cache
    // before the device.
    RecordingDevice device;
    ImageId color, probeValue, probeDepth, depthStencil;
    ResourceCache cache;
};

}  // namespace Korvex::Rendering::test_support
