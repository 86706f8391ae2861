// Colour bar ticks: round values chosen for hand-picked ranges, and the
// rules every range must keep.

#include <ColorBarTicks.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace Korvex::Rendering {
namespace {

std::vector<std::string> Labels(const std::vector<ColorBarTick>& ticks) {
    std::vector<std::string> labels;
    for (const ColorBarTick& tick : ticks) labels.push_back(tick.label);
    return labels;
}

struct TickRow {
    const char* name;
    double minValue, maxValue;
    bool logarithmic;
    std::vector<std::string> labels;
};

TEST(ColorBarTicksTest, ChoosesRoundValuesWithinTheRange) {
    const TickRow rows[] = {
        {"unit", 0.0, 1.0, false, {"0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
        {"offset", 20.0, 95.3, false, {"20", "40", "60", "80"}},
        {"around zero", -1.0, 1.0, false, {"-1.0", "-0.5", "0", "0.5", "1.0"}},
        {"large", 0.0, 1e6, false, {"0", "2.0e5", "4.0e5", "6.0e5", "8.0e5", "1.0e6"}},
        {"small", 1e-5, 5e-5, false, {"1e-5", "2e-5", "3e-5", "4e-5", "5e-5"}},
        {"decades", 0.5, 2000.0, true, {"1", "10", "100", "1000"}},
        {"every other decade", 1.0, 1e12, true, {"1", "100", "10000", "1e6", "1e8", "1e10", "1e12"}},
        {"one two five", 3.0, 40.0, true, {"5", "10", "20"}},
        {"one to nine", 2.0, 5.0, true, {"2", "3", "4", "5"}},
        {"narrow log", 2.0, 2.5, true, {"2.0", "2.1", "2.2", "2.3", "2.4", "2.5"}},
        {"empty", 1.0, 1.0, false, {}},
        {"decreasing", 2.0, 1.0, false, {}},
        {"not finite", 0.0, std::numeric_limits<double>::infinity(), false, {}},
        {"nan", std::nan(""), 1.0, false, {}},
        {"log from zero", 0.0, 10.0, true, {}},
        {"log of negatives", -10.0, -1.0, true, {}},
    };
    for (const TickRow& row : rows)
        EXPECT_EQ(Labels(ColorBarTicks(row.minValue, row.maxValue, row.logarithmic)), row.labels) << row.name;
}

// Over ranges of every size and offset: 3 to 7 evenly spaced ticks inside
// the range, each a whole multiple of a step of 1, 2 or 5 times a power of ten.
TEST(ColorBarTicksTest, EveryRangeGetsThreeToSevenEvenlySpacedRoundTicks) {
    for (int exponent = -6; exponent <= 9; ++exponent)
        for (double span : {1.0, 1.3, 1.9, 2.6, 3.4, 4.9, 6.1, 7.4, 8.8}) {
            for (double offset : {-0.37, 0.0, 0.123, 5.5}) {
                const double minValue = offset * std::pow(10.0, exponent + 1);
                const double maxValue = minValue + span * std::pow(10.0, exponent);
                const std::vector<ColorBarTick> ticks = ColorBarTicks(minValue, maxValue, false);
                const std::string where = std::to_string(minValue) + " to " + std::to_string(maxValue);
                ASSERT_GE(ticks.size(), 3u) << where;
                ASSERT_LE(ticks.size(), 7u) << where;
                const double step = ticks[1].value - ticks[0].value;
                const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
                EXPECT_TRUE(std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
                            std::abs(mantissa - 5) < 1e-6)
                    << where << ": step " << step;
                for (std::size_t i = 0; i < ticks.size(); ++i) {
                    EXPECT_NEAR(ticks[i].value, ticks[0].value + static_cast<double>(i) * step, 1e-9 * step) << where;
                    EXPECT_NEAR(ticks[i].value / step, std::round(ticks[i].value / step), 1e-6) << where;
                    EXPECT_GE(ticks[i].position, 0.0) << where;
                    EXPECT_LE(ticks[i].position, 1.0) << where;
                }
            }
        }
}

}  // namespace
}  // namespace Korvex::Rendering
