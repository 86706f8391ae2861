// libFuzzer entry for the mesh setters that take views: the line mesh's
// colour, both colour-map setters of the triangle and voxel meshes, the clip
// planes of all three and the voxel list, with views of any length, each in
// a block of exactly that size. A view too short is rejected with no change
// and no device call; an accepted one reads only its own elements and leaves
// exactly the documented state.

#include "FuzzSupport.h"
#include "meshes/line/LineGridMesh.h"
#include "meshes/triangle/TriangleGridMesh.h"
#include "meshes/triangle/VertexPNGeometry.h"
#include "meshes/voxel/VoxelGridMesh.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace Korvex::Rendering;
using Korvex::Rendering::fuzz::ExactBlock;
using detail::Float4;

template <class T>
bool SameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Mostly around one colour or one plane, sometimes a whole table.
std::size_t Length(FuzzedDataProvider& input, std::size_t most) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, 9)
                               : input.ConsumeIntegralInRange<std::size_t>(0, most);
}

template <class T>
ExactBlock<T> Block(FuzzedDataProvider& input, std::size_t count) {
    const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(count * sizeof(T));
    return ExactBlock<T>(count, bytes.data(), bytes.size());
}

Float4 UnitColor(const std::uint8_t* rgba) {
    return {rgba[0] / 255.0f, rgba[1] / 255.0f, rgba[2] / 255.0f, rgba[3] / 255.0f};
}

// The sampling range derived for a gradient of `width` colours.
template <class Constants>
void DeriveSampleRange(Constants& constants, std::size_t width) {
    const double step = static_cast<double>(constants.max_value - constants.min_value) / static_cast<double>(width - 1);
    constants.min_sample_value = static_cast<float>(constants.min_value - step * 0.5);
    constants.sample_value_range = static_cast<float>(static_cast<double>(width) * step);
}

// The plane list a mesh keeps and mirrors into its constants block.
template <class Constants>
void ExpectPlanes(const IClippable& mesh, const Constants& constants, const std::vector<ClipPlane>& planes) {
    const array_view<const ClipPlane> kept = mesh.GetClipPlanes();
    KORVEX_FUZZ_CHECK(kept.size() == planes.size());
    KORVEX_FUZZ_CHECK(kept.empty() || std::memcmp(kept.data(), planes.data(), kept.size() * sizeof(ClipPlane)) == 0);
    std::array<ClipPlane, kMaxClipPlanes> mirrored{};
    std::copy(planes.begin(), planes.end(), mirrored.begin());
    KORVEX_FUZZ_CHECK(std::memcmp(&constants.clip_planes, mirrored.data(), sizeof mirrored) == 0);
}

class Scene {
public:
    Scene() {
        const std::array<VertexPN, 2> line{VertexPN{{0, 0, 0}, {0, 0, 1}}, VertexPN{{1, 1, 1}, {0, 0, 1}}};
        geometry_ = detail::BuildVertexPNGeometry(device_, 2, box_, [&](auto& builder) {
            builder.AddPrimitives(std::span<const VertexPN>(line));
        });
        values_ = CreateScalarGrid(device_);
        values_->SetValues(1, 1, 1, std::vector<float>{0.5f});
        line_.SetGeometry(geometry_);
        line_.SetGrids(values_, nullptr, box_);
        target_ = device_.CreateImage({4, 4, 0, kFormatDepth24Stencil8, 1, 1, kImageUsageDepthStencilTarget});
    }
    ~Scene() { device_.DestroyImage(target_); }

    void Step(FuzzedDataProvider& input) {
        switch (input.ConsumeIntegralInRange(0, 6)) {
            case 0: SetLineColor(input); break;
            case 1: SetColorMap(input, triangle_); break;
            case 2: SetColorMap(input, voxel_); break;
            case 3: SetClipPlanes(input, line_, linePlanes_); break;
            case 4: SetClipPlanes(input, triangle_, trianglePlanes_); break;
            case 5: SetClipPlanes(input, voxel_, voxelPlanes_); break;
            default: SetVoxels(input); break;
        }
        ExpectPlanes(triangle_, triangle_.Constants(), trianglePlanes_);
        ExpectPlanes(voxel_, voxel_.Constants(), voxelPlanes_);
    }

    // The line mesh shows its colour and planes only in what a draw uploads.
    void ExpectLineState() {
        ResourceCache cache;
        const LineGridMesh::ProgramKey key{linePlanes_.size(), false, false, false};
        // Seeded, so that the draw skips shader specialisation.
        cache.programs.emplace(key.Hash(), GpuHandle<ProgramTag>(device_, device_.CreateProgram({})));
        RenderPassDesc pass;
        pass.targets[kTargetDepthStencil] = {1, target_, kFormatDepth24Stencil8};
        device_.ClearCalls();
        line_.Draw(nullptr, pass, cache, nullptr);
        const auto uploaded = std::find_if(device_.Calls().begin(), device_.Calls().end(),
                                           [](const RecordedCall& call) { return call.operation == "UpdateBuffer"; });
        KORVEX_FUZZ_CHECK(uploaded != device_.Calls().end() && device_.CountOf("UpdateBuffer") == 1);
        const auto& bytes = uploaded->As<std::vector<std::uint8_t>>();
        detail::SimulationConstants constants;
        KORVEX_FUZZ_CHECK(bytes.size() == sizeof constants);
        std::memcpy(&constants, bytes.data(), sizeof constants);
        KORVEX_FUZZ_CHECK(SameBytes(constants.color, lineColor_));
        ExpectPlanes(line_, constants, linePlanes_);
    }

private:
    void SetLineColor(FuzzedDataProvider& input) {
        const ExactBlock<std::uint8_t> rgba = Block<std::uint8_t>(input, Length(input, 16));
        device_.ClearCalls();
        line_.SetColor({rgba.data(), rgba.size()});
        KORVEX_FUZZ_CHECK(device_.Calls().empty());
        if (rgba.size() >= 4) lineColor_ = UnitColor(rgba.data());
    }

    // Either setter: one table, or underflow colour, table and overflow colour.
    template <class Mesh>
    void SetColorMap(FuzzedDataProvider& input, Mesh& mesh) {
        const bool threeViews = input.ConsumeBool();
        const ExactBlock<std::uint8_t> under = Block<std::uint8_t>(input, threeViews ? Length(input, 8) : 0);
        const ExactBlock<std::uint8_t> rgba = Block<std::uint8_t>(input, Length(input, 1100));
        const ExactBlock<std::uint8_t> over = Block<std::uint8_t>(input, threeViews ? Length(input, 8) : 0);
        auto expected = mesh.Constants();
        const std::size_t widthBefore = mesh.GradientWidth();
        const std::size_t liveBefore = device_.LiveObjectCount();
        const bool installedBefore = widthBefore > 1;

        device_.ClearCalls();
        if (threeViews)
            mesh.SetColorMap({under.data(), under.size()}, {rgba.data(), rgba.size()}, {over.data(), over.size()});
        else
            mesh.SetColorMap({rgba.data(), rgba.size()});

        const bool accepted = rgba.size() >= 4 && (!threeViews || (under.size() >= 4 && over.size() >= 4));
        if (!accepted) {
            KORVEX_FUZZ_CHECK(device_.Calls().empty());
            KORVEX_FUZZ_CHECK(mesh.GradientWidth() == widthBefore);
            KORVEX_FUZZ_CHECK(SameBytes(mesh.Constants(), expected));
            return;
        }
        const std::size_t colors = rgba.size() / 4;
        KORVEX_FUZZ_CHECK(mesh.GradientWidth() == std::max<std::size_t>(colors, 2));
        KORVEX_FUZZ_CHECK(device_.CountOf("CreateImage") == 1);
        // The old pair goes before the new one is made.
        if (installedBefore)
            KORVEX_FUZZ_CHECK(device_.Calls()[0].operation == "DestroyImageView" &&
                              device_.Calls()[1].operation == "DestroyImage");
        const RecordedCall& created =
            *std::find_if(device_.Calls().begin(), device_.Calls().end(),
                          [](const RecordedCall& call) { return call.operation == "CreateImage"; });
        KORVEX_FUZZ_CHECK(created.As<ImageDesc>().width == colors);
        KORVEX_FUZZ_CHECK(device_.LiveObjectCount() == liveBefore + (installedBefore ? 0 : 2));
        expected.underflow_color = UnitColor(threeViews ? under.data() : rgba.data());
        expected.overflow_color = UnitColor(threeViews ? over.data() : rgba.data() + rgba.size() - 4);
        DeriveSampleRange(expected, mesh.GradientWidth());
        KORVEX_FUZZ_CHECK(SameBytes(mesh.Constants(), expected));
    }

    // Up to 12 planes, or the mesh's own list handed back to it.
    template <class Mesh>
    void SetClipPlanes(FuzzedDataProvider& input, Mesh& mesh, std::vector<ClipPlane>& kept) {
        device_.ClearCalls();
        if (input.ConsumeBool()) {
            mesh.SetClipPlanes(mesh.GetClipPlanes());
        } else {
            const ExactBlock<ClipPlane> planes = Block<ClipPlane>(input, Length(input, 12));
            mesh.SetClipPlanes({planes.data(), planes.size()});
            kept.assign(planes.data(), planes.data() + std::min<std::size_t>(planes.size(), kMaxClipPlanes));
        }
        KORVEX_FUZZ_CHECK(device_.Calls().empty());
    }

    // A list of any length that fits the memory, or a claimed one too long
    // for a buffer, which must be ignored unread.
    void SetVoxels(FuzzedDataProvider& input) {
        const std::uint32_t countBefore = voxel_.VoxelCount();
        const std::size_t liveBefore = device_.LiveObjectCount();
        const bool claimed = input.ConsumeBool();
        const ExactBlock<std::uint32_t> words = Block<std::uint32_t>(input, claimed ? 1 : Length(input, 300));
        const std::size_t count = claimed ? VoxelGridMesh::kMaxVoxels + input.ConsumeIntegral<std::uint32_t>()
                                          : words.size();
        device_.ClearCalls();
        voxel_.SetVoxels({words.data(), count});
        if (claimed) {
            KORVEX_FUZZ_CHECK(device_.Calls().empty() && voxel_.VoxelCount() == countBefore);
            return;
        }
        KORVEX_FUZZ_CHECK(voxel_.VoxelCount() == count);
        KORVEX_FUZZ_CHECK(device_.CountOf("CreateBuffer") == 1 && device_.CountOf("CreateBufferView") == 1);
        const RecordedCall& buffer = device_.Calls().front();
        KORVEX_FUZZ_CHECK(buffer.operation == "CreateBuffer" && buffer.As<BufferDesc>().size == 4 * count);
        const std::vector<std::uint8_t>& stored = device_.BufferBytes(BufferId{buffer.result});
        KORVEX_FUZZ_CHECK(stored.size() == 4 * count);
        KORVEX_FUZZ_CHECK(count == 0 || std::memcmp(stored.data(), words.data(), 4 * count) == 0);
        KORVEX_FUZZ_CHECK(device_.LiveObjectCount() == liveBefore + (hasVoxels_ ? 0 : 2));
        hasVoxels_ = true;
    }

    // Declared first, released last.
    RecordingDevice device_;
    boundingbox<float, 3> box_{{0, 0, 0}, {1, 1, 1}};
    std::shared_ptr<IGeometry> geometry_;
    std::shared_ptr<IScalarGrid> values_;
    LineGridMesh line_{device_};
    TriangleGridMesh triangle_{device_};
    VoxelGridMesh voxel_{device_};
    ImageId target_;
    Float4 lineColor_{0.7f, 0.7f, 0.7f, 1.0f};
    std::vector<ClipPlane> linePlanes_, trianglePlanes_, voxelPlanes_;
    bool hasVoxels_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Scene scene;
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) scene.Step(input);
    scene.ExpectLineState();
    return 0;
}
