// Colour maps by name: a few entries of each against the published tables,
// reversal, and names that are not maps.

#include <NamedColorMaps.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Korvex::Rendering {
namespace {

struct EntryRow {
    std::string_view name;
    int entry;
    std::array<int, 3> rgb;  // published value * 255, rounded by hand
};

constexpr EntryRow kRows[] = {
    {"cividis", 0, {0, 34, 78}},       {"cividis", 128, {125, 124, 120}},  {"cividis", 255, {254, 232, 56}},
    {"inferno", 0, {0, 0, 4}},         {"inferno", 128, {188, 55, 84}},    {"inferno", 255, {252, 255, 164}},
    {"turbo", 0, {48, 18, 59}},        {"turbo", 128, {164, 252, 60}},     {"turbo", 255, {122, 4, 3}},
    // Moreland's end colours, as his paper gives them in bytes.
    {"coolwarm", 0, {59, 76, 192}},    {"coolwarm", 255, {180, 4, 38}},    {"gray", 0, {0, 0, 0}},
    {"gray", 100, {100, 100, 100}},    {"gray", 255, {255, 255, 255}},     {"viridis", 0, {68, 1, 84}},
    {"jet", 255, {127, 0, 0}},         {"turbo_r", 0, {122, 4, 3}},        {"turbo_r", 255, {48, 18, 59}},
    {"cividis_r", 127, {125, 124, 120}}, {"gray_r", 0, {255, 255, 255}},
};

TEST(NamedColorMapsTest, EntriesMatchThePublishedTables) {
    for (const EntryRow& row : kRows) {
        const auto table = ColorMapTable(row.name);
        ASSERT_TRUE(table.has_value()) << row.name;
        ASSERT_EQ(table->size(), 1024u) << row.name;
        const std::size_t i = 4 * static_cast<std::size_t>(row.entry);
        EXPECT_EQ((std::array<int, 4>{(*table)[i], (*table)[i + 1], (*table)[i + 2], (*table)[i + 3]}),
                  (std::array<int, 4>{row.rgb[0], row.rgb[1], row.rgb[2], 255}))
            << row.name << " entry " << row.entry;
    }
}

// The published middle of the diverging map is a grey of 221, halfway
// between entries 127 and 128.
TEST(NamedColorMapsTest, CoolWarmPassesThroughItsPublishedGreyAtTheMiddle) {
    const std::vector<std::uint8_t> table = *ColorMapTable("coolwarm");
    for (std::size_t c = 0; c < 3; ++c) EXPECT_NEAR((table[4 * 127 + c] + table[4 * 128 + c]) / 2.0, 221.0, 1.0) << c;
}

TEST(NamedColorMapsTest, EveryListedNameAndItsReverseIsAMapOthersAreNot) {
    for (const std::string_view name : ColorMapNames()) {
        EXPECT_TRUE(ColorMapTable(name).has_value()) << name;
        EXPECT_TRUE(ColorMapTable(std::string(name) + "_r").has_value()) << name;
    }
    for (const std::string_view name : {"", "_r", "plasma", "Viridis", "viridis_r_r", "viridis_", "jet_R"})
        EXPECT_FALSE(ColorMapTable(name).has_value()) << name;
}

}  // namespace
}  // namespace Korvex::Rendering
