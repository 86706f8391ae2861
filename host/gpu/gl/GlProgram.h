#pragma once

#include "GlApi.h"

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <optional>
#include <string>
#include <vector>

namespace Korvex::Rendering::gl {

struct ProgramInput {
    std::string semantic;
    GLuint location;
};

struct GlProgram {
    GLuint name = 0;
    std::vector<ProgramInput> vertexInputs;  // only those the linked program reads
    bool tessellation = false;
    std::optional<GLenum> geometryInputType;  // none without a geometry stage (GL_POINTS is 0)
    GLuint clipDistances = 0;                 // gl_ClipDistance elements to enable
};

struct ProgramBuild {
    std::optional<GlProgram> program;
    std::string log;  // why the build failed; empty on success
};

// Translates each non-empty stage, compiles and links them.
ProgramBuild BuildProgram(const ShaderStageSources& sources);

}  // namespace Korvex::Rendering::gl
