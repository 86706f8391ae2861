#pragma once

// A voxel mesh on the recording device with real grids, targets of a known
// size and passes over them, for call-sequence tests.

#include "meshes/voxel/VoxelGridMesh.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Korvex::Rendering::voxel_test {

using Box = boundingbox<float, 3>;
using Dimensions = std::array<std::size_t, 3>;
using detail::VoxelConstants;

inline const Box kUnitBox{{0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}};
// Cells (0, 0, 0), (1, 0, 0) and (0, 1, 1), packed.
inline const std::vector<std::uint32_t> kThreeVoxels{0x00000000u, 0x00000001u, 0x00100400u};

// Which probe targets a pass has; colour and depth-stencil always.
struct ProbeTargets {
    bool value = false;
    bool depth = false;
};

inline VoxelConstants ConstantsOf(const std::vector<std::uint8_t>& bytes) {
    VoxelConstants constants;
    EXPECT_EQ(bytes.size(), sizeof constants);
    std::memcpy(&constants, bytes.data(), std::min(bytes.size(), sizeof constants));
    return constants;
}

class VoxelRecordingTest : public ::testing::Test {
protected:
    VoxelRecordingTest() {
        const auto image = [&](std::uint32_t format, std::uint32_t usage) {
            return device.CreateImage({64, 32, 0, format, 1, 1, usage});
        };
        color = image(kFormatRgba8Unorm, kImageUsageColorTarget);
        probeValue = image(kFormatR32Float, kImageUsageColorTarget);
        probeDepth = image(kFormatR32Float, kImageUsageColorTarget);
        depthStencil = image(kFormatDepth24Stencil8, kImageUsageDepthStencilTarget);
        mesh = std::make_unique<VoxelGridMesh>(device);
        constantBuffer = BufferId{LastCreated("CreateBuffer")};
        sampler = SamplerId{LastCreated("CreateSampler")};
    }

    std::shared_ptr<IScalarGrid> MakeValues(const Dimensions& size = {2, 2, 2}, float value = 0.5f) {
        std::shared_ptr<IScalarGrid> grid = CreateScalarGrid(device);
        EXPECT_TRUE(grid->SetValues(size[0], size[1], size[2], std::vector<float>(size[0] * size[1] * size[2], value)));
        return grid;
    }
    std::shared_ptr<IVectorGrid> MakeDisplacements(const std::vector<Vector3f>& vectors = std::vector<Vector3f>(8)) {
        std::shared_ptr<IVectorGrid> grid = CreateVectorGrid(device);
        EXPECT_TRUE(grid->SetVectors(vectors.size(), 1, 1, vectors));
        return grid;
    }

    // Voxels and values attached: the mesh draws.
    void MakeDrawable(bool withDisplacements = false) {
        mesh->SetVoxels(kThreeVoxels);
        voxelView = ImageViewId{LastCreated("CreateBufferView")};
        values = MakeValues();
        displacements = withDisplacements ? MakeDisplacements() : nullptr;
        mesh->SetGrids(values, displacements, kUnitBox);
    }

    RenderPassDesc Pass(const ProbeTargets& probes = {}) const {
        const auto record = [](bool on, ImageId image, std::uint32_t format) {
            return on ? RenderTargetRecord{1, image, format} : RenderTargetRecord{};
        };
        RenderPassDesc pass;
        pass.targets[kTargetColor] = record(true, color, kFormatRgba8Unorm);
        pass.targets[kTargetProbeValue] = record(probes.value, probeValue, kFormatR32Float);
        pass.targets[kTargetProbeDepth] = record(probes.depth, probeDepth, kFormatR32Float);
        pass.targets[kTargetDepthStencil] = record(true, depthStencil, kFormatDepth24Stencil8);
        return pass;
    }

    // The calls of one draw.
    std::vector<std::string> Draw(const ProbeTargets& probes = {}) {
        device.ClearCalls();
        mesh->Draw(nullptr, Pass(probes), cache, nullptr);
        return device.OperationNames();
    }

    // The id the latest call of a Create operation returned.
    std::uint64_t LastCreated(std::string_view operation) const {
        for (auto call = device.Calls().rbegin(); call != device.Calls().rend(); ++call)
            if (call->operation == operation) return call->result;
        throw std::runtime_error("no " + std::string(operation) + " recorded");
    }

    // The one call of an operation in the recording.
    const RecordedCall& Only(std::string_view operation) const {
        const RecordedCall* found = nullptr;
        for (const RecordedCall& call : device.Calls())
            if (call.operation == operation) {
                EXPECT_EQ(found, nullptr) << "more than one " << operation;
                found = &call;
            }
        if (found == nullptr) throw std::runtime_error("no " + std::string(operation) + " recorded");
        return *found;
    }

    RecordingDevice device;
    ImageId color, probeValue, probeDepth, depthStencil;
    // Released before the device; the mesh before the cache, as a host would.
    ResourceCache cache;
    std::shared_ptr<IScalarGrid> values;
    std::shared_ptr<IVectorGrid> displacements;
    std::unique_ptr<VoxelGridMesh> mesh;
    BufferId constantBuffer;
    SamplerId sampler;
    ImageViewId voxelView;
};

}  // namespace Korvex::Rendering::voxel_test
