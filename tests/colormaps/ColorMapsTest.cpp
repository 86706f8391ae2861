#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr std::size_t kTableSize = 1024;

// The published values to six decimals, and each times 255, truncated, by hand.
struct Row { ColorMaps map; std::size_t entry; std::array<float, 3> rgb; std::array<std::uint8_t, 3> bytes; };

constexpr Row kRows[] = {
    {ColorMaps::Viridis, 0, {0.267004f, 0.004874f, 0.329415f}, {68, 1, 84}},
    {ColorMaps::Viridis, 1, {0.268510f, 0.009605f, 0.335427f}, {68, 2, 85}},
    {ColorMaps::Viridis, 128, {0.127568f, 0.566949f, 0.550556f}, {32, 144, 140}},
    {ColorMaps::Viridis, 255, {0.993248f, 0.906157f, 0.143936f}, {253, 231, 36}},
    {ColorMaps::Jet, 0, {0.0f, 0.0f, 0.5f}, {0, 0, 127}},
    {ColorMaps::Jet, 32, {0.0f, 0.001961f, 1.0f}, {0, 0, 255}},
    {ColorMaps::Jet, 64, {0.0f, 0.503922f, 1.0f}, {0, 128, 255}},
    {ColorMaps::Jet, 128, {0.507843f, 1.0f, 0.492157f}, {129, 255, 125}},
    {ColorMaps::Jet, 160, {1.0f, 0.990196f, 0.0f}, {255, 252, 0}},
    {ColorMaps::Jet, 192, {1.0f, 0.488235f, 0.0f}, {255, 124, 0}},
    {ColorMaps::Jet, 255, {0.5f, 0.0f, 0.0f}, {127, 0, 0}},
};

TEST(ColorMapsTest, TablesHoldThePublishedValuesAsFloatsAndTruncatedBytes) {
    for (const Row& row : kRows) {
        const std::vector<float> floats = GetRgbaFColorMap(row.map);
        const std::vector<std::uint8_t> bytes = GetRgbaColorMap(row.map);
        ASSERT_EQ(floats.size(), kTableSize);
        ASSERT_EQ(bytes.size(), kTableSize);
        for (std::size_t c = 0; c < 3; ++c) {
            // Viridis is stored exactly; Jet is a formula, given here to six decimals.
            EXPECT_NEAR(floats[4 * row.entry + c], row.rgb[c], row.map == ColorMaps::Viridis ? 0.0 : 1e-6)
                << int(row.map) << " entry " << row.entry;
            EXPECT_EQ(bytes[4 * row.entry + c], row.bytes[c]) << int(row.map) << " entry " << row.entry;
        }
        EXPECT_EQ(floats[4 * row.entry + 3], 1.0f);
        EXPECT_EQ(bytes[4 * row.entry + 3], 255);
    }
    // Unknown selectors give viridis.
    EXPECT_EQ(GetRgbaFColorMap(static_cast<ColorMaps>(2)), GetRgbaFColorMap(ColorMaps::Viridis));
    EXPECT_EQ(GetRgbaColorMap(static_cast<ColorMaps>(255)), GetRgbaColorMap(ColorMaps::Viridis));
}

// Viridis was designed with rising lightness; a swapped or shifted row breaks it.
TEST(ColorMapsTest, ViridisLuminanceRisesWithEveryEntry) {
    const std::vector<float> table = GetRgbaFColorMap(ColorMaps::Viridis);
    const auto luminance = [&](std::size_t k) {
        return 0.2126 * table[4 * k] + 0.7152 * table[4 * k + 1] + 0.0722 * table[4 * k + 2];
    };
    for (std::size_t k = 1; k < 256; ++k) EXPECT_LT(luminance(k - 1), luminance(k)) << "entry " << k;
}

TEST(ColorMapsTest, F2bTruncatesAndWrapsWithoutClamping) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> values = {0.0f, 1.0f, 0.5f, 0.999f, 1.5f, -0.1f, 2.0f, -0.001f, nan, inf, -inf,
                                       1e10f, -1e10f,
                                       // 2^31 - 128 still converts to int32, 2^31 does not.
                                       8421504.0f, -8421504.0f, 8421505.0f};
    const std::vector<std::uint8_t> expected = {0, 255, 127, 254, 126, 231, 254, 0, 0, 0, 0, 0, 0, 0x80, 0x80, 0};
    EXPECT_EQ(f2b(values), expected);
    EXPECT_TRUE(f2b({}).empty());
}

}  // namespace
}  // namespace Korvex::Rendering
