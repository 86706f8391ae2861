#pragma once

// The triangle mesh's cache keys, computed here from their definition
// rather than through the library's key builder.

#include <cstdint>
#include <cstring>
#include <string_view>

namespace Korvex::Rendering::triangle_test {

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
    k *= m;
    k ^= k >> 47;
    k *= m;
    return (h ^ k) * m + 0xe6546b64ull;
}

// Each field's FNV-1a hashed again over its 8 bytes, then combined.
template <class T>
std::uint64_t CombineTwiceHashed(std::uint64_t h, T field) {
    const std::uint64_t once = Fnv1a(&field, sizeof field);
    return Combine(h, Fnv1a(&once, sizeof once));
}

struct Variant {
    std::uint64_t planeCount = 0;
    bool deform = false;
    bool drawingPlane = false;
    bool probeValue = false;
    bool probePosition = false;
};

inline std::uint64_t ExpectedProgramKey(const Variant& v) {
    constexpr std::string_view kClass = "Korvex.Rendering.Simulation-TriangleGridMesh";
    std::uint64_t h = Fnv1a(kClass.data(), kClass.size());
    h = CombineTwiceHashed(h, v.planeCount);
    h = CombineTwiceHashed(h, v.deform);
    h = CombineTwiceHashed(h, v.drawingPlane);
    h = CombineTwiceHashed(h, v.probeValue);
    return CombineTwiceHashed(h, v.probePosition);
}

// The program key combined with the state's hash, hashed once.
inline std::uint64_t ExpectedPipelineKey(std::uint64_t programKey, std::uint64_t stateHash) {
    return Combine(programKey, Fnv1a(&stateHash, sizeof stateHash));
}

}  // namespace Korvex::Rendering::triangle_test
