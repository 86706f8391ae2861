// Many frames of all three meshes on llvmpipe, each frame re-uploading the
// grids (new dimensions every other frame), replacing colour map and voxel
// list, rebuilding the surface and recreating the line mesh. The frames
// repeat with a period of two, so the device must hold as many objects after
// every second frame as after the first two, the process about as much
// memory, and nothing once everything is destroyed.

#include <Camera.h>
#include <GlDevice.h>
#include <Korvex/Rendering/Simulation/GeometryBuilder.h>
#include <Korvex/Rendering/Simulation/Simulation.h>
#include <OffscreenFrame.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

using Box = boundingbox<float, 3>;

constexpr std::size_t kWarmUpFrames = 10;
constexpr std::size_t kFrames = 60;
// Grid samples per axis, alternating, so that every other upload replaces
// the images: with 16-byte vectors a frame uploads about 1.5 MB.
constexpr std::array<std::size_t, 2> kSamples = {40, 44};
// Resident memory may grow by this much between the end of the warm-up and
// the last frame: malloc keeps freed blocks for reuse and llvmpipe grows its
// scene bins on demand. One staging image left behind per upload would add
// about 80 MB over the frames measured.
constexpr long kResidentSlackBytes = 16L << 20;

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

const Box kBox{{-1, -1, -1}, {1, 1, 1}};

std::vector<float> Values(std::size_t n, std::size_t frame) {
    std::vector<float> values(n * n * n);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::sin(0.01f * static_cast<float>(i + frame));
    return values;
}

// A square of two triangles, or its four edges as lines.
std::shared_ptr<IGeometry> Square(IGpu& gpu, bool lines) {
    const VertexPN a{{-0.8f, -0.8f, 0}, {0, 0, 1}}, b{{0.8f, -0.8f, 0}, {0, 0, 1}}, c{{0.8f, 0.8f, 0}, {0, 0, 1}},
        d{{-0.8f, 0.8f, 0}, {0, 0, 1}};
    return lines ? BuildLineGeometry(gpu, std::vector<VertexPN>{a, b, b, c, c, d, d, a}, kBox)
                 : BuildTriangleGeometry(gpu, std::vector<VertexPN>{a, b, c, a, c, d}, kBox);
}

// Cells along the grid's main diagonal, packed 10 bits per axis.
std::vector<std::uint32_t> DiagonalVoxels(std::size_t n) {
    std::vector<std::uint32_t> voxels;
    for (std::uint32_t i = 0; i + 1 < n; ++i) voxels.push_back(i | (i << 10) | (i << 20));
    return voxels;
}

class Scene {
public:
    explicit Scene(GlDevice& device) : device_(device) {
        values_ = CreateScalarGrid(device);
        displacements_ = CreateVectorGrid(device);
        triangles_ = CreateTriangleGridMesh(device);
        voxels_ = CreateVoxelGridMesh(device);
        triangles_->SetClipPlanes(std::vector<ClipPlane>{{0, 0, -1, 0.3f}});
        voxels_->SetAlpha(0.5f);
        camera_ = {MakeLookAt({0, 0, 4}, {0, 0, 0}, {0, 1, 0}), MakeOrthographic(-1.2, 1.2, -1.2, 1.2, 1, 8)};
    }

    // One frame; what changes depends only on the frame's parity.
    std::size_t Frame(OffscreenFrame& frame, std::size_t index) {
        const std::size_t n = kSamples[index % 2];
        EXPECT_TRUE(values_->SetValues(n, n, n, Values(n, index)));
        EXPECT_TRUE(displacements_->SetVectors(n, n, n, std::vector<Vector3f>(n * n * n, Vector3f{0.01f, 0, 0})));

        triangles_->SetGeometry(Square(device_, false));
        triangles_->SetGrids(values_, nullptr, kBox);
        triangles_->SetColorMap(GetRgbaColorMap(index % 2 == 0 ? ColorMaps::Viridis : ColorMaps::Jet));
        voxels_->SetVoxels(DiagonalVoxels(n));
        voxels_->SetGrids(values_, displacements_, kBox);
        voxels_->SetDeformation(1.0f);

        lines_ = CreateLineGridMesh(device_);
        lines_->SetGeometry(Square(device_, true));
        lines_->SetGrids(values_, displacements_, kBox);
        lines_->SetDeformation(1.0f);

        lines_->SetViewProjection(camera_[0], camera_[1]);
        triangles_->SetViewProjection(camera_[0], camera_[1]);
        voxels_->SetViewProjection(camera_[0], camera_[1]);
        IRenderable* const renderables[] = {lines_.get(), triangles_.get(), voxels_.get()};
        frame.Clear();
        return frame.Draw(renderables);
    }

private:
    GlDevice& device_;
    std::array<KxTransformMatrix, 2> camera_;
    std::shared_ptr<IScalarGrid> values_;
    std::shared_ptr<IVectorGrid> displacements_;
    std::unique_ptr<ITriangleGridMesh> triangles_;
    std::unique_ptr<IVoxelGridMesh> voxels_;
    std::unique_ptr<ILineGridMesh> lines_;
};

TEST(SoakGLTest, RepeatedUploadsAndRecreationsReturnToTheirStartingLevel) {
    std::string error;
    const std::unique_ptr<GlDevice> device = GlDevice::Create(&error);
    ASSERT_NE(device, nullptr) << error;
    {
        std::unique_ptr<OffscreenFrame> frame = OffscreenFrame::Create(*device, {48, 48, true, {0, 0, 0, 1}}, &error);
        ASSERT_NE(frame, nullptr) << error;
        Scene scene(*device);

        std::size_t liveAfterWarmUp = 0;
        long residentAfterWarmUp = 0;
        for (std::size_t index = 0; index < kFrames; ++index) {
            ASSERT_EQ(scene.Frame(*frame, index), 3u) << "frame " << index;
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
