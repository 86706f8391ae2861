#include <Korvex/Rendering/StringId.h>

#include <gtest/gtest.h>

namespace Korvex::Rendering {
namespace {

// Published FNV-1a 64 test vectors; a copy of a name gives the same id.
TEST(StringIdTest, ValueIsFnv1a64OfTheName) {
    EXPECT_EQ(StringId("").Value(), 0xcbf29ce484222325ull);
    EXPECT_EQ(StringId("a").Value(), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(StringId(std::string("foobar").c_str()).Value(), 0x85944171f73967e8ull);
    EXPECT_NE(StringId("ab"), StringId("ba"));
}

}  // namespace
}  // namespace Korvex::Rendering
