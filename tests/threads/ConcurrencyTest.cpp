// What may run on several threads at once: geometry builds (each fanning its
// flush out over TBB workers), the colour-map functions, and meshes used on
// devices of their own, first uses of the function-local statics included.
// Meant for the ThreadSanitizer build (scripts/test-threads); elsewhere it
// checks that concurrent results equal the ones made alone.

#include <MeshScene.h>

#include <latch>
#include <thread>

namespace Korvex::Rendering::test_support {
namespace {

// Separate triangles for three draw calls of up to 65,535 vertices, so that
// the flush has several calls to optimise in parallel; the bytes of every
// buffer the build created.
std::vector<std::vector<std::uint8_t>> BuildBuffers() {
    std::vector<VertexPN> vertices;
    for (std::size_t t = 0; t < 65535 + 100; ++t) {
        const float x = static_cast<float>(t % 512), y = static_cast<float>(t / 512);
        vertices.insert(vertices.end(), {{{x, y, 0}, {0, 0, 1}}, {{x + 1, y, 0}, {0, 0, 1}}, {{x, y + 1, 0}, {0, 0, 1}}});
    }
    RecordingDevice device;
    const std::shared_ptr<IGeometry> geometry = detail::BuildVertexPNGeometry(
        device, 3, kUnitBox, [&](auto& builder) { builder.AddPrimitives(std::span<const VertexPN>(vertices)); });
    std::vector<std::vector<std::uint8_t>> buffers;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == "CreateBuffer") buffers.push_back(device.BufferBytes(BufferId{call.result}));
    return buffers;
}

// A voxel mesh and a triangle mesh drawn once on a device of their own: the
// first draws build the default gradient, specialise and compile programs and
// hash keys.
std::size_t DrawMeshesAlone() {
    RecordingDevice device;
    ResourceCache cache;
    const std::unique_ptr<IVoxelGridMesh> voxels = CreateVoxelGridMesh(device);
    const std::unique_ptr<ITriangleGridMesh> surface = CreateTriangleGridMesh(device);
    voxels->SetVoxels(std::vector<std::uint32_t>{0u});
    voxels->SetGrids(MakeValues(device), nullptr, kUnitBox);
    surface->SetGeometry(MakeGeometry(device, 3));
    surface->SetGrids(MakeValues(device), nullptr, kUnitBox);
    voxels->SetClipPlanes(PlanesAcrossX(1));
    surface->SetClipPlanes(PlanesAcrossX(1));
    RenderPassDesc pass;
    pass.targets[kTargetDepthStencil].image =
        device.CreateImage({8, 8, 0, kFormatDepth24Stencil8, 1, 1, kImageUsageDepthStencilTarget});
    voxels->Draw(nullptr, pass, cache, nullptr);
    surface->Draw(nullptr, pass, cache, nullptr);
    return device.CountOf("DrawVertices") + device.CountOf("DrawIndexed");
}

TEST(ConcurrencyTest, BuildsColourMapsAndFirstDrawsOnSeveralThreadsGiveWhatTheyGiveAlone) {
    const std::vector<std::vector<std::uint8_t>> builtAlone = BuildBuffers();
    ASSERT_EQ(builtAlone.size(), 2u) << "one vertex and one index buffer";
    const std::size_t drawsAlone = DrawMeshesAlone();
    const std::vector<float> viridis = GetRgbaFColorMap(ColorMaps::Viridis);
    const std::vector<std::uint8_t> jet = GetRgbaColorMap(ColorMaps::Jet);

    constexpr std::size_t kThreads = 6;
    std::array<bool, kThreads> same{};
    std::latch start(kThreads);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < kThreads; ++i)
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                if (i < 2) same[i] = BuildBuffers() == builtAlone;
                if (i >= 2 && i < 4) same[i] = DrawMeshesAlone() == drawsAlone;
                for (int round = 0; i >= 4 && round < 20; ++round)
                    same[i] = (round == 0 || same[i]) && GetRgbaFColorMap(ColorMaps::Viridis) == viridis &&
                              GetRgbaColorMap(ColorMaps::Jet) == jet && f2b(GetRgbaFColorMap(ColorMaps::Jet)) == jet;
            });
    }
    for (std::size_t i = 0; i < kThreads; ++i) EXPECT_TRUE(same[i]) << "thread " << i;
}

}  // namespace
}  // namespace Korvex::Rendering::test_support
