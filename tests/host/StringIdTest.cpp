#include <Korvex/Rendering/StringId.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace Korvex::Rendering {
namespace {

TEST(StringIdTest, EqualNamesGiveEqualIds) {
    const std::string copy = "SimulationTechnique";
    EXPECT_EQ(StringId("SimulationTechnique"), StringId(copy.c_str()));
    EXPECT_EQ(StringId(""), StringId(std::string().c_str()));
}

TEST(StringIdTest, DifferentNamesGiveDifferentIds) {
    const char* names[] = {"SimulationTechnique", "TransparentSimulationTechnique", "CappedSimulationTechnique",
                           "simulationtechnique", "a", "b", "ab", "ba", ""};
    for (const char* a : names)
        for (const char* b : names) {
            if (std::string(a) == b) continue;
            EXPECT_NE(StringId(a), StringId(b)) << '"' << a << "\" vs \"" << b << '"';
        }
}

// Published FNV-1a 64 test vectors.
TEST(StringIdTest, ValueIsFnv1a64OfTheName) {
    struct Case {
        const char* name;
        std::uint64_t value;
    };
    const Case cases[] = {{"", 0xcbf29ce484222325ull}, {"a", 0xaf63dc4c8601ec8cull}, {"foobar", 0x85944171f73967e8ull}};
    for (const Case& c : cases) EXPECT_EQ(StringId(c.name).Value(), c.value) << '"' << c.name << '"';
}

}  // namespace
}  // namespace Korvex::Rendering
