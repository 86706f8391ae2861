// Grid uploads under device faults: the staging image never outlives the
// upload, an exception leaves the texture as the steps before it left it.

#include "FaultInjection.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <array>
#include <limits>
#include <string>

namespace Korvex::Rendering::faults {
namespace {

using Dimensions = std::array<std::size_t, 3>;

struct ScalarKind {
    using Grid = IScalarGrid;
    static constexpr const char* kName = "Scalar";
    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateScalarGrid(gpu); }
    static bool Upload(Grid& grid, const Dimensions& size, float value) {
        return grid.SetValues(size[0], size[1], size[2], std::vector<float>(size[0] * size[1] * size[2], value));
    }
    static bool HasEmptyRange(const ScalarGridTexture& texture) {
        return texture.range_min == std::numeric_limits<float>::max() &&
               texture.range_max == -std::numeric_limits<float>::max();
    }
    static bool SameRange(const ScalarGridTexture& a, const ScalarGridTexture& b) {
        return a.range_min == b.range_min && a.range_max == b.range_max;
    }
};

struct VectorKind {
    using Grid = IVectorGrid;
    static constexpr const char* kName = "Vector";
    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateVectorGrid(gpu); }
    static bool Upload(Grid& grid, const Dimensions& size, float value) {
        return grid.SetVectors(size[0], size[1], size[2],
                               std::vector<Vector3f>(size[0] * size[1] * size[2], Vector3f{value, -value, value}));
    }
    static bool HasEmptyRange(const VectorGridTexture& texture) {
        for (std::size_t i = 0; i < 3; ++i)
            if (texture.range_min[i] != std::numeric_limits<float>::max() ||
                texture.range_max[i] != -std::numeric_limits<float>::max())
                return false;
        return true;
    }
    static bool SameRange(const VectorGridTexture& a, const VectorGridTexture& b) {
        return a.range_min == b.range_min && a.range_max == b.range_max;
    }
};

// One upload into a grid that may hold an earlier one.
template <class Kind>
class UploadSubject final : public Subject {
public:
    UploadSubject(RecordingDevice& device, const Dimensions& size) : grid_(Kind::Create(device)), size_(size) {}

    void Act() override {
        before_ = grid_->GetTexture();
        EXPECT_TRUE(Kind::Upload(*grid_, size_, 2.5f));
    }

    // New dimensions: the old image is gone and nothing new is reported yet.
    // The same dimensions: the texture is reported as before the call.
    void ExpectStateAfterThrow() const override {
        const auto texture = grid_->GetTexture();
        EXPECT_EQ(texture.dimensions, size_);
        if (before_.dimensions != size_) {
            EXPECT_TRUE(texture.view.IsNull());
            EXPECT_TRUE(Kind::HasEmptyRange(texture));
        } else {
            EXPECT_EQ(texture.view.value, before_.view.value);
            EXPECT_TRUE(Kind::SameRange(texture, before_));
        }
    }

    typename Kind::Grid& Grid() { return *grid_; }

private:
    std::unique_ptr<typename Kind::Grid> grid_;
    Dimensions size_;
    decltype(grid_->GetTexture()) before_{};
};

// earlier: the dimensions of an upload made while preparing (none when 0).
template <class Kind>
Scenario UploadScenario(const std::string& name, const Dimensions& earlier, const Dimensions& size,
                        std::uint32_t rowPadding = 0, std::uint32_t slicePadding = 0) {
    return {Kind::kName + name, [=](RecordingDevice& device) {
                device.SetPitchPadding(rowPadding, slicePadding);
                auto subject = std::make_unique<UploadSubject<Kind>>(device, size);
                if (earlier[0] != 0) {
                    EXPECT_TRUE(Kind::Upload(subject->Grid(), earlier, 1.0f));
                }
                return std::unique_ptr<Subject>(std::move(subject));
            }};
}

template <class Kind>
std::vector<Scenario> UploadScenarios() {
    return {UploadScenario<Kind>("FirstUpload", {0, 0, 0}, {3, 2, 2}),
            UploadScenario<Kind>("NewDimensions", {2, 2, 2}, {3, 2, 2}),
            UploadScenario<Kind>("RefillWithPaddedPitches", {3, 2, 2}, {3, 2, 2}, 8, 24)};
}

std::vector<Scenario> GridScenarios() {
    std::vector<Scenario> scenarios = UploadScenarios<ScalarKind>();
    for (Scenario& scenario : UploadScenarios<VectorKind>()) scenarios.push_back(std::move(scenario));
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
