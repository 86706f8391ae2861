// The scalar and the vector grid on the recording device: what an upload
// makes, stages and releases, what it rejects, and the value ranges (the
// scalar grid lets a NaN take over, the vector grid skips NaN components).

#include "RecordingDevice.h"
#include "grids/ValueRange.h"

#include <Korvex/Rendering/Simulation/Simulation.h>

#include <gmock/gmock.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <tuple>

namespace Korvex::Rendering::testing {
namespace {

using ::testing::ElementsAre;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kLargest = std::numeric_limits<float>::max();

// The recorded calls as "operation arguments".
std::vector<std::string> Calls(const RecordingDevice& device) {
    std::vector<std::string> calls;
    for (const RecordedCall& call : device.Calls()) calls.push_back(call.operation + " " + call.arguments);
    return calls;
}

// Both grids share the upload. The staging image lives only through it; a
// new size releases the old view and image before making new ones.
TEST(GridUploadTest, UploadsThroughAStagingImageAndANewSizeReplacesViewAndImage) {
    RecordingDevice device;
    const auto grid = CreateScalarGrid(device);
    ASSERT_TRUE(grid->SetValues(4, 3, 2, std::vector<float>(24, 1.0f)));
    const auto& calls = device.Calls();
    const std::string format = std::to_string(kFormatR32Float), gpu = IdText(calls.at(0).result),
                      view = IdText(calls.at(1).result), stage = IdText(calls.at(2).result);
    EXPECT_THAT(Calls(device), ElementsAre("CreateImage {4,3,2," + format + ",1,1,65}", "CreateImageView " + gpu,
                                           "CreateImage {4,3,2," + format + ",1,1,48}",
                                           "MapImage " + stage + ",0," + std::to_string(kMapWrite),
                                           "UnmapImage " + stage + ",0", "CopyImage " + stage + "," + gpu,
                                           "DestroyImage " + stage));
    const ScalarGridTexture snapshot = grid->GetTexture();
    EXPECT_EQ(IdText(snapshot.view), view);
    EXPECT_THAT(snapshot.dimensions, ElementsAre(4u, 3u, 2u));
    EXPECT_EQ(device.LiveObjectCount(), 2u);

    device.ClearCalls();
    ASSERT_TRUE(grid->SetValues(2, 2, 3, std::vector<float>(12, 1.0f)));
    const std::vector<std::string> replaced = Calls(device);
    ASSERT_EQ(replaced.size(), 9u);
    EXPECT_EQ(std::vector(replaced.begin(), replaced.begin() + 2),
              (std::vector<std::string>{"DestroyImageView " + view, "DestroyImage " + gpu}));
    EXPECT_EQ(IdText(grid->GetTexture().view), IdText(device.Calls().at(3).result)) << "the new view";
    EXPECT_THAT(grid->GetTexture().dimensions, ElementsAre(2u, 2u, 3u));
    EXPECT_THAT(snapshot.dimensions, ElementsAre(4u, 3u, 2u)) << "GetTexture hands out a snapshot";
    EXPECT_EQ(device.LiveObjectCount(), 2u);
}

// A dimension outside 1..2048 or too few values: no call, no change,
// whether the grid is new or holds an upload.
TEST(GridUploadTest, RejectedUploadsMakeNoCallAndChangeNothing) {
    RecordingDevice device;
    const auto grid = CreateScalarGrid(device);
    const auto state = [&] {
        const ScalarGridTexture t = grid->GetTexture();
        return std::tuple(t.view.value, t.range_min, t.range_max, t.dimensions);
    };
    EXPECT_EQ(state(), std::tuple(ImageViewId::Null().value, kLargest, -kLargest, std::array<std::size_t, 3>{}));
    const std::tuple<std::size_t, std::size_t, std::size_t, std::size_t> rejected[] = {
        {0, 4, 4, 64},      {4, 0, 4, 64},      {4, 4, 0, 64}, {2049, 1, 1, 2049},
        {1, 2049, 1, 2049}, {1, 1, 2049, 2049}, {2, 2, 2, 7},  {std::numeric_limits<std::size_t>::max(), 1, 1, 8},
    };
    for (const bool afterUpload : {false, true}) {
        if (afterUpload) {
            ASSERT_TRUE(grid->SetValues(2, 2, 2, std::vector<float>(8, 1.0f)));
        }
        const auto before = state();
        device.ClearCalls();
        for (const auto& [x, y, z, count] : rejected)
            EXPECT_FALSE(grid->SetValues(x, y, z, std::vector<float>(count, 1.0f))) << x << "x" << y << "x" << z;
        EXPECT_TRUE(device.Calls().empty());
        EXPECT_EQ(state(), before);
    }
    EXPECT_TRUE(grid->SetValues(2048, 1, 1, std::vector<float>(2048, 1.0f))) << "the largest dimension";
    EXPECT_TRUE(grid->SetValues(1, 1, 2048, std::vector<float>(2048, 1.0f))) << "the largest dimension";
}

// Each element at its texel (a vector's three floats in four), rows and
// slices at the device's pitches, every other byte untouched; the GPU image
// of the grid's format receives the same bytes.
TEST(GridUploadTest, StagingHoldsEachRowAtItsPitchAndNothingElse) {
    for (const bool vectors : {false, true})
        for (const auto& [rowPadding, slicePadding] : {std::pair{0u, 0u}, std::pair{12u, 20u}}) {
            RecordingDevice device;
            device.SetPitchPadding(rowPadding, slicePadding);
            const std::size_t texel = vectors ? 16 : 4, element = vectors ? 12 : 4;
            std::vector<float> floats(12 * element / 4);
            for (std::size_t i = 0; i < floats.size(); ++i) floats[i] = float(i) + 0.25f;
            std::vector<Vector3f> triples(12);
            std::memcpy(triples.data(), floats.data(), vectors ? floats.size() * sizeof(float) : 0);
            const auto scalar = CreateScalarGrid(device);
            const auto vector = CreateVectorGrid(device);
            ASSERT_TRUE(vectors ? vector->SetVectors(3, 2, 2, triples) : scalar->SetValues(3, 2, 2, floats));

            const std::size_t rowPitch = 3 * texel + rowPadding, slicePitch = 2 * rowPitch + slicePadding;
            std::vector<std::uint8_t> expected(2 * slicePitch, RecordingDevice::kFreshByte);
            for (std::size_t n = 0; n < 12; ++n)
                std::memcpy(&expected[n / 6 * slicePitch + n / 3 % 2 * rowPitch + n % 3 * texel],
                            &floats[n * element / 4], element);
            const auto& calls = device.Calls();
            EXPECT_EQ(calls.at(0).As<ImageDesc>().format, vectors ? kFormatRgba32Float : kFormatR32Float);
            EXPECT_EQ(device.ImageBytes(ImageId{calls.at(2).result}), expected) << "staging, padding " << rowPadding;
            EXPECT_EQ(device.ImageBytes(ImageId{calls.at(0).result}), expected) << "copied into the GPU image";
        }
}

MATCHER_P(SameFloat, expected, "") { return std::isnan(expected) ? std::isnan(arg) : arg == expected; }

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

// The copy into the staging image takes every value, wherever it starts:
// the unique minimum and maximum at every position of short runs, at every
// alignment of the destination.
TEST(GridRangeTest, CopiedRunsKeepEveryValueAtEveryAlignment) {
    for (std::size_t offset = 0; offset < 4; ++offset)
        for (std::size_t count = 2; count < 12; ++count)
            for (std::size_t low = 0; low < count; ++low) {
                std::vector<float> values(count, 1.0f);
                values[low] = -5.0f;
                values[(low + 1) % count] = 9.0f;
                alignas(16) std::uint8_t staging[4 * 16] = {};
                const detail::ScalarRangeSummary summary =
                    detail::CopyScalars(staging + 4 * offset, values.data(), count);
                EXPECT_EQ(std::memcmp(staging + 4 * offset, values.data(), 4 * count), 0);
                EXPECT_EQ(summary.min, -5.0f) << offset << " " << count << " " << low;
                EXPECT_EQ(summary.max, 9.0f) << offset << " " << count << " " << low;
            }
}

// Grids large enough to be copied and summarised in parallel blocks, against the two
// rules applied value by value, bit for bit (+0.0 and -0.0 included).
TEST(GridRangeTest, LargeUploadsMatchTheOrderedPassBitForBit) {
    // Odd sizes: blocks of rows start anywhere in the staging memory and end
    // between groups of four values.
    constexpr std::size_t kX = 47, kY = 46, kZ = 45, kCount = kX * kY * kZ;
    const auto pattern = [](std::size_t i) { return float((i * 7919) % 1000) - 400.0f; };
    struct Case {
        const char* what;
        std::function<float(std::size_t)> value;
    };
    const Case cases[] = {
        {"numbers", pattern},
        {"a NaN last", [&](std::size_t i) { return i == kCount - 1 ? kNaN : pattern(i); }},
        {"a NaN after the extremes", [&](std::size_t i) { return i == 3 ? -1e9f : i == 100 ? kNaN : pattern(i); }},
        {"infinities after a NaN",
         [&](std::size_t i) { return i < 5 ? kNaN : std::numeric_limits<float>::infinity(); }},
        {"zeros of both signs at the ends",
         [](std::size_t i) { return i % 3 == 0 ? -0.0f : i % 3 == 1 ? 0.0f : 2.0f; }},
        {"a single -0.0 as the minimum", [](std::size_t i) { return i == 77 ? -0.0f : 1.0f + float(i % 5); }},
    };
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    RecordingDevice device;
    auto scalars = CreateScalarGrid(device);
    auto vectors = CreateVectorGrid(device);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<float> values(kCount);
        std::vector<Vector3f> triples(kCount);
        float min = kLargest, max = -kLargest;
        std::array<float, 3> vectorMin, vectorMax;
        vectorMin.fill(kLargest);
        vectorMax.fill(-kLargest);
        for (std::size_t i = 0; i < kCount; ++i) {
            const float v = values[i] = test.value(i);
            min = v > min ? min : v;
            max = max > v ? max : v;
            triples[i] = {v, test.value((i + 1) % kCount), -v};
            const float components[3] = {triples[i].x, triples[i].y, triples[i].z};
            for (std::size_t c = 0; c < 3; ++c) {
                if (vectorMin[c] > components[c]) vectorMin[c] = components[c];
                if (components[c] > vectorMax[c]) vectorMax[c] = components[c];
            }
        }
        ASSERT_TRUE(scalars->SetValues(kX, kY, kZ, values));
        EXPECT_EQ(bits(scalars->GetTexture().range_min), bits(min));
        EXPECT_EQ(bits(scalars->GetTexture().range_max), bits(max));
        ASSERT_TRUE(vectors->SetVectors(kX, kY, kZ, triples));
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(bits(vectors->GetTexture().range_min[c]), bits(vectorMin[c])) << c;
            EXPECT_EQ(bits(vectors->GetTexture().range_max[c]), bits(vectorMax[c])) << c;
        }
    }
}

}  // namespace
}  // namespace Korvex::Rendering::testing
