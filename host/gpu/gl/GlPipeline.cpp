#include "GlPipeline.h"

#include "GlFormats.h"

#include <string_view>

namespace Korvex::Rendering::gl {

namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

std::uint64_t Fnv1a(std::uint64_t hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
    return hash;
}

GLenum ExpectedGeometryInput(GLenum mode) {
    switch (mode) {
        case GL_POINTS: return GL_POINTS;
        case GL_LINES: return GL_LINES;
        default: return GL_TRIANGLES;
    }
}

std::string CodeError(const char* field, std::uint32_t code) {
    return std::string("unsupported ") + field + " " + std::to_string(code);
}

// The fixed-function part, or the name of the field that holds a bad code.
std::optional<RasterState> MakeRasterState(const PipelineStateDesc& desc, std::string* error) {
    RasterState state;
    switch (desc.cullMode) {
        case kCullNone: break;
        case kCullFront:
            state.cullEnabled = true;
            state.cullFace = GL_FRONT;
            break;
        case kCullBack:
            state.cullEnabled = true;
            state.cullFace = GL_BACK;
            break;
        default: *error = CodeError("cull mode", desc.cullMode); return std::nullopt;
    }
    switch (desc.frontFace) {
        case kFrontFaceCounterClockwise: state.frontFace = GL_CCW; break;
        case kFrontFaceClockwise: state.frontFace = GL_CW; break;
        default: *error = CodeError("front face", desc.frontFace); return std::nullopt;
    }
    const std::optional<GLenum> depthFunction = CompareFunction(desc.depthCompare);
    if (!depthFunction) {
        *error = CodeError("depth compare", desc.depthCompare);
        return std::nullopt;
    }
    state.depthFunction = *depthFunction;
    state.depthWrite = desc.depthWrite != 0;
    // GL writes no depth while its test is off, so "always" with writes on
    // still needs the test, passing every fragment.
    state.depthTest = desc.depthCompare != kCompareAlways || state.depthWrite;

    const auto makeFace = [&](std::uint32_t compare, std::uint32_t fail, std::uint32_t depthFail,
                              std::uint32_t pass) -> std::optional<StencilFace> {
        const std::optional<GLenum> function = CompareFunction(compare);
        if (!function) {
            *error = CodeError("stencil compare", compare);
            return std::nullopt;
        }
        StencilFace face{*function, GL_KEEP, GL_KEEP, GL_KEEP};
        for (auto [code, op] : {std::pair{fail, &face.failOp}, std::pair{depthFail, &face.depthFailOp},
                                std::pair{pass, &face.passOp}}) {
            const std::optional<GLenum> operation = StencilOperation(code);
            if (!operation) {
                *error = CodeError("stencil operation", code);
                return std::nullopt;
            }
            *op = *operation;
        }
        return face;
    };
    const std::optional<StencilFace> front = makeFace(desc.stencilCompareFront, desc.stencilFailOpFront,
                                                      desc.stencilDepthFailOpFront, desc.stencilPassOpFront);
    if (!front) return std::nullopt;
    const std::optional<StencilFace> back = makeFace(desc.stencilCompareBack, desc.stencilFailOpBack,
                                                     desc.stencilDepthFailOpBack, desc.stencilPassOpBack);
    if (!back) return std::nullopt;
    state.stencilFront = *front;
    state.stencilBack = *back;
    // "Always" turns the test off, yet counting passes (always with increment)
    // writes the buffer, which GL does only with the test on.
    const StencilFace passive{};
    state.stencilTest = !(state.stencilFront == passive && state.stencilBack == passive);

    switch (desc.blendMode) {
        case kBlendOff: state.blend0 = false; break;
        case kBlendAlpha: state.blend0 = true; break;
        default: *error = CodeError("blend mode", desc.blendMode); return std::nullopt;
    }
    state.colorWrite0 = desc.colorWrite != 0;
    return state;
}

// Attributes of one vertex buffer slot sit back to back in declaration order.
bool MakeVertexArray(const PipelineStateDesc& desc, const GlProgram& program, GlPipeline& pipeline,
                     std::string* error) {
    std::array<GLuint, kVertexBufferSlots> offsets{};
    struct Placed {
        const VertexAttribute* attribute;
        const VertexFormat* format;
        GLuint offset;
    };
    std::array<Placed, kMaxVertexAttributes> placed{};
    std::size_t placedCount = 0;
    for (const VertexAttribute& attribute : desc.vertexInput) {
        if (attribute.name == nullptr) continue;
        const VertexFormat* format = FindVertexFormat(attribute.format);
        if (format == nullptr) {
            *error = CodeError("vertex format", attribute.format) + " of \"" + attribute.name + "\"";
            return false;
        }
        if (attribute.slot >= kVertexBufferSlots) {
            *error = CodeError("vertex buffer slot", attribute.slot) + " of \"" + attribute.name + "\"";
            return false;
        }
        placed[placedCount++] = {&attribute, format, offsets[attribute.slot]};
        offsets[attribute.slot] += format->size;
    }

    glCreateVertexArrays(1, &pipeline.vertexArray);
    for (std::size_t slot = 0; slot < kVertexBufferSlots; ++slot)
        pipeline.strides[slot] = static_cast<GLsizei>(offsets[slot]);
    for (std::size_t i = 0; i < placedCount; ++i) {
        const Placed& p = placed[i];
        for (const ProgramInput& input : program.vertexInputs) {
            if (input.semantic != p.attribute->name) continue;
            glEnableVertexArrayAttrib(pipeline.vertexArray, input.location);
            glVertexArrayAttribFormat(pipeline.vertexArray, input.location, p.format->components, p.format->type,
                                      p.format->normalized, p.offset);
            glVertexArrayAttribBinding(pipeline.vertexArray, input.location, p.attribute->slot);
        }
    }
    return true;
}

}  // namespace

PipelineBuild BuildPipeline(const PipelineStateDesc& desc, ProgramId programId, const GlProgram& program) {
    PipelineBuild build;
    const std::optional<PrimitiveTopology> topology = FindTopology(desc.topology);
    if (!topology) {
        build.error = CodeError("topology", desc.topology);
        return build;
    }
    const bool patches = topology->mode == GL_PATCHES;
    if (patches != program.tessellation) {
        build.error = patches ? "patch topology needs a program with tessellation stages"
                              : "a program with tessellation stages needs a patch topology";
        return build;
    }
    if (program.geometryInputType && !patches && *program.geometryInputType != ExpectedGeometryInput(topology->mode)) {
        build.error = "topology " + std::to_string(desc.topology) + " does not feed the geometry stage's input";
        return build;
    }
    std::optional<RasterState> raster = MakeRasterState(desc, &build.error);
    if (!raster) return build;
    // GL's initial value, so that pipelines without patches change nothing.
    raster->patchVertices = patches ? topology->patchVertices : RasterState{}.patchVertices;
    raster->clipDistances = program.clipDistances;

    GlPipeline pipeline;
    pipeline.program = programId;
    pipeline.programName = program.name;
    pipeline.mode = topology->mode;
    pipeline.raster = *raster;
    for (std::size_t k = 0; k < kColorTargets; ++k) pipeline.colorTargets[k] = desc.targetFormats[k] != 0;
    if (!MakeVertexArray(desc, program, pipeline, &build.error)) return build;
    build.pipeline = pipeline;
    return build;
}

void DeletePipeline(GlPipeline& pipeline, GlStateShadow& shadow) {
    shadow.ForgetVertexArray(pipeline.vertexArray);
    glDeleteVertexArrays(1, &pipeline.vertexArray);
    pipeline.vertexArray = 0;
}

std::uint64_t HashPipelineDescription(const PipelineStateDesc& desc) {
    PipelineStateDesc unnamed = desc;
    std::uint64_t hash = kFnvOffset;
    for (VertexAttribute& attribute : unnamed.vertexInput) {
        const std::string_view name = attribute.name != nullptr ? attribute.name : std::string_view();
        hash = Fnv1a(hash, name.data(), name.size());
        hash = Fnv1a(hash, "", 1);  // separates "ab","c" from "a","bc"
        attribute.name = nullptr;
    }
    return Fnv1a(hash, &unnamed, sizeof(unnamed));
}

}  // namespace Korvex::Rendering::gl
