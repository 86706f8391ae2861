#include "core/CacheKey.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::detail {
namespace {

constexpr std::uint64_t kMultiplier = 0xc6a4a7935bd1e995ull;

TEST(Fnv1a64, MatchesPublishedVectors) {
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ull);
}

TEST(HashCombine, MatchesHandComputedValues) {
    // k = 0 mixes to 0, so only h * M + 0xe6546b64 is left.
    EXPECT_EQ(HashCombine(0, 0), 0xe6546b64ull);
    EXPECT_EQ(HashCombine(3, 0), 3 * kMultiplier + 0xe6546b64ull);
    // k = 2: k * M = 0x8d494f26b7a3d32a; k ^= k >> 47 gives 0x8d494f26b7a2c9b8;
    // k * M = 0x8488f4ef228fe018; (1 ^ k) * M + 0xe6546b64.
    EXPECT_EQ(HashCombine(1, 2), 0x5cfa8f1ece719af1ull);
}

// Add folds in each field's FNV-1a, AddRehashed the FNV-1a of that hash; a
// pipeline key folds in the FNV-1a of the state's hash.
TEST(CacheKeyBuilder, FoldsFieldHashesInOrder) {
    const std::uint64_t seed = Fnv1a64("seed"), planes = 3;
    const unsigned char one = 1, zero = 0;
    EXPECT_EQ(CacheKeyBuilder(seed).Add(planes).Add(true).Add(false).Key(),
              HashCombine(HashCombine(HashCombine(seed, Fnv1a64(&planes, 8)), Fnv1a64(&one, 1)), Fnv1a64(&zero, 1)));
    const std::uint64_t planesHash = Fnv1a64(&planes, 8), flagHash = Fnv1a64(&one, 1);
    EXPECT_EQ(CacheKeyBuilder(seed).AddRehashed(planes).AddRehashed(true).Key(),
              HashCombine(HashCombine(seed, Fnv1a64(&planesHash, 8)), Fnv1a64(&flagHash, 8)));
    const PipelineStateDesc state;
    const std::uint64_t stateHash = HashPipelineState(state);
    EXPECT_EQ(PipelineKey(7, state), HashCombine(7, Fnv1a64(&stateHash, 8)));
}

TEST(HashPipelineState, SeesNamedAndHostPrivateBytes) {
    const PipelineStateDesc reference;
    PipelineStateDesc program = reference, hostPrivate = reference, format = reference;
    program.program = ProgramId::FromParts(1, 1);
    hostPrivate.hostPrivate412[2] = 9;
    format.targetFormats[4] = kFormatDepth24Stencil8;
    EXPECT_EQ(HashPipelineState(reference), HashPipelineState(PipelineStateDesc{}));
    for (const PipelineStateDesc* changed : {&program, &hostPrivate, &format})
        EXPECT_NE(HashPipelineState(*changed), HashPipelineState(reference));
}

}  // namespace
}  // namespace Korvex::Rendering::detail
