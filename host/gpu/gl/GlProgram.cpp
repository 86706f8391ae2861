#include "GlProgram.h"

#include <ShaderTranslator.h>

#include <array>

namespace Korvex::Rendering::gl {

namespace {

using ShaderCompiler::StageKind;

struct StageInfo {
    StageKind kind;
    GLenum type;
    const char* name;
};

constexpr std::array<StageInfo, kShaderStageCount> kStages{{
    {StageKind::Vertex, GL_VERTEX_SHADER, "vertex"},
    {StageKind::Hull, GL_TESS_CONTROL_SHADER, "hull"},
    {StageKind::Domain, GL_TESS_EVALUATION_SHADER, "domain"},
    {StageKind::Geometry, GL_GEOMETRY_SHADER, "geometry"},
    {StageKind::Pixel, GL_FRAGMENT_SHADER, "pixel"},
}};

// Shaders and programs keep their logs alike; only the getters differ.
template <class GetParameter, class GetLog>
std::string InfoLog(GLuint object, GetParameter getParameter, GetLog getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) getLog(object, length, nullptr, log.data());
    while (!log.empty() && (log.back() == '\0' || log.back() == '\n')) log.pop_back();
    return log;
}

void DeleteShaders(const std::vector<GLuint>& shaders) {
    for (GLuint shader : shaders) glDeleteShader(shader);
}

// Attribute locations are the translator's declaration order; the linked
// program says which of them are still read.
std::vector<ProgramInput> ActiveVertexInputs(GLuint program, const std::vector<std::string>& semantics) {
    std::vector<ProgramInput> inputs;
    GLint count = 0;
    glGetProgramInterfaceiv(program, GL_PROGRAM_INPUT, GL_ACTIVE_RESOURCES, &count);
    for (GLint i = 0; i < count; ++i) {
        const GLenum property = GL_LOCATION;
        GLint location = -1;
        glGetProgramResourceiv(program, GL_PROGRAM_INPUT, static_cast<GLuint>(i), 1, &property, 1, nullptr,
                               &location);
        // Built-ins such as gl_VertexID have no location.
        if (location < 0 || static_cast<std::size_t>(location) >= semantics.size()) continue;
        inputs.push_back({semantics[static_cast<std::size_t>(location)], static_cast<GLuint>(location)});
    }
    return inputs;
}

}  // namespace

ProgramBuild BuildProgram(const ShaderStageSources& sources) {
    ProgramBuild build;
    if (sources.stages[kStageIndexVertex].empty()) {
        build.log = "no vertex stage";
        return build;
    }
    std::vector<GLuint> shaders;
    std::vector<std::string> vertexSemantics;
    GLuint clipDistances = 0;
    const std::size_t rasterizerFeed = !sources.stages[kStageIndexGeometry].empty() ? kStageIndexGeometry
                                       : !sources.stages[kStageIndexDomain].empty() ? kStageIndexDomain
                                                                                    : kStageIndexVertex;
    for (std::size_t i = 0; i < kShaderStageCount; ++i) {
        const std::string& source = sources.stages[i];
        if (source.empty()) continue;
        const StageInfo& stage = kStages[i];
        ShaderCompiler::Translation translation =
            ShaderCompiler::TranslateStage(source, stage.kind, {.feedsRasterizer = i == rasterizerFeed,
                                                                .clippedBeforeRasterizer = clipDistances != 0});
        if (!translation.Ok()) {
            build.log = std::string(stage.name) + " stage: " + translation.error;
            DeleteShaders(shaders);
            return build;
        }
        if (stage.kind == StageKind::Vertex) vertexSemantics = std::move(translation.vertexInputs);
        if (i == rasterizerFeed) clipDistances = translation.clipDistances;

        const GLuint shader = glCreateShader(stage.type);
        const GLchar* text = translation.glsl.c_str();
        const GLint length = static_cast<GLint>(translation.glsl.size());
        glShaderSource(shader, 1, &text, &length);
        glCompileShader(shader);
        shaders.push_back(shader);
        GLint compiled = GL_FALSE;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
        if (compiled != GL_TRUE) {
            build.log = std::string(stage.name) + " stage: " + InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
            DeleteShaders(shaders);
            return build;
        }
    }

    const GLuint program = glCreateProgram();
    for (GLuint shader : shaders) glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders) glDetachShader(program, shader);
    DeleteShaders(shaders);
    // Link failures never reach the debug output: the status must be read.
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        build.log = "link: " + InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
        glDeleteProgram(program);
        return build;
    }

    GlProgram result;
    result.name = program;
    result.vertexInputs = ActiveVertexInputs(program, vertexSemantics);
    result.tessellation = !sources.stages[kStageIndexDomain].empty();
    result.clipDistances = clipDistances;
    if (!sources.stages[kStageIndexGeometry].empty()) {
        GLint inputType = 0;
        glGetProgramiv(program, GL_GEOMETRY_INPUT_TYPE, &inputType);
        result.geometryInputType = static_cast<GLenum>(inputType);
    }
    build.program = std::move(result);
    return build;
}

}  // namespace Korvex::Rendering::gl
