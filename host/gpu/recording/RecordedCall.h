#pragma once

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace Korvex::Rendering {

struct BindDrawCallArguments {
    PipelineStateId pipeline;
    DrawCallDesc drawCall;
};

// The arguments of DrawIndexed, DrawIndexedInstanced and DrawVertices; the
// fields an operation does not take stay zero.
struct DrawArguments {
    VertexBufferIds vertexBuffers;
    BufferId indexBuffer;
    std::uint32_t indexFormat = 0;
    std::uint32_t indexCount = 0;
    std::uint32_t firstIndex = 0;
    std::int32_t baseVertex = 0;
    std::uint64_t instanceCount = 0;
    std::uint32_t vertexCount = 0;
    std::uint32_t firstVertex = 0;
};

// Typed copy of what a call was given, where a test may need more than text:
// BufferDesc (CreateBuffer), ImageDesc (CreateImage), SamplerDesc,
// PipelineStateDesc (CreatePipelineState, ApplyPipelineStateDesc),
// BindDrawCallArguments, ShaderStageSources (CreateProgram), DrawArguments,
// bytes (the data of CreateBuffer, UpdateBuffer and WriteImage).
using CallPayload = std::variant<std::monostate, BufferDesc, ImageDesc, SamplerDesc, PipelineStateDesc,
                                 BindDrawCallArguments, ShaderStageSources, DrawArguments,
                                 std::vector<std::uint8_t>>;

struct RecordedCall {
    std::string operation;
    std::string arguments;                      // compact text, ids written as "index:generation" or "null"
    std::uint64_t result = ~std::uint64_t{0};   // the id a Create* call returned (null when it failed)
    CallPayload payload;

    // Throws std::bad_variant_access when the call carries no T.
    template <class T>
    const T& As() const { return std::get<T>(payload); }
};

std::string IdText(std::uint64_t idValue);

template <class Tag>
std::string IdText(Id<Tag, 32> id) { return IdText(id.value); }

}  // namespace Korvex::Rendering
