#pragma once

#include <Korvex/Rendering/Simulation/IGeometry.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace Korvex::Rendering {

// Immutable indexed geometry (only the name changes), shared through
// std::shared_ptr<IGeometry>. Container is a sequence of buffers that each
// offer ForEachDraw (see IndexedVertexBuffer). No GPU call is made before a
// draw; the buffers are released with the last reference.
template <class Container>
class Geometry final : public IGeometry {
public:
    Geometry(Container&& filledBuffers, const boundingbox<float, 3>& boundingBox,
             const VertexInputState& bufferVertexInput, std::string&& initialName, bool closedSurface = false,
             float longestEdge = std::numeric_limits<float>::infinity())
        : buffers(std::move(filledBuffers)),
          box(boundingBox),
          vertexInput(bufferVertexInput),
          name(std::move(initialName)),
          closed(closedSurface),
          longest(longestEdge) {}

    const char* GetName() const override { return name.c_str(); }
    void SetName(const char* text) override { name = text != nullptr ? text : ""; }

    boundingbox<float, 3> GetBoundingBox() const override { return box; }
    VertexInputState GetVertexInputState() const override { return vertexInput; }

    void SubmitDrawsWithState(ICommandList& commands, const PipelineStateDesc& state) override {
        PipelineStateDesc withVertexInput = state;
        withVertexInput.vertexInput = vertexInput;
        if (commands.ApplyPipelineStateDesc(withVertexInput)) SubmitDraws(commands);
    }

    void SubmitDrawsInstanced(ICommandList* const* commands, std::uint64_t instanceCount) override {
        if (commands == nullptr || *commands == nullptr) return;
        ICommandList& list = **commands;
        for (const auto& buffer : buffers) {
            buffer.ForEachDraw(
                [&](const auto&... arguments) { list.DrawIndexedInstanced(instanceCount, arguments...); });
        }
    }

    void SubmitDraws(ICommandList& commands) override {
        for (const auto& buffer : buffers)
            buffer.ForEachDraw([&](const auto&... arguments) { commands.DrawIndexed(arguments...); });
    }

    bool IsClosed() const override { return closed; }
    float GetLongestEdge() const override { return longest; }

private:
    // Destroyed in reverse: the name first, the buffers last.
    Container buffers;
    boundingbox<float, 3> box;
    VertexInputState vertexInput;
    std::string name;
    bool closed;
    float longest;
};

}  // namespace Korvex::Rendering
