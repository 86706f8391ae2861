#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::detail {

// 64-bit FNV-1a over bytes.
std::uint64_t Fnv1a64(const void* data, std::size_t size);
std::uint64_t Fnv1a64(std::string_view text);

// Folds k into h (the MurmurHash2 64-bit combining step).
std::uint64_t HashCombine(std::uint64_t h, std::uint64_t k);

// Keys hash integers as their little-endian bytes.
static_assert(std::endian::native == std::endian::little);

// FNV-1a of a value's bytes, as the cache keys hash each field.
template <class T>
std::uint64_t FnvOf(const T& value) {
    return Fnv1a64(&value, sizeof(T));
}

// Hash over every byte of a complete pipeline state.
std::uint64_t HashPipelineState(const PipelineStateDesc& state);

// Folds the fields of a program variant into a key, starting from a seed.
// Add hashes a field's bytes once; AddRehashed hashes them, then the 8 bytes
// of that hash. Fields are bools (one byte) or 64-bit counts; other types do
// not convert silently.
class CacheKeyBuilder {
public:
    explicit CacheKeyBuilder(std::uint64_t seed) : key_(seed) {}

    CacheKeyBuilder& Add(bool field) { return Fold(FnvOf(field)); }
    CacheKeyBuilder& Add(std::uint64_t field) { return Fold(FnvOf(field)); }
    CacheKeyBuilder& AddRehashed(bool field) { return Fold(FnvOf(FnvOf(field))); }
    CacheKeyBuilder& AddRehashed(std::uint64_t field) { return Fold(FnvOf(FnvOf(field))); }

    std::uint64_t Key() const { return key_; }

private:
    CacheKeyBuilder& Fold(std::uint64_t fieldHash) {
        key_ = HashCombine(key_, fieldHash);
        return *this;
    }

    std::uint64_t key_;
};

// A mesh class's key seed: FNV-1a of Mesh::kClassIdentifier, computed once.
template <class Mesh>
std::uint64_t ClassKeySeed() {
    static const std::uint64_t seed = Fnv1a64(Mesh::kClassIdentifier);
    return seed;
}

// The key of a pipeline state: base (a program key or a class seed) combined
// with FNV-1a of the state's hash.
std::uint64_t PipelineKey(std::uint64_t base, const PipelineStateDesc& state);

}  // namespace Korvex::Rendering::detail
