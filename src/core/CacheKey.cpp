#include "core/CacheKey.h"

#include <cstring>

namespace Korvex::Rendering::detail {

namespace {
constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;
constexpr std::uint64_t kMurmurMultiplier = 0xc6a4a7935bd1e995ull;
constexpr std::uint64_t kCombineIncrement = 0xe6546b64ull;
}  // namespace

std::uint64_t Fnv1a64(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t h = kFnvOffsetBasis;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= bytes[i];
        h *= kFnvPrime;
    }
    return h;
}

std::uint64_t Fnv1a64(std::string_view text) { return Fnv1a64(text.data(), text.size()); }

std::uint64_t HashCombine(std::uint64_t h, std::uint64_t k) {
    k *= kMurmurMultiplier;
    k ^= k >> 47;
    k *= kMurmurMultiplier;
    h ^= k;
    h *= kMurmurMultiplier;
    h += kCombineIncrement;
    return h;
}

namespace {

// Folds size bytes into h a 64-bit word at a time: byte-wise FNV-1a over the
// 456 bytes of a state was most of a cached draw's CPU time.
std::uint64_t FoldWords(std::uint64_t h, const unsigned char* bytes, std::size_t size) {
    for (std::size_t offset = 0; offset < size; offset += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, bytes + offset, sizeof word);
        h = HashCombine(h, word);
    }
    return h;
}

}  // namespace

// Attribute names count by their text, never by where the host keeps them:
// equal layouts share a pipeline, and a name rewritten at the same address
// gets its own. A null name (unused entry) differs from every text.
std::uint64_t HashPipelineState(const PipelineStateDesc& state) {
    static_assert(sizeof(VertexAttribute) % sizeof(std::uint64_t) == 0);
    static_assert(sizeof(PipelineStateDesc) % sizeof(std::uint64_t) == 0);
    std::uint64_t h = kFnvOffsetBasis;
    for (const VertexAttribute& attribute : state.vertexInput) {
        h = HashCombine(h, attribute.name != nullptr ? Fnv1a64(std::string_view(attribute.name)) : 0);
        const auto* fields = reinterpret_cast<const unsigned char*>(&attribute);
        h = FoldWords(h, fields + sizeof attribute.name, sizeof attribute - sizeof attribute.name);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(&state);
    return FoldWords(h, bytes + sizeof state.vertexInput, sizeof state - sizeof state.vertexInput);
}

std::uint64_t PipelineKey(std::uint64_t base, const PipelineStateDesc& state) {
    return HashCombine(base, FnvOf(HashPipelineState(state)));
}

}  // namespace Korvex::Rendering::detail
