#include "GeometryReadback.h"

#include "meshes/triangle/VertexPNGeometry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace Korvex::Rendering::detail {
namespace {

using ::testing::ElementsAre;

using Buffer = IndexedVertexBuffer<IndexedDrawCall>;

// Two buffers with draw calls {6,0,0}, {3,6,4} and {9,0,0}.
struct TwoBuffers {
    RecordingDevice device;
    BufferId vertices[2];
    BufferId indices[2];
    std::shared_ptr<IGeometry> geometry;

    TwoBuffers() {
        VertexContainer<Buffer> buffers;
        const std::vector<std::vector<IndexedDrawCall>> drawCalls = {{{6, 0, 0}, {3, 6, 4}}, {{9, 0, 0}}};
        for (int b = 0; b < 2; ++b) {
            vertices[b] = device.CreateBuffer({240, kBufferUsageVertex}, nullptr);
            indices[b] = device.CreateBuffer({18, kBufferUsageIndex}, nullptr);
            Buffer& buffer = buffers.emplace_back();
            buffer.vertexBuffer = GpuHandle<BufferTag>(device, vertices[b]);
            buffer.indexBuffer = GpuHandle<BufferTag>(device, indices[b]);
            buffer.drawCalls = drawCalls[std::size_t(b)];
        }
        geometry = std::make_shared<IndexedGeometry>(std::move(buffers), boundingbox<float, 3>({-1, -2, -3}, {1, 2, 3}),
                                                     VertexPNInputState(), std::string("surface"));
        device.ClearCalls();
    }

    std::string Expected(const char* prefix, int b, const char* rest) const {
        return prefix + std::string("{") + IdText(vertices[b]) + ",null,null,null}," + IdText(indices[b]) + ",19," +
               rest;
    }
};

std::vector<std::string> ArgumentsOf(const RecordingDevice& device, const char* operation) {
    std::vector<std::string> arguments;
    for (const RecordedCall& call : device.Calls())
        if (call.operation == operation) arguments.push_back(call.arguments);
    return arguments;
}

// Each submit path issues every draw call of every buffer in order; the
// instanced one reaches the commands through a pointer to the pointer, the
// one with a state draws only when the state with its vertex input applies.
TEST(GeometryTest, EverySubmitPathIssuesEveryDrawCallOfEveryBufferInOrder) {
    TwoBuffers fixture;
    fixture.geometry->SubmitDraws(fixture.device);
    EXPECT_THAT(ArgumentsOf(fixture.device, "DrawIndexed"),
                ElementsAre(fixture.Expected("", 0, "6,0,0"), fixture.Expected("", 0, "3,6,4"),
                            fixture.Expected("", 1, "9,0,0")));
    ICommandList* commands = &fixture.device;
    fixture.geometry->SubmitDrawsInstanced(&commands, 5);
    fixture.geometry->SubmitDrawsInstanced(nullptr, 5);
    EXPECT_THAT(ArgumentsOf(fixture.device, "DrawIndexedInstanced"),
                ElementsAre(fixture.Expected("5,", 0, "6,0,0"), fixture.Expected("5,", 0, "3,6,4"),
                            fixture.Expected("5,", 1, "9,0,0")));

    PipelineStateDesc state;
    state.vertexInput[5].format = 40;
    state.program = ProgramId::FromParts(3, 1);
    fixture.device.ClearCalls();
    fixture.geometry->SubmitDrawsWithState(fixture.device, state);
    ASSERT_THAT(fixture.device.OperationNames(),
                ElementsAre("ApplyPipelineStateDesc", "DrawIndexed", "DrawIndexed", "DrawIndexed"));
    PipelineStateDesc expected = state;
    expected.vertexInput = VertexPNInputState();
    EXPECT_EQ(std::memcmp(&fixture.device.Calls()[0].As<PipelineStateDesc>(), &expected, sizeof expected), 0);
    fixture.device.ClearCalls();
    fixture.device.FailOperation("ApplyPipelineStateDesc");
    fixture.geometry->SubmitDrawsWithState(fixture.device, state);
    EXPECT_THAT(fixture.device.OperationNames(), ElementsAre("ApplyPipelineStateDesc"));
}

TEST(GeometryTest, KeepsTheGivenBoxVertexInputAndName) {
    TwoBuffers fixture;
    IGeometry& geometry = *fixture.geometry;
    EXPECT_EQ(geometry.GetBoundingBox(), (boundingbox<float, 3>({-1, -2, -3}, {1, 2, 3})));
    EXPECT_STREQ(geometry.GetName(), "surface");
    geometry.SetName(nullptr);
    EXPECT_STREQ(geometry.GetName(), "");
    EXPECT_TRUE(fixture.device.Calls().empty()) << "no GPU call outside drawing";
    const VertexInputState input = geometry.GetVertexInputState();
    EXPECT_STREQ(input[0].name, "position");
    EXPECT_STREQ(input[1].name, "normal");
    for (std::size_t i = 0; i < input.size(); ++i) {
        EXPECT_EQ(input[i].format, i < 2 ? kFormatRgb32Float : 0u) << i;
        EXPECT_EQ(input[i].slot, 0u) << i;
        EXPECT_EQ(input[i].name == nullptr, i >= 2) << i;
    }
}

}  // namespace
}  // namespace Korvex::Rendering::detail
