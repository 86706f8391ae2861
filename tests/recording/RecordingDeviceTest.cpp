// The recording device the other tests stand on: its ids, the bytes it
// keeps, its fault switches and its silent mode.

#include "RecordingDevice.h"

#include <AllocationCounter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace Korvex::Rendering {
namespace {

using ::testing::ElementsAre;

constexpr ImageDesc kStaging{2, 2, 1, kFormatR32Float, 1, 1, kImageUsageCpuWrite | kImageUsageCopySource};
constexpr ImageDesc kSampled{2, 2, 1, kFormatR32Float, 1, 1, kImageUsageSampled | kImageUsageCopyDestination};

TEST(RecordingDeviceTest, IdsAreDistinctAcrossKindsStaleAfterReleaseAndBadReleasesAreIgnored) {
    RecordingDevice device;
    const ImageId image = device.CreateImage(kSampled);
    const BufferId buffer = device.CreateBuffer({16, kBufferUsageVertex}, nullptr);
    const SamplerId sampler = device.CreateSampler({});
    EXPECT_THAT((std::vector{image.value, buffer.value, sampler.value}),
                ElementsAre(0x100000000ull, 0x100000001ull, 0x100000002ull)) << "slot low, generation 1 high";
    device.DestroyImage(image);
    const ImageId reused = device.CreateImage(kSampled);
    EXPECT_EQ(reused.value, 0x200000000ull) << "the slot again, the next generation";
    device.ClearCalls();
    device.DestroyImage(image);
    device.DestroyImage(ImageId::Null());
    device.DestroyImageView(ImageViewId{reused.value});
    EXPECT_THAT(device.OperationNames(), ElementsAre("DestroyImage", "DestroyImage", "DestroyImageView"));
    EXPECT_EQ(device.Calls()[0].arguments, "0:1");
    EXPECT_TRUE(device.IsLive(reused));
    EXPECT_EQ(device.LiveObjectCount(), 3u);
}

TEST(RecordingDeviceTest, KeepsTheBytesOfBuffersAndImages) {
    RecordingDevice device;
    device.SetPitchPadding(4, 8);
    const ImageId staging = device.CreateImage(kStaging);
    const ImageId sampled = device.CreateImage(kSampled);
    const MappedImage mapped = device.MapImage(staging, 0, kMapWrite);
    ASSERT_NE(mapped.data, nullptr);
    EXPECT_EQ(mapped.rowPitch, 2u * 4 + 4);
    EXPECT_EQ(mapped.slicePitch, mapped.rowPitch * 2 + 8);
    EXPECT_EQ(device.ImageBytes(staging), std::vector<std::uint8_t>(32, RecordingDevice::kFreshByte));
    static_cast<std::uint8_t*>(mapped.data)[5] = 42;
    device.UnmapImage(staging, 0);
    device.CopyImage(staging, sampled);
    device.DestroyImage(staging);
    EXPECT_EQ(device.ImageBytes(sampled), device.ImageBytes(staging)) << "readable after release";
    EXPECT_EQ(device.ImageBytes(sampled)[5], 42);

    const std::uint8_t initial[4] = {1, 2, 3, 4}, update[2] = {8, 9};
    const BufferId buffer = device.CreateBuffer({4, kBufferUsageVertex}, initial);
    device.UpdateBuffer(buffer, 2, 2, update);
    device.UpdateBuffer(buffer, 3, 2, update);  // past the end: ignored
    EXPECT_THAT(device.BufferBytes(buffer), ElementsAre(1, 2, 8, 9));
    device.SetMaxBufferSize(100);
    EXPECT_TRUE(device.CreateBuffer({101, kBufferUsageVertex}, nullptr).IsNull());

    const ImageId gradient = device.CreateImage({2, 0, 0, kFormatRgba8Unorm, 1, 1, kImageUsageSampled});
    const std::uint8_t texels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(device.WriteImage(gradient, {}, texels, 7));
    SubImage second;
    second.x = 1;
    second.width = 1;
    EXPECT_TRUE(device.WriteImage(gradient, second, texels, 4));
    EXPECT_THAT(device.ImageBytes(gradient), ElementsAre(0xCD, 0xCD, 0xCD, 0xCD, 1, 2, 3, 4)) << "fresh bytes around";
}

TEST(RecordingDeviceTest, FaultsHitTheChosenCallsOnly) {
    RecordingDevice device;
    device.FailOperation("CreateImage", 2);
    EXPECT_FALSE(device.CreateImage(kStaging).IsNull());
    EXPECT_TRUE(device.CreateImage(kStaging).IsNull());
    EXPECT_FALSE(device.CreateImage(kStaging).IsNull());
    device.FailOperation("MapImage");
    device.FailOperation("ApplyPipelineStateDesc");
    EXPECT_EQ(device.MapImage(device.CreateImage(kStaging), 0, kMapWrite).data, nullptr);
    EXPECT_FALSE(device.ApplyPipelineStateDesc({}));
    EXPECT_FALSE(device.ApplyPipelineStateDesc({})) << "every call when n is 0";
    device.ThrowFrom("CopyImage", 2);
    device.CopyImage(ImageId::Null(), ImageId::Null());
    EXPECT_THROW(device.CopyImage(ImageId::Null(), ImageId::Null()), std::runtime_error);
    EXPECT_EQ(device.CountOf("CopyImage"), 2u) << "recorded before it throws";
    device.ClearFaults();
    EXPECT_TRUE(device.ApplyPipelineStateDesc({}));
    EXPECT_THROW(device.FailOperation("DestroyImage"), std::invalid_argument);
    EXPECT_THROW(device.ThrowFrom("CreateImages"), std::invalid_argument);
}

TEST(RecordingDeviceTest, SilentModeRecordsAndAllocatesNothingButActs) {
    RecordingDevice device;
    const BufferId buffer = device.CreateBuffer({4, kBufferUsageConstant | kBufferUsageDynamic}, nullptr);
    device.SetRecording(false);
    const std::uint8_t value[4] = {1, 2, 3, 4};
    const std::size_t before = test_support::AllocationCount();
    device.UpdateBuffer(buffer, 0, 4, value);
    EXPECT_TRUE(device.ApplyPipelineStateDesc({}));
    device.BindDrawCall({}, {});
    device.DrawIndexed({}, {}, kFormatR16Uint, 3, 0, 0);
    device.DrawIndexedInstanced(2, {}, {}, kFormatR16Uint, 3, 0, 0);
    device.DrawVertices({}, 3, 0);
    EXPECT_EQ(test_support::AllocationCount() - before, 0u);
    EXPECT_EQ(device.Calls().size(), 1u) << "the creation alone";
    EXPECT_THAT(device.BufferBytes(buffer), ElementsAre(1, 2, 3, 4));
}

}  // namespace
}  // namespace Korvex::Rendering
