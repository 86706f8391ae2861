// What may run on several threads at once: geometry builds (each fanning its
// flush out over TBB workers), the colour-map functions, and meshes used on
// devices of their own, first uses of the function-local statics included.
// Meant for the ThreadSanitizer build (scripts/test-threads); elsewhere it
// checks that concurrent results equal the ones made alone.

#include "meshes/triangle/VertexPNGeometry.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <latch>
#include <memory>
#include <span>
#include <thread>
#include <vector>

namespace Korvex::Rendering {
namespace {

// Enough separate triangles for three draw calls of up to 65,535 vertices,
// so that the flush has several calls to optimise in parallel.
std::vector<VertexPN> SeparateTriangles() {
    constexpr std::size_t kTriangles = 3 * 65535 / 3 + 100;
    std::vector<VertexPN> vertices;
    vertices.reserve(3 * kTriangles);
    for (std::size_t t = 0; t < kTriangles; ++t) {
        const float x = static_cast<float>(t % 512), y = static_cast<float>(t / 512);
        vertices.push_back({{x, y, 0}, {0, 0, 1}});
        vertices.push_back({{x + 1, y, 0}, {0, 0, 1}});
        vertices.push_back({{x, y + 1, 0}, {0, 0, 1}});
    }
    return vertices;
}

// The bytes of every buffer a build created, in creation order.
std::vector<std::vector<std::uint8_t>> BuildBuffers(const std::vector<VertexPN>& triangles) {
    RecordingDevice device;
    const std::shared_ptr<IGeometry> geometry =
        detail::BuildVertexPNGeometry(device, 3, boundingbox<float, 3>{}, [&](auto& builder) {
            builder.AddPrimitives(std::span<const VertexPN>(triangles));
        });
    std::vector<std::vector<std::uint8_t>> buffers;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "CreateBuffer") buffers.push_back(device.BufferBytes(BufferId{call.result}));
    return buffers;
}

// A voxel mesh drawn once on a device of its own: its first draw builds the
// default gradient, specialises and compiles its program, and hashes keys.
std::size_t DrawVoxelsAlone() {
    RecordingDevice device;
    ResourceCache cache;
    const std::unique_ptr<IVoxelGridMesh> mesh = CreateVoxelGridMesh(device);
    std::shared_ptr<IScalarGrid> values = CreateScalarGrid(device);
    values->SetValues(1, 1, 1, std::vector<float>{0.5f});
    mesh->SetVoxels(std::vector<std::uint32_t>{0u});
    mesh->SetGrids(values, nullptr, {{0, 0, 0}, {1, 1, 1}});
    mesh->SetClipPlanes(std::vector<ClipPlane>{{1, 0, 0, 0}});
    RenderPassDesc pass;
    pass.targets[kTargetDepthStencil].image =
        device.CreateImage({8, 8, 0, kFormatDepth24Stencil8, 1, 1, kImageUsageDepthStencilTarget});
    mesh->Draw(nullptr, pass, cache, nullptr);
    return device.CountOf("DrawVertices");
}

// Runs every job on a thread of its own, released together.
void RunTogether(const std::vector<std::function<void()>>& jobs) {
    std::latch start(static_cast<std::ptrdiff_t>(jobs.size()));
    std::vector<std::jthread> threads;
    for (const auto& job : jobs)
        threads.emplace_back([&start, &job] {
            start.arrive_and_wait();
            job();
        });
}

TEST(ConcurrencyTest, BuildsColourMapsAndFirstDrawsOnSeveralThreadsGiveWhatTheyGiveAlone) {
    const std::vector<VertexPN> triangles = SeparateTriangles();
    const std::vector<std::vector<std::uint8_t>> builtAlone = BuildBuffers(triangles);
    ASSERT_EQ(builtAlone.size(), 2u) << "one vertex and one index buffer";
    const std::vector<float> viridis = GetRgbaFColorMap(ColorMaps::Viridis);
    const std::vector<std::uint8_t> jetBytes = GetRgbaColorMap(ColorMaps::Jet);

    constexpr std::size_t kBuilders = 3;
    constexpr std::size_t kColourThreads = 2;
    constexpr std::size_t kMeshThreads = 2;
    std::array<std::vector<std::vector<std::uint8_t>>, kBuilders> built;
    std::array<int, kColourThreads> tableMismatches{};
    std::array<std::size_t, kMeshThreads> voxelDraws{};
    std::array<StringId, kMeshThreads> techniques{};

    std::vector<std::function<void()>> jobs;
    for (std::size_t i = 0; i < kBuilders; ++i) jobs.emplace_back([&, i] { built[i] = BuildBuffers(triangles); });
    for (std::size_t i = 0; i < kColourThreads; ++i)
        jobs.emplace_back([&, i] {
            for (int round = 0; round < 20; ++round) {
                tableMismatches[i] += GetRgbaFColorMap(ColorMaps::Viridis) != viridis;
                tableMismatches[i] += GetRgbaColorMap(ColorMaps::Jet) != jetBytes;
                tableMismatches[i] += f2b(GetRgbaFColorMap(ColorMaps::Jet)) != jetBytes;
            }
        });
    for (std::size_t i = 0; i < kMeshThreads; ++i)
        jobs.emplace_back([&, i] {
            RecordingDevice device;
            techniques[i] = CreateTriangleGridMesh(device)->GetTechnique();
            voxelDraws[i] = DrawVoxelsAlone();
        });
    RunTogether(jobs);

    for (std::size_t i = 0; i < kBuilders; ++i) EXPECT_EQ(built[i], builtAlone) << "builder " << i;
    for (std::size_t i = 0; i < kColourThreads; ++i) EXPECT_EQ(tableMismatches[i], 0) << "colour thread " << i;
    for (std::size_t i = 0; i < kMeshThreads; ++i) {
        EXPECT_EQ(techniques[i].Value(), StringId("SimulationTechnique").Value()) << "mesh thread " << i;
        EXPECT_EQ(voxelDraws[i], 1u) << "mesh thread " << i;
    }
}

}  // namespace
}  // namespace Korvex::Rendering
