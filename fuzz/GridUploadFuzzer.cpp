// libFuzzer entry for grid uploads: uploads into a scalar and a vector grid
// on the recording device, with any dimensions, views shorter or longer than
// the grid (each in a block of exactly its size), padded pitches and
// mappings that give no memory. An upload is accepted exactly when every
// dimension lies in 1..2048, the view holds enough elements and the staging
// image maps; an invalid one calls nothing, and no upload leaves a staging
// image behind.

#include "FuzzSupport.h"

#include <Korvex/Rendering/Simulation/Simulation.h>
#include <RecordingDevice.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>

namespace {

using namespace Korvex::Rendering;
using Korvex::Rendering::fuzz::ExactBlock;

template <class Element, class Upload>
void Step(FuzzedDataProvider& input, RecordingDevice& device, Upload upload) {
    std::array<std::size_t, 3> size{};
    for (std::size_t& extent : size) extent = input.ConsumeIntegralInRange<std::size_t>(0, input.ConsumeBool() ? 2100 : 6);
    const std::size_t needed = size[0] * size[1] * size[2];
    const std::size_t count = std::min<std::size_t>(input.ConsumeIntegralInRange<std::size_t>(0, 300), 1u << 14);
    const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(count * sizeof(Element));
    const std::vector<Element> elements = ExactBlock<Element>(count, bytes);
    device.SetPitchPadding(input.ConsumeIntegralInRange<std::uint32_t>(0, 3) * 4, input.ConsumeIntegralInRange<std::uint32_t>(0, 2) * 16);
    const bool mapFails = input.ConsumeBool();
    if (mapFails) device.FailOperation("MapImage", 1);
    device.ClearCalls();
    const bool accepted = upload(size, array_view<const Element>(elements.data(), elements.size()));
    device.ClearFaults();
    const bool valid = size[0] >= 1 && size[0] <= 2048 && size[1] >= 1 && size[1] <= 2048 && size[2] >= 1 &&
                       size[2] <= 2048 && count >= needed;
    KORVEX_FUZZ_CHECK(accepted == (valid && !mapFails));
    KORVEX_FUZZ_CHECK(valid || device.Calls().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    RecordingDevice device;
    {
        const std::unique_ptr<IScalarGrid> values = CreateScalarGrid(device);
        const std::unique_ptr<IVectorGrid> vectors = CreateVectorGrid(device);
        while (input.remaining_bytes() > 0) {
            if (input.ConsumeBool())
                Step<float>(input, device, [&](const auto& s, array_view<const float> e) {
                    return values->SetValues(s[0], s[1], s[2], e);
                });
            else
                Step<Vector3f>(input, device, [&](const auto& s, array_view<const Vector3f> e) {
                    return vectors->SetVectors(s[0], s[1], s[2], e);
                });
            KORVEX_FUZZ_CHECK(device.LiveObjectCount() <= 4);  // two images and two views, no staging
        }
    }
    KORVEX_FUZZ_CHECK(device.LiveObjectCount() == 0);
    return 0;
}
