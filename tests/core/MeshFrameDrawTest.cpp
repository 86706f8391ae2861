#include "TestMesh.h"

#include <RecordingDevice.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Korvex::Rendering::testing_support {
namespace {

using Bytes = std::vector<std::uint8_t>;

template <class T>
Bytes BytesOf(const T& object, std::size_t offset, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&object);
    return Bytes(bytes + offset, bytes + offset + size);
}

// Every byte differs from its neighbours and from the bytes 256 away, so a
// range read from a wrong offset shows.
RenderPassDesc PatternedPass() {
    std::vector<std::uint8_t> bytes(sizeof(RenderPassDesc));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + (i >> 8) * 101 + 5);
    RenderPassDesc pass;
    std::memcpy(&pass, bytes.data(), sizeof pass);
    return pass;
}

class MeshFrameDrawTest : public ::testing::Test {
protected:
    const DrawWithStateCall& DrawOnce() {
        mesh.Draw(&context, pass, cache, &passThrough);
        EXPECT_EQ(mesh.drawWithStateCalls.size(), 1u);
        return mesh.drawWithStateCalls.at(0);
    }

    RecordingDevice device;
    TestMesh mesh{device};
    RenderPassDesc pass = PatternedPass();
    ResourceCache cache;
    int context = 0;
    int passThrough = 0;
};

TEST_F(MeshFrameDrawTest, ReachesDrawWithStateWithTheMeshDeviceCacheAndPassThrough) {
    const DrawWithStateCall& call = DrawOnce();
    EXPECT_EQ(call.gpu, &device);
    EXPECT_EQ(call.cache, &cache);
    EXPECT_EQ(call.passThrough, &passThrough);
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(MeshFrameDrawTest, PipelineStateStartsEmptyWithTheSettingsOfThePass) {
    const PipelineStateDesc& state = DrawOnce().state;

    EXPECT_EQ(BytesOf(state, 0, 336), Bytes(336, 0x00)) << "vertex input and the 16 bytes after it";
    EXPECT_EQ(BytesOf(state, 336, 8), Bytes(8, 0xff)) << "null program";
    EXPECT_EQ(BytesOf(state, 344, 4), (Bytes{2, 0, 0, 0})) << "triangle list";
    EXPECT_EQ(BytesOf(state, 348, 76), BytesOf(pass, 868, 76)) << "settings block";
    EXPECT_EQ(BytesOf(state, 424, 4), BytesOf(pass, 944, 4)) << "target 0 record, first field";
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(BytesOf(state, 428 + 4 * k, 4), BytesOf(pass, 944 + 16 * k + 12, 4)) << "target " << k;
    EXPECT_EQ(BytesOf(state, 448, 4), BytesOf(pass, 960, 4)) << "target 1 record, first field";
}

TEST_F(MeshFrameDrawTest, DrawCallBindsNothingAndTakesThePassTargets) {
    const DrawCallDesc& drawCall = DrawOnce().drawCall;

    for (std::size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(BytesOf(drawCall, 12 * k, 8), Bytes(8, 0xff)) << "constant buffer " << k;
        EXPECT_EQ(BytesOf(drawCall, 12 * k + 8, 4), Bytes(4, 0x00)) << "constant buffer mask " << k;
    }
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(BytesOf(drawCall, 96 + 20 * k, 16), Bytes(16, 0xff)) << "view and sampler " << k;
        EXPECT_EQ(BytesOf(drawCall, 96 + 20 * k + 16, 4), Bytes(4, 0x00)) << "resource mask " << k;
    }
    EXPECT_EQ(BytesOf(drawCall, 416, 4), Bytes(4, 0x00)) << "stencil reference";
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(BytesOf(drawCall, 420 + 8 * k, 8), BytesOf(pass, 944 + 16 * k + 4, 8)) << "target " << k;
}

// Draw builds both descriptions afresh: nothing of a previous draw, and
// nothing DrawWithState changed, leaks into the next.
TEST_F(MeshFrameDrawTest, EachDrawStartsFromThePassAlone) {
    mesh.Draw(nullptr, pass, cache, nullptr);
    RenderPassDesc otherPass = pass;
    otherPass.cullMode = kCullBack;
    // Packed records: the id is written as bytes.
    const Bytes nullId(8, 0xff);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&otherPass) + 944 + 2 * 16 + 4, nullId.data(), nullId.size());
    mesh.Draw(nullptr, otherPass, cache, nullptr);
    mesh.Draw(nullptr, pass, cache, nullptr);

    ASSERT_EQ(mesh.drawWithStateCalls.size(), 3u);
    const DrawWithStateCall& first = mesh.drawWithStateCalls[0];
    const DrawWithStateCall& second = mesh.drawWithStateCalls[1];
    const DrawWithStateCall& third = mesh.drawWithStateCalls[2];
    EXPECT_EQ(second.state.cullMode, kCullBack);
    EXPECT_EQ(BytesOf(second.drawCall, 420 + 2 * 8, 8), nullId);
    EXPECT_EQ(BytesOf(third.state, 0, sizeof(PipelineStateDesc)), BytesOf(first.state, 0, sizeof(PipelineStateDesc)));
    EXPECT_EQ(BytesOf(third.drawCall, 0, sizeof(DrawCallDesc)), BytesOf(first.drawCall, 0, sizeof(DrawCallDesc)));
}

}  // namespace
}  // namespace Korvex::Rendering::testing_support
