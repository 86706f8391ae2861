// Many frames of all three meshes on llvmpipe, each frame re-uploading the
// grids (new dimensions every other frame), replacing colour map and voxel
// list, rebuilding the surface and recreating the line mesh. The frames
// repeat with a period of two, so the device must hold as many objects after
// every second frame as after the warm-up, the process about as much memory,
// and nothing once everything is destroyed.

#include <Camera.h>
#include <GlDevice.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>
#include <OffscreenFrame.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace Korvex::Rendering {
namespace {

constexpr std::size_t kWarmUpFrames = 10;
constexpr std::size_t kFrames = 60;
// Resident memory may grow by this much between the end of the warm-up and
// the last frame: malloc keeps freed blocks for reuse and llvmpipe grows its
// scene bins on demand. One staging image left behind per upload of these
// grids (40 or 44 samples a side) would add about 80 MB over the frames.
constexpr long kResidentSlackBytes = 16L << 20;

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

TEST(SoakGLTest, RepeatedUploadsAndRecreationsReturnToTheirStartingLevel) {
    std::string error;
    const std::unique_ptr<GlDevice> device = GlDevice::Create(&error);
    ASSERT_NE(device, nullptr) << error;
    {
        std::unique_ptr<OffscreenFrame> frame = OffscreenFrame::Create(*device, {48, 48, true, {0, 0, 0, 1}}, &error);
        ASSERT_NE(frame, nullptr) << error;
        const boundingbox<float, 3> box{{-1, -1, -1}, {1, 1, 1}};
        const VertexPN a{{-0.8f, -0.8f, 0}, {0, 0, 1}}, b{{0.8f, -0.8f, 0}, {0, 0, 1}}, c{{0.8f, 0.8f, 0}, {0, 0, 1}},
            d{{-0.8f, 0.8f, 0}, {0, 0, 1}};
        const KxTransformMatrix view = MakeLookAt({0, 0, 4}, {0, 0, 0}, {0, 1, 0});
        const KxTransformMatrix projection = MakeOrthographic(-1.2, 1.2, -1.2, 1.2, 1, 8);
        std::shared_ptr<IScalarGrid> values = CreateScalarGrid(*device);
        std::shared_ptr<IVectorGrid> displacements = CreateVectorGrid(*device);
        std::unique_ptr<ITriangleGridMesh> surface = CreateTriangleGridMesh(*device);
        std::unique_ptr<IVoxelGridMesh> voxels = CreateVoxelGridMesh(*device);
        std::unique_ptr<ILineGridMesh> lines;
        surface->SetClipPlanes(std::vector<ClipPlane>{{0, 0, -1, 0.3f}});
        voxels->SetAlpha(0.5f);
        voxels->SetDeformation(1.0f);

        std::size_t liveAfterWarmUp = 0;
        long residentAfterWarmUp = 0;
        for (std::size_t index = 0; index < kFrames; ++index) {
            const std::size_t n = index % 2 == 0 ? 40 : 44;
            ASSERT_TRUE(values->SetValues(n, n, n, std::vector<float>(n * n * n, 0.25f * float(index % 4))));
            ASSERT_TRUE(displacements->SetVectors(n, n, n, std::vector<Vector3f>(n * n * n, Vector3f{0.01f, 0, 0})));
            surface->SetGeometry(BuildTriangleGeometry(*device, std::vector<VertexPN>{a, b, c, a, c, d}, box));
            surface->SetGrids(values, nullptr, box);
            surface->SetColorMap(GetRgbaColorMap(index % 2 == 0 ? ColorMaps::Viridis : ColorMaps::Jet));
            std::vector<std::uint32_t> diagonal;
            for (std::uint32_t i = 0; i + 1 < n; ++i) diagonal.push_back(i | (i << 10) | (i << 20));
            voxels->SetVoxels(diagonal);
            voxels->SetGrids(values, displacements, box);
            lines = CreateLineGridMesh(*device);
            lines->SetGeometry(BuildLineGeometry(*device, std::vector<VertexPN>{a, b, b, c, c, d, d, a}, box));
            lines->SetGrids(values, displacements, box);
            lines->SetDeformation(1.0f);
            IRenderable* const renderables[] = {lines.get(), surface.get(), voxels.get()};
            for (IRenderable* mesh : renderables) dynamic_cast<ITransformable&>(*mesh).SetViewProjection(view, projection);
            frame->Clear();
            ASSERT_EQ(frame->Draw(renderables), 3u) << "frame " << index;
            if (index + 1 == kWarmUpFrames) {
                liveAfterWarmUp = device->LiveObjectCount();
                residentAfterWarmUp = ResidentBytes();
            } else if (index + 1 > kWarmUpFrames && index % 2 == 1) {
                ASSERT_EQ(device->LiveObjectCount(), liveAfterWarmUp) << "frame " << index;
            }
        }
        const std::vector<std::uint8_t> color = frame->ReadColor();
        const std::size_t centre = (24 * 48 + 24) * 4;
        EXPECT_NE(color[centre] + color[centre + 1] + color[centre + 2], 0) << "the scene covers the centre";
        EXPECT_LE(ResidentBytes() - residentAfterWarmUp, kResidentSlackBytes);
    }
    EXPECT_EQ(device->LiveObjectCount(), 0u) << "objects left alive";
    for (const std::string& message : device->Diagnostics()) ADD_FAILURE() << message;
}

}  // namespace
}  // namespace Korvex::Rendering
