#pragma once

// The cache-key arithmetic written out from its definition, so that tests
// check the library's key builder instead of reusing it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::test_support {

// FNV-1a, 64 bits.
inline std::uint64_t Fnv1a(const void* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<const unsigned char*>(data)[i];
        h *= 0x100000001b3ull;
    }
    return h;
}

inline std::uint64_t Fnv1a(std::string_view text) { return Fnv1a(text.data(), text.size()); }

// Folds k into h: the MurmurHash2 64-bit combining step.
inline std::uint64_t Combine(std::uint64_t h, std::uint64_t k) {
    const std::uint64_t m = 0xc6a4a7935bd1e995ull;
    k *= m;
    k ^= k >> 47;
    k *= m;
    return (h ^ k) * m + 0xe6546b64ull;
}

// FNV-1a of the field's bytes, FNV-1a again of those 8 bytes, combined.
template <class T>
std::uint64_t CombineTwiceHashed(std::uint64_t h, T field) {
    const std::uint64_t once = Fnv1a(&field, sizeof field);
    return Combine(h, Fnv1a(&once, sizeof once));
}

}  // namespace Korvex::Rendering::test_support
