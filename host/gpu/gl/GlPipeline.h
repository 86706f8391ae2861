#pragma once

#include "GlApi.h"
#include "GlProgram.h"
#include "GlStateShadow.h"

#include <Korvex/Rendering/Gpu/IGpu.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Korvex::Rendering::gl {

inline constexpr std::size_t kVertexBufferSlots = std::tuple_size_v<VertexBufferIds>;
inline constexpr std::size_t kColorTargets = kTargetDepthStencil;

// An immutable pipeline state: the fixed-function state, the program and a
// vertex array holding the attribute layout, so that a draw only binds
// buffers. The vertex array remembers which device buffers it holds.
struct GlPipeline {
    ProgramId program;
    GLuint programName = 0;
    GLenum mode = GL_TRIANGLES;
    RasterState raster;
    std::array<bool, kColorTargets> colorTargets{};  // target k has a format
    GLuint vertexArray = 0;
    std::array<GLsizei, kVertexBufferSlots> strides{};  // 0: slot unused
    std::array<BufferId, kVertexBufferSlots> boundVertexBuffers{};
    BufferId boundIndexBuffer;
};

struct PipelineBuild {
    std::optional<GlPipeline> pipeline;
    std::string error;
};

// Checks every code of the description against the program and makes the
// vertex array. The program must be the one the description names.
PipelineBuild BuildPipeline(const PipelineStateDesc& desc, ProgramId programId, const GlProgram& program);
void DeletePipeline(GlPipeline& pipeline, GlStateShadow& shadow);

// Whole-description hash and equality; semantic names count by their text.
std::uint64_t HashPipelineDescription(const PipelineStateDesc& desc);

}  // namespace Korvex::Rendering::gl
