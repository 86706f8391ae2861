#pragma once

// The voxel mesh's cache keys, computed here from their definition rather
// than through the library's key builder.

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::voxel_test {

inline std::uint64_t Fnv1a(const void* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<const unsigned char*>(data)[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

inline std::uint64_t Combine(std::uint64_t h, std::uint64_t k) {
    const std::uint64_t m = 0xc6a4a7935bd1e995ull;
    std::uint64_t t = k * m;
    t ^= t >> 47;
    t *= m;
    return (h ^ t) * m + 0xe6546b64ull;
}

inline std::uint64_t Seed() {
    constexpr std::string_view kClass = "Korvex.Rendering.Simulation-VoxelGridMesh";
    static_assert(kClass.size() == 41);
    return Fnv1a(kClass.data(), kClass.size());
}

// FNV-1a of the field's bytes, FNV-1a again of those 8 bytes, combined.
template <class T>
std::uint64_t CombineTwiceHashed(std::uint64_t h, T field) {
    const std::uint64_t once = Fnv1a(&field, sizeof field);
    return Combine(h, Fnv1a(&once, sizeof once));
}

struct Flags {
    bool deform = false;
    bool probeValue = false;
    bool probePosition = false;
    std::uint64_t planeCount = 0;
    bool wireframe = false;
};

inline std::uint64_t ExpectedProgramKey(const Flags& f) {
    std::uint64_t h = Seed();
    h = CombineTwiceHashed(h, f.deform);
    h = CombineTwiceHashed(h, f.probeValue);
    h = CombineTwiceHashed(h, f.probePosition);
    h = CombineTwiceHashed(h, f.planeCount);
    return CombineTwiceHashed(h, f.wireframe);
}

// The class seed combined with the state's hash, hashed once; the state's
// hash is FNV-1a over all its bytes.
inline std::uint64_t ExpectedPipelineKey(const PipelineStateDesc& state) {
    const std::uint64_t stateHash = Fnv1a(&state, sizeof state);
    return Combine(Seed(), Fnv1a(&stateHash, sizeof stateHash));
}

}  // namespace Korvex::Rendering::voxel_test
