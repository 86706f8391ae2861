#include "core/CacheKey.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace Korvex::Rendering::detail {
namespace {

TEST(Fnv1a64, MatchesPublishedVectors) {
    EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ull);
}

// Program and pipeline keys are checked against keys worked out apart from
// the library in each mesh's tests; these are the pieces those keys leave
// unshown.
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
