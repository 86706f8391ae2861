#pragma once

#include "core/CacheKey.h"

// The voxel mesh's cache keys, computed here from their definition rather
// than through the library's key builder.

#include <ExpectedKeys.h>

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::voxel_test {

using test_support::Combine;
using test_support::CombineTwiceHashed;
using test_support::Fnv1a;

inline std::uint64_t Seed() {
    constexpr std::string_view kClass = "Korvex.Rendering.Simulation-VoxelGridMesh";
    static_assert(kClass.size() == 41);
    return Fnv1a(kClass);
}

struct Flags {
    bool deform = false;
    bool probeValue = false;
    bool probePosition = false;
    std::uint64_t planeCount = 0;
    bool wireframe = false;
};

// The class seed, then each field hashed twice, in declaration order.
inline std::uint64_t ExpectedProgramKey(const Flags& f) {
    std::uint64_t h = Seed();
    h = CombineTwiceHashed(h, f.deform);
    h = CombineTwiceHashed(h, f.probeValue);
    h = CombineTwiceHashed(h, f.probePosition);
    h = CombineTwiceHashed(h, f.planeCount);
    return CombineTwiceHashed(h, f.wireframe);
}

// The class seed combined with the state's hash, hashed once; how a whole
// state is hashed is the library's own choice.
inline std::uint64_t ExpectedPipelineKey(const PipelineStateDesc& state) {
    const std::uint64_t stateHash = detail::HashPipelineState(state);
    return Combine(Seed(), Fnv1a(&stateHash, sizeof stateHash));
}

}  // namespace Korvex::Rendering::voxel_test
