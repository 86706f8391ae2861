// libFuzzer entry for the mesh setters that take views: the line mesh's
// colour, the colour maps of the triangle and voxel meshes, the clip planes
// of all three and the voxel list, with views of any length, each in a block
// of exactly that size. A view too short is rejected with no device call and
// no change; an accepted one reads only its own elements.

#include "FuzzSupport.h"
#include "meshes/triangle/TriangleGridMesh.h"
#include "meshes/voxel/VoxelGridMesh.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace Korvex::Rendering;
using Korvex::Rendering::fuzz::ExactBlock;

template <class T>
std::vector<T> Block(FuzzedDataProvider& input, std::size_t most) {
    const std::size_t count = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, 9)
                                                  : input.ConsumeIntegralInRange<std::size_t>(0, most);
    const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(count * sizeof(T));
    return ExactBlock<T>(count, bytes);
}

template <class Mesh>
void SetColorMap(FuzzedDataProvider& input, RecordingDevice& device, Mesh& mesh) {
    const std::vector<std::uint8_t> under = Block<std::uint8_t>(input, 8), rgba = Block<std::uint8_t>(input, 1100),
                                   over = Block<std::uint8_t>(input, 8);
    const auto before = mesh.Constants();
    device.ClearCalls();
    const bool three = input.ConsumeBool();
    if (three)
        mesh.SetColorMap({under.data(), under.size()}, {rgba.data(), rgba.size()}, {over.data(), over.size()});
    else
        mesh.SetColorMap({rgba.data(), rgba.size()});
    if (rgba.size() < 4 || (three && (under.size() < 4 || over.size() < 4))) {
        KORVEX_FUZZ_CHECK(device.Calls().empty() && std::memcmp(&before, &mesh.Constants(), sizeof before) == 0);
    } else {
        KORVEX_FUZZ_CHECK(mesh.GradientWidth() == std::max<std::size_t>(rgba.size() / 4, 2));
    }
}

template <class Mesh>
void SetClipPlanes(FuzzedDataProvider& input, RecordingDevice& device, Mesh& mesh) {
    const std::vector<ClipPlane> planes = Block<ClipPlane>(input, 12);
    device.ClearCalls();
    mesh.SetClipPlanes({planes.data(), planes.size()});
    KORVEX_FUZZ_CHECK(device.Calls().empty() && mesh.GetClipPlanes().size() == std::min<std::size_t>(planes.size(), 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    RecordingDevice device;
    const std::unique_ptr<ILineGridMesh> line = CreateLineGridMesh(device);
    TriangleGridMesh triangle(device);
    VoxelGridMesh voxel(device);
    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 6)) {
            case 0: {
                const std::vector<std::uint8_t> rgba = Block<std::uint8_t>(input, 16);
                device.ClearCalls();
                line->SetColor({rgba.data(), rgba.size()});
                KORVEX_FUZZ_CHECK(device.Calls().empty());
                break;
            }
            case 1: SetColorMap(input, device, triangle); break;
            case 2: SetColorMap(input, device, voxel); break;
            case 3: SetClipPlanes(input, device, *line); break;
            case 4: SetClipPlanes(input, device, triangle); break;
            case 5: SetClipPlanes(input, device, voxel); break;
            default: {
                // A claimed length too long for a buffer must be ignored unread.
                const std::vector<std::uint32_t> words = Block<std::uint32_t>(input, 300);
                const std::uint32_t countBefore = voxel.VoxelCount();
                const bool claimed = input.ConsumeBool();
                voxel.SetVoxels({words.data(), claimed ? VoxelGridMesh::kMaxVoxels : words.size()});
                KORVEX_FUZZ_CHECK(voxel.VoxelCount() == (claimed ? countBefore : words.size()));
            }
        }
    }
    return 0;
}
