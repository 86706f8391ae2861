// The scalar and the vector grid on the recording device: what an upload
// makes, stages and releases, what it rejects, and the value ranges (the
// scalar grid lets a NaN take over, the vector grid skips NaN components).

#include "RecordingDevice.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gmock/gmock.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace Korvex::Rendering::testing {
namespace {

using ::testing::ElementsAre;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// What GetTexture reports, comparable across both grids.
struct TextureState {
    std::uint64_t view;
    std::vector<float> rangeMin;
    std::vector<float> rangeMax;
    std::array<std::size_t, 3> dimensions;
    friend bool operator==(const TextureState&, const TextureState&) = default;
};

struct ScalarCase {
    using Grid = IScalarGrid;
    using Element = float;
    static constexpr std::uint32_t kFormat = kFormatR32Float;
    static constexpr std::size_t kTexelBytes = 4;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateScalarGrid(gpu); }
    static Element MakeElement(float v) { return v; }
    static bool Upload(Grid& grid, std::size_t x, std::size_t y, std::size_t z, const std::vector<Element>& e) {
        return grid.SetValues(x, y, z, e);
    }
    static TextureState State(const Grid& grid) {
        const ScalarGridTexture t = grid.GetTexture();
        return {t.view.value, {t.range_min}, {t.range_max}, t.dimensions};
    }
};

struct VectorCase {
    using Grid = IVectorGrid;
    using Element = Vector3f;
    static constexpr std::uint32_t kFormat = kFormatRgba32Float;
    static constexpr std::size_t kTexelBytes = 16;

    static std::unique_ptr<Grid> Create(IGpu& gpu) { return CreateVectorGrid(gpu); }
    static Element MakeElement(float v) { return {v, -v, v + 0.5f}; }
    static bool Upload(Grid& grid, std::size_t x, std::size_t y, std::size_t z, const std::vector<Element>& e) {
        return grid.SetVectors(x, y, z, e);
    }
    static TextureState State(const Grid& grid) {
        const VectorGridTexture t = grid.GetTexture();
        return {t.view.value, {t.range_min.begin(), t.range_min.end()}, {t.range_max.begin(), t.range_max.end()},
                t.dimensions};
    }
};

constexpr std::uint32_t kGpuUsage = kImageUsageSampled | kImageUsageCopyDestination;
constexpr std::uint32_t kStagingUsage = kImageUsageCpuWrite | kImageUsageCopySource;
constexpr float kLargest = std::numeric_limits<float>::max();

template <class Case>
class GridUploadTest : public ::testing::Test {
protected:
    using Element = typename Case::Element;

    static std::vector<Element> Elements(std::size_t count) {
        std::vector<Element> elements;
        for (std::size_t i = 0; i < count; ++i) elements.push_back(Case::MakeElement(static_cast<float>(i) + 0.25f));
        return elements;
    }

    bool Upload(std::size_t x, std::size_t y, std::size_t z, const std::vector<Element>& elements) {
        return Case::Upload(*grid, x, y, z, elements);
    }
    bool Upload(std::size_t x, std::size_t y, std::size_t z) { return Upload(x, y, z, Elements(x * y * z)); }
    TextureState State() const { return Case::State(*grid); }
    // The recorded calls as "operation arguments".
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        for (const RecordedCall& call : device.Calls()) calls.push_back(call.operation + " " + call.arguments);
        return calls;
    }

    // The id a recorded CreateImage with this usage returned.
    ImageId CreatedImage(std::uint32_t usage) const {
        for (const RecordedCall& call : device.Calls())
            if (call.operation == "CreateImage" && call.template As<ImageDesc>().usage == usage)
                return ImageId{call.result};
        ADD_FAILURE() << "no CreateImage with usage " << usage;
        return {};
    }
    ImageViewId CreatedView() const {
        for (const RecordedCall& call : device.Calls())
            if (call.operation == "CreateImageView") return ImageViewId{call.result};
        ADD_FAILURE() << "no CreateImageView";
        return {};
    }

    // Staging bytes as they must be: each element at its texel within rows and
    // slices at the given pitches, every other byte untouched.
    static std::vector<std::uint8_t> ExpectedStaging(const std::vector<Element>& elements, std::size_t x,
                                                     std::size_t y, std::size_t z, std::size_t rowPitch,
                                                     std::size_t slicePitch) {
        std::vector<std::uint8_t> bytes(slicePitch * z, RecordingDevice::kFreshByte);
        std::size_t next = 0;
        for (std::size_t k = 0; k < z; ++k)
            for (std::size_t j = 0; j < y; ++j)
                for (std::size_t i = 0; i < x; ++i, ++next)
                    std::memcpy(&bytes[k * slicePitch + j * rowPitch + i * Case::kTexelBytes], &elements[next],
                                sizeof(Element));
        return bytes;
    }

    RecordingDevice device;
    std::unique_ptr<typename Case::Grid> grid = Case::Create(device);
};

using Cases = ::testing::Types<ScalarCase, VectorCase>;
TYPED_TEST_SUITE(GridUploadTest, Cases);

TYPED_TEST(GridUploadTest, RejectedUploadsMakeNoCallAndChangeNothing) {
    EXPECT_EQ(this->State(), (TextureState{~std::uint64_t{0}, std::vector<float>(this->State().rangeMin.size(), kLargest),
                                           std::vector<float>(this->State().rangeMin.size(), -kLargest), {0, 0, 0}}))
        << "a new grid";
    const std::tuple<std::size_t, std::size_t, std::size_t, std::size_t> rejected[] = {
        {0, 4, 4, 64},     {4, 0, 4, 64},     {4, 4, 0, 64},
        {2049, 1, 1, 2049}, {1, 2049, 1, 2049}, {1, 1, 2049, 2049},
        {2, 2, 2, 7},      {std::numeric_limits<std::size_t>::max(), 1, 1, 8},
    };
    for (bool afterUpload : {false, true}) {
        if (afterUpload) {
            ASSERT_TRUE(this->Upload(2, 2, 2));
        }
        const TextureState before = this->State();
        this->device.ClearCalls();
        for (const auto& [x, y, z, count] : rejected)
            EXPECT_FALSE(this->Upload(x, y, z, this->Elements(count))) << x << "x" << y << "x" << z << " " << count;
        EXPECT_TRUE(this->device.Calls().empty());
        EXPECT_EQ(this->State(), before);
    }
    EXPECT_TRUE(this->Upload(2048, 1, 1)) << "the largest dimension";
    EXPECT_TRUE(this->Upload(1, 1, 2048)) << "the largest dimension";
}

// The staging image lives only through the upload; a new size releases the
// old view and image before making new ones.
TYPED_TEST(GridUploadTest, UploadsThroughAStagingImageAndANewSizeReplacesViewAndImage) {
    ASSERT_TRUE(this->Upload(4, 3, 2));
    const auto& calls = this->device.Calls();
    const std::string format = std::to_string(TypeParam::kFormat), gpu = IdText(ImageId{calls.at(0).result}),
                      view = IdText(ImageViewId{calls.at(1).result}), stage = IdText(ImageId{calls.at(2).result});
    EXPECT_THAT(this->Calls(), ElementsAre("CreateImage {4,3,2," + format + ",1,1,65}", "CreateImageView " + gpu,
                                           "CreateImage {4,3,2," + format + ",1,1,48}", "MapImage " + stage + ",0," + std::to_string(kMapWrite),
                                           "UnmapImage " + stage + ",0", "CopyImage " + stage + "," + gpu,
                                           "DestroyImage " + stage));
    const TextureState snapshot = this->State();
    EXPECT_EQ(IdText(ImageViewId{snapshot.view}), view);
    EXPECT_THAT(snapshot.dimensions, ElementsAre(4u, 3u, 2u));
    EXPECT_EQ(this->device.LiveObjectCount(), 2u);

    this->device.ClearCalls();
    ASSERT_TRUE(this->Upload(2, 2, 3));
    const std::vector<std::string> replaced = this->Calls();
    ASSERT_EQ(replaced.size(), 9u);
    EXPECT_EQ(std::vector(replaced.begin(), replaced.begin() + 2),
              (std::vector<std::string>{"DestroyImageView " + view, "DestroyImage " + gpu}));
    EXPECT_EQ(this->State().view, this->CreatedView().value);
    EXPECT_THAT(this->State().dimensions, ElementsAre(2u, 2u, 3u));
    EXPECT_THAT(snapshot.dimensions, ElementsAre(4u, 3u, 2u)) << "GetTexture hands out a snapshot";
    EXPECT_EQ(this->device.LiveObjectCount(), 2u);
}

TYPED_TEST(GridUploadTest, StagingHoldsEachRowAtItsPitchAndNothingElse) {
    constexpr std::size_t x = 3, y = 2, z = 2;
    for (const auto& [rowPadding, slicePadding] : {std::pair{0u, 0u}, std::pair{12u, 20u}}) {
        this->grid = TypeParam::Create(this->device);
        this->device.SetPitchPadding(rowPadding, slicePadding);
        this->device.ClearCalls();
        const auto elements = this->Elements(x * y * z);
        ASSERT_TRUE(this->Upload(x, y, z, elements));

        const std::size_t rowPitch = x * TypeParam::kTexelBytes + rowPadding;
        const std::size_t slicePitch = rowPitch * y + slicePadding;
        const auto expected = this->ExpectedStaging(elements, x, y, z, rowPitch, slicePitch);
        EXPECT_EQ(this->device.ImageBytes(this->CreatedImage(kStagingUsage)), expected) << "padding " << rowPadding;
        EXPECT_EQ(this->device.ImageBytes(this->CreatedImage(kGpuUsage)), expected) << "copied into the GPU image";
    }
}

MATCHER_P(SameFloat, expected, "") {
    return std::isnan(expected) ? std::isnan(arg) : arg == expected;
}

TEST(ScalarGridRangeTest, FollowsTheOrderedComparisons) {
    const struct Case { std::vector<float> values; float min, max; } cases[] = {
        {{3, -1, 7, 7}, -1, 7},
        {{2.5f, 2.5f, 2.5f, 2.5f}, 2.5f, 2.5f},
        {{kNaN, 2, 5, 3}, 2, 5},     // the first number replaces a leading NaN
        {{1, 6, kNaN, 4}, 4, 4},     // a NaN takes over both ends, the next number both
        {{1, 6, 4, kNaN}, kNaN, kNaN},
    };
    RecordingDevice device;
    auto grid = CreateScalarGrid(device);
    for (const Case& c : cases) {
        ASSERT_TRUE(grid->SetValues(4, 1, 1, c.values));
        const ScalarGridTexture texture = grid->GetTexture();
        EXPECT_THAT(texture.range_min, SameFloat(c.min)) << ::testing::PrintToString(c.values);
        EXPECT_THAT(texture.range_max, SameFloat(c.max)) << ::testing::PrintToString(c.values);
    }
}

TEST(VectorGridRangeTest, IsPerComponentAndSkipsNaN) {
    const struct Case { std::vector<Vector3f> vectors; std::array<float, 3> min, max; } cases[] = {
        {{{1, -2, 0}, {-3, 5, 0.5f}}, {-3, -2, 0}, {1, 5, 0.5f}},
        {{{1, kNaN, 2}, {3, 4, -1}}, {1, 4, -1}, {3, 4, 2}},
        {{{kNaN, 1, 2}, {-1, 4, kNaN}}, {-1, 1, 2}, {-1, 4, 2}},
        {{{1, kNaN, 0}, {2, kNaN, 0}}, {1, kLargest, 0}, {2, -kLargest, 0}},
    };
    RecordingDevice device;
    auto grid = CreateVectorGrid(device);
    for (const Case& c : cases) {
        ASSERT_TRUE(grid->SetVectors(2, 1, 1, c.vectors));
        const VectorGridTexture texture = grid->GetTexture();
        EXPECT_EQ(texture.range_min, c.min);
        EXPECT_EQ(texture.range_max, c.max);
    }
}

}  // namespace
}  // namespace Korvex::Rendering::testing
