// Grid uploads under device faults: the staging image never outlives the
// upload, an exception leaves the texture as the steps before it left it.

#include "FaultInjection.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <array>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>

namespace Korvex::Rendering::faults {
namespace {

using Dimensions = std::array<std::size_t, 3>;

template <class Grid>
bool Upload(Grid& grid, const Dimensions& size, float value) {
    const std::size_t count = size[0] * size[1] * size[2];
    if constexpr (std::is_same_v<Grid, IScalarGrid>) {
        return grid.SetValues(size[0], size[1], size[2], std::vector<float>(count, value));
    } else {
        return grid.SetVectors(size[0], size[1], size[2], std::vector<Vector3f>(count, Vector3f{value, -value, value}));
    }
}

// A scalar range, or a vector range of three equal components.
template <class Range>
Range Filled(float value) {
    if constexpr (std::is_same_v<Range, float>) {
        return value;
    } else {
        return {value, value, value};
    }
}

// One upload into a grid that may hold an earlier one. After an exception,
// new dimensions leave no image and the range of a new grid; the same
// dimensions leave the texture as it was.
template <class Grid>
class UploadSubject final : public Subject {
public:
    UploadSubject(std::unique_ptr<Grid> grid, const Dimensions& size) : grid_(std::move(grid)), size_(size) {}
    void Act() override {
        before_ = grid_->GetTexture();
        EXPECT_TRUE(Upload(*grid_, size_, 2.5f));
    }
    void ExpectStateAfterThrow() const override {
        constexpr float kMax = std::numeric_limits<float>::max();
        const auto texture = grid_->GetTexture();
        const bool refill = before_.dimensions == size_;
        EXPECT_EQ(texture.dimensions, size_);
        EXPECT_EQ(texture.view.value, refill ? before_.view.value : ImageViewId::Null().value);
        using Range = std::decay_t<decltype(texture.range_min)>;
        EXPECT_EQ(texture.range_min, refill ? before_.range_min : Filled<Range>(kMax));
        EXPECT_EQ(texture.range_max, refill ? before_.range_max : Filled<Range>(-kMax));
    }

private:
    std::unique_ptr<Grid> grid_;
    Dimensions size_;
    decltype(grid_->GetTexture()) before_{};
};

// earlier: the dimensions of an upload made while preparing (none when 0).
std::vector<Scenario> GridScenarios() {
    std::vector<Scenario> scenarios;
    const std::tuple<const char*, Dimensions, std::uint32_t> cases[] = {
        {"FirstUpload", {0, 0, 0}, 0}, {"NewDimensions", {2, 2, 2}, 0}, {"RefillWithPaddedPitches", {3, 2, 2}, 8}};
    for (const auto& [name, earlier, padding] : cases) {
        const auto make = [earlier, padding](auto create) {
            return [=](RecordingDevice& device) {
                device.SetPitchPadding(padding, 3 * padding);
                auto grid = create(device);
                if (earlier[0] != 0) {
                    EXPECT_TRUE(Upload(*grid, earlier, 1.0f));
                }
                using Grid = typename decltype(grid)::element_type;
                return std::unique_ptr<Subject>(std::make_unique<UploadSubject<Grid>>(std::move(grid), Dimensions{3, 2, 2}));
            };
        };
        scenarios.push_back({std::string("Scalar") + name, make([](IGpu& gpu) { return CreateScalarGrid(gpu); })});
        scenarios.push_back({std::string("Vector") + name, make([](IGpu& gpu) { return CreateVectorGrid(gpu); })});
    }
    return scenarios;
}

INSTANTIATE_TEST_SUITE_P(Grids, FaultInjectionTest, ::testing::ValuesIn(GridScenarios()), ScenarioName);

// Releases never throw into the library: a device that does ends the process.
TEST(GridReleaseDeathTest, ThrowingReleaseEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RecordingDevice device;
            auto grid = CreateScalarGrid(device);
            grid->SetValues(1, 1, 1, std::vector<float>{1.0f});
            device.ThrowFrom("DestroyImageView");
            grid.reset();
        },
        "");
}

}  // namespace
}  // namespace Korvex::Rendering::faults
