#pragma once

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::detail {

// 64-bit FNV-1a over bytes.
std::uint64_t Fnv1a64(const void* data, std::size_t size);
std::uint64_t Fnv1a64(std::string_view text);

// Folds k into h (the MurmurHash2 64-bit combining step).
std::uint64_t HashCombine(std::uint64_t h, std::uint64_t k);

// FNV-1a of a value's bytes, as the cache keys hash each field.
template <class T>
std::uint64_t FnvOf(const T& value) {
    return Fnv1a64(&value, sizeof(T));
}

// Hash over every byte of a complete pipeline state.
std::uint64_t HashPipelineState(const PipelineStateDesc& state);

}  // namespace Korvex::Rendering::detail
