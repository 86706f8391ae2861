// Upload behaviour shared by the scalar and the vector grid, on the recording device.

#include "GridCases.h"
#include "RecordingDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <tuple>

namespace Korvex::Rendering::testing {
namespace {

using ::testing::ElementsAre;

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

TYPED_TEST(GridUploadTest, FirstUploadCreatesImageViewAndStagingInOrder) {
    ASSERT_TRUE(this->Upload(4, 3, 2));
    EXPECT_THAT(this->device.OperationNames(), ElementsAre("CreateImage", "CreateImageView", "CreateImage", "MapImage",
                                                           "UnmapImage", "CopyImage", "DestroyImage"));
    const auto& calls = this->device.Calls();
    const ImageId image{calls[0].result};
    const ImageId staging{calls[2].result};
    const std::string gpu = IdText(image), stage = IdText(staging);
    EXPECT_EQ(calls[0].arguments, "{4,3,2," + std::to_string(TypeParam::kFormat) + ",1,1,65}") << "sampled copy target";
    EXPECT_EQ(calls[1].arguments, gpu);
    EXPECT_EQ(calls[2].arguments, "{4,3,2," + std::to_string(TypeParam::kFormat) + ",1,1,48}") << "written copy source";
    EXPECT_EQ(calls[3].arguments, stage + ",0," + std::to_string(kMapWrite));
    EXPECT_EQ(calls[4].arguments, stage + ",0");
    EXPECT_EQ(calls[5].arguments, stage + "," + gpu);
    EXPECT_EQ(calls[6].arguments, stage);

    const TextureState state = this->State();
    EXPECT_EQ(state.view, calls[1].result);
    EXPECT_THAT(state.dimensions, ElementsAre(4u, 3u, 2u));
    EXPECT_EQ(this->device.LiveObjectCount(), 2u);
}

TYPED_TEST(GridUploadTest, NewSizeReleasesOldViewThenOldImageBeforeCreatingNewOnes) {
    ASSERT_TRUE(this->Upload(2, 2, 2));
    const ImageId oldImage = this->CreatedImage(kGpuUsage);
    const ImageViewId oldView = this->CreatedView();
    const TextureState snapshot = this->State();
    this->device.ClearCalls();

    ASSERT_TRUE(this->Upload(2, 2, 3));
    EXPECT_THAT(this->device.OperationNames(),
                ElementsAre("DestroyImageView", "DestroyImage", "CreateImage", "CreateImageView", "CreateImage",
                            "MapImage", "UnmapImage", "CopyImage", "DestroyImage"));
    EXPECT_EQ(this->device.Calls()[0].arguments, IdText(oldView));
    EXPECT_EQ(this->device.Calls()[1].arguments, IdText(oldImage));
    EXPECT_EQ(this->State().view, this->CreatedView().value);
    EXPECT_NE(this->State().view, snapshot.view);
    EXPECT_THAT(this->State().dimensions, ElementsAre(2u, 2u, 3u));
    EXPECT_THAT(snapshot.dimensions, ElementsAre(2u, 2u, 2u)) << "GetTexture hands out a snapshot";
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

}  // namespace
}  // namespace Korvex::Rendering::testing
