#include <Korvex/Rendering/Simulation/ColorMaps.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace Korvex::Rendering {
namespace {

constexpr std::size_t kTableSize = 1024;

struct FloatRow {
    int entry;
    std::array<float, 3> rgb;
};

struct ByteRow {
    int entry;
    std::array<std::uint8_t, 4> rgba;
};

// The float literals round to the nearest float, as the table's values must.
constexpr FloatRow kViridisRows[] = {
    {0, {0.267004f, 0.004874f, 0.329415f}},   {1, {0.268510f, 0.009605f, 0.335427f}},
    {64, {0.229739f, 0.322361f, 0.545706f}},  {128, {0.127568f, 0.566949f, 0.550556f}},
    {192, {0.369214f, 0.788888f, 0.382914f}}, {255, {0.993248f, 0.906157f, 0.143936f}},
};

// v * 255 truncated, worked out by hand from the rows above.
constexpr ByteRow kViridisByteRows[] = {
    {0, {68, 1, 84, 255}},     {1, {68, 2, 85, 255}},     {64, {58, 82, 139, 255}},
    {128, {32, 144, 140, 255}}, {192, {94, 201, 97, 255}}, {255, {253, 231, 36, 255}},
};

constexpr FloatRow kJetRows[] = {
    {0, {0.0f, 0.0f, 0.5f}},           {32, {0.0f, 0.001961f, 1.0f}},
    {64, {0.0f, 0.503922f, 1.0f}},     {128, {0.507843f, 1.0f, 0.492157f}},
    {160, {1.0f, 0.990196f, 0.0f}},    {192, {1.0f, 0.488235f, 0.0f}},
    {255, {0.5f, 0.0f, 0.0f}},
};

constexpr ByteRow kJetByteRows[] = {
    {0, {0, 0, 127, 255}},     {32, {0, 0, 255, 255}},     {64, {0, 128, 255, 255}},
    {128, {129, 255, 125, 255}}, {160, {255, 252, 0, 255}}, {192, {255, 124, 0, 255}},
    {255, {127, 0, 0, 255}},
};

void ExpectWellFormed(const std::vector<float>& table) {
    ASSERT_EQ(table.size(), kTableSize);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i % 4 == 3) {
            EXPECT_EQ(table[i], 1.0f) << "alpha of entry " << i / 4;
        } else {
            EXPECT_GE(table[i], 0.0f) << "element " << i;
            EXPECT_LE(table[i], 1.0f) << "element " << i;
        }
    }
}

TEST(ColorMapsTest, ViridisHoldsThePublishedValuesExactly) {
    const std::vector<float> table = GetRgbaFColorMap(ColorMaps::Viridis);
    ExpectWellFormed(table);
    EXPECT_EQ(table.capacity(), kTableSize);
    for (const FloatRow& row : kViridisRows)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(table[4 * row.entry + c], row.rgb[c]) << "entry " << row.entry;
}

// Viridis was designed with rising lightness; a swapped or shifted row breaks it.
TEST(ColorMapsTest, ViridisLuminanceRisesWithEveryEntry) {
    const std::vector<float> table = GetRgbaFColorMap(ColorMaps::Viridis);
    ASSERT_EQ(table.size(), kTableSize);
    auto luminance = [&](std::size_t k) {
        return 0.2126 * table[4 * k] + 0.7152 * table[4 * k + 1] + 0.0722 * table[4 * k + 2];
    };
    for (std::size_t k = 1; k < 256; ++k) EXPECT_LT(luminance(k - 1), luminance(k)) << "entry " << k;
}

TEST(ColorMapsTest, JetFollowsTheRampFromDarkBlueToDarkRed) {
    const std::vector<float> table = GetRgbaFColorMap(ColorMaps::Jet);
    ExpectWellFormed(table);
    // The expected values are given to six decimals.
    for (const FloatRow& row : kJetRows)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(table[4 * row.entry + c], row.rgb[c], 1e-6) << "entry " << row.entry;
}

TEST(ColorMapsTest, ByteTablesHoldTruncatedValues) {
    struct Case {
        ColorMaps map;
        const ByteRow* begin;
        const ByteRow* end;
    };
    const Case cases[] = {{ColorMaps::Viridis, std::begin(kViridisByteRows), std::end(kViridisByteRows)},
                          {ColorMaps::Jet, std::begin(kJetByteRows), std::end(kJetByteRows)}};
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> bytes = GetRgbaColorMap(c.map);
        ASSERT_EQ(bytes.size(), kTableSize);
        for (const ByteRow* row = c.begin; row != c.end; ++row)
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(bytes[4 * row->entry + k], row->rgba[k])
                    << "map " << static_cast<int>(c.map) << " entry " << row->entry << " channel " << k;
        for (std::size_t i = 3; i < bytes.size(); i += 4) EXPECT_EQ(bytes[i], 255) << "alpha of entry " << i / 4;
    }
}

TEST(ColorMapsTest, ByteTableIsTheConvertedFloatTable) {
    for (const ColorMaps map : {ColorMaps::Viridis, ColorMaps::Jet})
        EXPECT_EQ(GetRgbaColorMap(map), f2b(GetRgbaFColorMap(map))) << "map " << static_cast<int>(map);
}

TEST(ColorMapsTest, UnknownSelectorsGiveViridis) {
    const std::vector<float> viridis = GetRgbaFColorMap(ColorMaps::Viridis);
    const std::vector<std::uint8_t> viridisBytes = GetRgbaColorMap(ColorMaps::Viridis);
    for (const std::uint32_t selector : {2u, 255u, static_cast<std::uint32_t>(-1)}) {
        const auto map = static_cast<ColorMaps>(selector);
        EXPECT_EQ(GetRgbaFColorMap(map), viridis) << "selector " << selector;
        EXPECT_EQ(GetRgbaColorMap(map), viridisBytes) << "selector " << selector;
    }
}

TEST(ColorMapsTest, ReturnedTablesAreIndependentCopies) {
    std::vector<float> first = GetRgbaFColorMap(ColorMaps::Viridis);
    const std::vector<float> second = GetRgbaFColorMap(ColorMaps::Viridis);
    first[0] = 0.5f;
    first.push_back(0.25f);
    EXPECT_EQ(second[0], 0.267004f);
    EXPECT_EQ(second.size(), kTableSize);
    const std::vector<float> later = GetRgbaFColorMap(ColorMaps::Viridis);
    EXPECT_EQ(later[0], 0.267004f);
    EXPECT_EQ(later.size(), kTableSize);
}

TEST(ColorMapsTest, F2bTruncatesAndWrapsWithoutClamping) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0.0f, 0},   {1.0f, 255},   {0.5f, 127},  // 127.5 truncated
        {0.999f, 254},  {1.5f, 126},  {-0.1f, 231}, {2.0f, 254},
        {-0.001f, 0},   // -0.255 truncates toward zero, not down to -1
        {nan, 0},       {inf, 0},     {-inf, 0},   {1e10f, 0},  {-1e10f, 0},
        // Products at the edges of int32: 2^31 - 128 still converts, 2^31 does not.
        {8421504.0f, 0x80},  {-8421504.0f, 0x80}, {8421505.0f, 0},
    };
    std::vector<float> values;
    for (const Case& c : cases) values.push_back(c.value);
    const std::vector<std::uint8_t> bytes = f2b(values);
    ASSERT_EQ(bytes.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(bytes[i], cases[i].expected) << "value " << values[i];
}

TEST(ColorMapsTest, F2bKeepsLengthAndReservesExactly) {
    EXPECT_TRUE(f2b({}).empty());
    for (const std::size_t length : {std::size_t{1}, std::size_t{3}, std::size_t{5}, std::size_t{1023}}) {
        const std::vector<std::uint8_t> bytes = f2b(std::vector<float>(length, 1.0f));
        EXPECT_EQ(bytes, std::vector<std::uint8_t>(length, 255)) << "length " << length;
        EXPECT_EQ(bytes.capacity(), length);
    }
}

TEST(ColorMapsTest, ConcurrentCallsReturnIdenticalTables) {
    const std::vector<float> viridis = GetRgbaFColorMap(ColorMaps::Viridis);
    const std::vector<float> jet = GetRgbaFColorMap(ColorMaps::Jet);
    const std::vector<std::uint8_t> viridisBytes = GetRgbaColorMap(ColorMaps::Viridis);
    const std::vector<std::uint8_t> jetBytes = GetRgbaColorMap(ColorMaps::Jet);

    constexpr int kThreads = 8;
    constexpr int kRounds = 50;
    std::array<int, kThreads> mismatches{};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                mismatches[t] += GetRgbaFColorMap(ColorMaps::Viridis) != viridis;
                mismatches[t] += GetRgbaFColorMap(ColorMaps::Jet) != jet;
                mismatches[t] += GetRgbaColorMap(ColorMaps::Viridis) != viridisBytes;
                mismatches[t] += GetRgbaColorMap(ColorMaps::Jet) != jetBytes;
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace Korvex::Rendering
