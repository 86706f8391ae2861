#include "RecordingDevice.h"

#include <AllocationCounter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

namespace Korvex::Rendering {
namespace {

using ::testing::ElementsAre;

constexpr ImageDesc kStaging{2, 2, 1, kFormatR32Float, 1, 1, kImageUsageCpuWrite | kImageUsageCopySource};
constexpr ImageDesc kSampled{2, 2, 1, kFormatR32Float, 1, 1, kImageUsageSampled | kImageUsageCopyDestination};

TEST(RecordingDeviceTest, IdsAreDistinctAcrossKindsAndStaleAfterRelease) {
    RecordingDevice device;
    const ImageId image = device.CreateImage(kSampled);
    const ImageViewId view = device.CreateImageView(image, {});
    const BufferId buffer = device.CreateBuffer({16, kBufferUsageVertex}, nullptr);
    const SamplerId sampler = device.CreateSampler({});
    for (std::uint64_t id : {image.value, view.value, buffer.value, sampler.value}) {
        EXPECT_NE(static_cast<std::uint32_t>(id), ~0u);
        EXPECT_EQ(id >> 32, 1u) << "first generation";
    }
    EXPECT_THAT((std::vector{image.Index(), view.Index(), buffer.Index(), sampler.Index()}),
                ::testing::UnorderedElementsAre(0u, 1u, 2u, 3u));

    device.DestroyImage(image);
    const ImageId reused = device.CreateImage(kSampled);
    EXPECT_EQ(reused.Index(), image.Index());
    EXPECT_EQ(reused.Generation(), image.Generation() + 1);
    EXPECT_FALSE(device.IsLive(image));
    EXPECT_TRUE(device.IsLive(reused));
}

TEST(RecordingDeviceTest, DestroyingNullStaleOrWrongKindIdsIsRecordedAndIgnored) {
    RecordingDevice device;
    const ImageId image = device.CreateImage(kSampled);
    const ImageId stale = image;
    device.DestroyImage(image);
    const ImageId live = device.CreateImage(kSampled);  // takes the slot of the stale id
    device.ClearCalls();

    device.DestroyImage(stale);
    device.DestroyImage(ImageId::Null());
    device.DestroyImageView(ImageViewId{live.value});
    device.DestroyBuffer(BufferId::FromParts(40, 1));

    EXPECT_THAT(device.OperationNames(),
                ElementsAre("DestroyImage", "DestroyImage", "DestroyImageView", "DestroyBuffer"));
    EXPECT_EQ(device.Calls()[0].arguments, "0:1");
    EXPECT_EQ(device.Calls()[1].arguments, "null");
    EXPECT_TRUE(device.IsLive(live));
    EXPECT_EQ(device.LiveObjectCount(), 1u);
}

TEST(RecordingDeviceTest, LiveObjectCountFollowsCreationAndRelease) {
    RecordingDevice device;
    const BufferId buffer = device.CreateBuffer({64, kBufferUsageConstant | kBufferUsageDynamic}, nullptr);
    const ProgramId program = device.CreateProgram({});
    const PipelineStateId pipeline = device.CreatePipelineState({});
    const ImageViewId bufferView = device.CreateBufferView(buffer, kFormatR32Uint, 0, 16);
    EXPECT_EQ(device.LiveObjectCount(), 4u);
    device.DestroyImageView(bufferView);
    device.DestroyPipelineState(pipeline);
    device.DestroyProgram(program);
    device.DestroyBuffer(buffer);
    EXPECT_EQ(device.LiveObjectCount(), 0u);
}

TEST(RecordingDeviceTest, RecordsArgumentsTextAndTypedCopies) {
    RecordingDevice device;
    const ImageId image = device.CreateImage({4, 4, 4, kFormatR32Float, 1, 1, 65});
    PipelineStateDesc state;
    state.topology = kTopologyPatch2;
    const PipelineStateId pipeline = device.CreatePipelineState(state);
    DrawCallDesc drawCall;
    drawCall.stencilReference = 7;
    device.BindDrawCall(pipeline, drawCall);
    ShaderStageSources sources;
    sources.stages[kStageIndexVertex] = "v";
    sources.stages[kStageIndexPixel] = "p";
    device.CreateProgram(sources);
    device.DrawIndexed({}, BufferId::FromParts(9, 1), kFormatR16Uint, 36, 6, -2);
    device.ClearDepthStencil(image, ImageId::Null(), 1.0f, 0);

    const auto& calls = device.Calls();
    ASSERT_THAT(device.OperationNames(), ElementsAre("CreateImage", "CreatePipelineState", "BindDrawCall",
                                                     "CreateProgram", "DrawIndexed", "ClearDepthStencil"));
    EXPECT_EQ(calls[0].arguments, "{4,4,4,37,1,1,65}");
    EXPECT_EQ(calls[0].result, image.value);
    EXPECT_EQ(calls[0].As<ImageDesc>().usage, 65u);
    EXPECT_EQ(calls[1].As<PipelineStateDesc>().topology, kTopologyPatch2);
    EXPECT_EQ(calls[2].As<BindDrawCallArguments>().pipeline, pipeline);
    EXPECT_EQ(calls[2].As<BindDrawCallArguments>().drawCall.stencilReference, 7u);
    EXPECT_EQ(calls[3].arguments, "vertex+pixel");
    EXPECT_EQ(calls[3].As<ShaderStageSources>().stages[kStageIndexPixel], "p");
    EXPECT_EQ(calls[4].arguments, "{null,null,null,null},9:1,19,36,6,-2");
    EXPECT_EQ(calls[4].As<DrawArguments>().baseVertex, -2);
    EXPECT_EQ(calls[5].arguments, "0:1,null,1,0");
    EXPECT_THROW(calls[5].As<ImageDesc>(), std::bad_variant_access);

    device.ClearCalls();
    EXPECT_TRUE(device.Calls().empty());
}

TEST(RecordingDeviceTest, ImageBytesSurviveMapCopyAndRelease) {
    RecordingDevice device;
    const ImageId staging = device.CreateImage(kStaging);
    const ImageId sampled = device.CreateImage(kSampled);
    const MappedImage mapped = device.MapImage(staging, 0, kMapWrite);
    ASSERT_NE(mapped.data, nullptr);
    EXPECT_EQ(mapped.rowPitch, 8u);
    EXPECT_EQ(mapped.slicePitch, 16u);
    EXPECT_EQ(device.ImageBytes(staging), std::vector<std::uint8_t>(16, RecordingDevice::kFreshByte));
    static_cast<std::uint8_t*>(mapped.data)[5] = 42;
    device.UnmapImage(staging, 0);
    device.CopyImage(staging, sampled);
    device.DestroyImage(staging);

    EXPECT_EQ(device.ImageBytes(staging)[5], 42);
    EXPECT_EQ(device.ImageBytes(sampled), device.ImageBytes(staging));
    EXPECT_EQ(device.ImageDescOf(staging).usage, kStaging.usage);
    EXPECT_EQ(device.GetImageInfo(sampled).width, 2u);
    EXPECT_THROW(device.ImageBytes(ImageId::FromParts(99, 1)), std::out_of_range);
}

TEST(RecordingDeviceTest, BufferBytesKeepInitialDataAndInBoundsUpdates) {
    RecordingDevice device;
    const std::uint8_t initial[4] = {1, 2, 3, 4};
    const BufferId buffer = device.CreateBuffer({4, kBufferUsageVertex}, initial);
    const std::uint8_t update[2] = {8, 9};
    device.UpdateBuffer(buffer, 2, 2, update);
    device.UpdateBuffer(buffer, 3, 2, update);  // past the end: ignored
    EXPECT_THAT(device.BufferBytes(buffer), ElementsAre(1, 2, 8, 9));
    EXPECT_THAT(device.Calls()[1].As<std::vector<std::uint8_t>>(), ElementsAre(8, 9));
    EXPECT_THAT(device.BufferBytes(device.CreateBuffer({3, kBufferUsageIndex}, nullptr)), ElementsAre(0, 0, 0));
}

TEST(RecordingDeviceTest, WriteImageStoresTexelsOrRejectsShortData) {
    RecordingDevice device;
    const ImageId gradient = device.CreateImage({2, 0, 0, kFormatRgba8Unorm, 1, 1, kImageUsageSampled});
    const std::uint8_t texels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(device.WriteImage(gradient, {}, texels, 7));
    EXPECT_TRUE(device.ImageBytes(gradient).empty());
    EXPECT_TRUE(device.WriteImage(gradient, {}, texels, 8));
    EXPECT_THAT(device.ImageBytes(gradient), ElementsAre(1, 2, 3, 4, 5, 6, 7, 8));
    SubImage second;
    second.x = 1;
    second.width = 1;
    EXPECT_TRUE(device.WriteImage(gradient, second, texels, 4));
    EXPECT_THAT(device.ImageBytes(gradient), ElementsAre(1, 2, 3, 4, 1, 2, 3, 4));
    second.x = 2;
    EXPECT_FALSE(device.WriteImage(gradient, second, texels, 4)) << "region outside the image";
}

TEST(RecordingDeviceTest, FailOperationHitsTheChosenCallOnly) {
    RecordingDevice device;
    device.CreateImage(kStaging);
    device.FailOperation("CreateImage", 2);
    EXPECT_TRUE(device.CreateImage(kStaging));
    const ImageId failed = device.CreateImage(kStaging);
    EXPECT_TRUE(failed.IsNull());
    EXPECT_EQ(device.Calls().back().result, failed.value);
    EXPECT_TRUE(device.CreateImage(kStaging));

    device.FailOperation("CreateSampler");
    EXPECT_TRUE(device.CreateSampler({}).IsNull());
    EXPECT_TRUE(device.CreateSampler({}).IsNull());
    device.FailOperation("MapImage");
    device.FailOperation("ApplyPipelineStateDesc");
    EXPECT_EQ(device.MapImage(device.CreateImage(kStaging), 0, kMapWrite).data, nullptr);
    EXPECT_FALSE(device.ApplyPipelineStateDesc({}));

    device.ClearFaults();
    EXPECT_TRUE(device.CreateSampler({}));
    EXPECT_TRUE(device.ApplyPipelineStateDesc({}));
    EXPECT_THROW(device.FailOperation("DestroyImage"), std::invalid_argument);
    EXPECT_THROW(device.FailOperation("CreateImages"), std::invalid_argument);
}

TEST(RecordingDeviceTest, ThrowFromRaisesOnTheChosenCallAfterRecordingIt) {
    RecordingDevice device;
    const ImageId image = device.CreateImage(kStaging);
    device.ThrowFrom("CopyImage", 2);
    device.CopyImage(image, image);
    try {
        device.CopyImage(image, image);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "RecordingDevice::CopyImage(): injected fault");
    }
    EXPECT_EQ(device.CountOf("CopyImage"), 2u);
    EXPECT_NO_THROW(device.CopyImage(image, image));
}

TEST(RecordingDeviceTest, PitchPaddingWidensReportedPitchesAndTheStore) {
    RecordingDevice device;
    device.SetPitchPadding(4, 8);
    const ImageId image = device.CreateImage({3, 2, 2, kFormatRgba32Float, 1, 1, 48});
    const MappedImage mapped = device.MapImage(image, 0, kMapWrite);
    EXPECT_EQ(mapped.rowPitch, 3u * 16 + 4);
    EXPECT_EQ(mapped.slicePitch, mapped.rowPitch * 2 + 8);
    EXPECT_EQ(device.ImageBytes(image).size(), std::size_t{mapped.slicePitch} * 2);
}

TEST(RecordingDeviceTest, MaxBufferSizeIsAnsweredAndEnforced) {
    RecordingDevice device;
    EXPECT_EQ(device.GetMaxBufferSize(), RecordingDevice::kDefaultMaxBufferSize);
    device.SetMaxBufferSize(100);
    EXPECT_EQ(device.GetMaxBufferSize(), 100u);
    EXPECT_TRUE(device.CreateBuffer({100, kBufferUsageVertex}, nullptr));
    EXPECT_TRUE(device.CreateBuffer({101, kBufferUsageVertex}, nullptr).IsNull());
}

TEST(RecordingDeviceTest, SilentModeRecordsNothingButStillActs) {
    RecordingDevice device;
    device.SetRecording(false);
    const BufferId buffer = device.CreateBuffer({4, kBufferUsageConstant | kBufferUsageDynamic}, nullptr);
    const std::uint32_t value = 0x01020304;
    device.UpdateBuffer(buffer, 0, 4, &value);
    device.BindDrawCall({}, {});
    device.DrawVertices({}, 3, 0);
    EXPECT_TRUE(device.Calls().empty());
    std::uint32_t stored = 0;
    std::memcpy(&stored, device.BufferBytes(buffer).data(), 4);
    EXPECT_EQ(stored, value);

    const std::size_t before = test_support::AllocationCount();
    for (int i = 0; i < 3; ++i) {
        device.UpdateBuffer(buffer, 0, 4, &value);
        EXPECT_TRUE(device.ApplyPipelineStateDesc({}));
        device.BindDrawCall({}, {});
        device.DrawIndexed({}, {}, kFormatR16Uint, 3, 0, 0);
        device.DrawIndexedInstanced(2, {}, {}, kFormatR16Uint, 3, 0, 0);
        device.DrawVertices({}, 3, 0);
    }
    EXPECT_EQ(test_support::AllocationCount() - before, 0u) << "the draw path must not allocate";

    device.ThrowFrom("DrawVertices");
    EXPECT_THROW(device.DrawVertices({}, 3, 0), std::runtime_error);
}

}  // namespace
}  // namespace Korvex::Rendering
