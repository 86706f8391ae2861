#include "Vocabulary.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

struct ScalarSpelling {
    ScalarKind scalar;
    std::string_view hlsl;
    std::string_view glslVectorPrefix;
};

constexpr std::array<ScalarSpelling, 4> kScalars = {{
    {ScalarKind::Float, "float", "vec"},
    {ScalarKind::Int, "int", "ivec"},
    {ScalarKind::Uint, "uint", "uvec"},
    {ScalarKind::Bool, "bool", "bvec"},
}};

constexpr std::pair<std::string_view, std::string_view> kRenames[] = {
    {"float2", "vec2"},       {"float3", "vec3"},         {"float4", "vec4"},
    {"int2", "ivec2"},        {"int3", "ivec3"},          {"int4", "ivec4"},
    {"uint2", "uvec2"},       {"uint3", "uvec3"},         {"uint4", "uvec4"},
    {"bool2", "bvec2"},       {"bool3", "bvec3"},         {"bool4", "bvec4"},
    {"float2x2", "mat2"},     {"float3x3", "mat3"},       {"float4x4", "mat4"},
    {"lerp", "mix"},          {"frac", "fract"},          {"rsqrt", "inversesqrt"},
    {"ddx", "dFdx"},          {"ddy", "dFdy"},            {"atan2", "atan"},
    {"RestartStrip", "EndPrimitive"},
};

// GLSL 4.50 keywords and reserved words that are not part of the template
// vocabulary, plus the GLSL functions the translation emits in place of
// meta-language ones (a template variable of that name would hide them).
constexpr std::string_view kReserved[] = {
    "active", "asm", "atomic_uint", "attribute", "barrier", "buffer", "cast", "centroid", "class",
    "coherent", "common", "dFdx", "dFdy", "dmat2", "dmat2x2", "dmat2x3",
    "dmat2x4", "dmat3", "dmat3x2", "dmat3x3", "dmat3x4", "dmat4", "dmat4x2", "dmat4x3", "dmat4x4",
    "dvec2", "dvec3", "dvec4", "enum", "extern", "external", "filter", "fixed", "flat", "fract",
    "fvec2", "fvec3", "fvec4", "goto", "half", "highp", "hvec2", "hvec3", "hvec4", "inline", "input",
    "interface", "invariant", "inversesqrt", "layout", "long", "lowp", "mediump", "mix",
    "namespace", "noinline", "noperspective", "output", "packed", "partition", "patch", "precise",
    "precision", "public", "readonly", "resource", "restrict", "sample", "shared", "short",
    "sizeof", "smooth", "subroutine", "superp", "template", "texelFetch", "texture", "textureLod",
    "this", "typedef", "uniform", "union", "unsigned", "using", "varying", "volatile", "writeonly",
};

// GLSL opaque type names: [iu](sampler|image)(1D|2D|3D|Cube|Buffer|2DRect|2DMS)...
bool IsOpaqueTypeName(std::string_view name) {
    if (!name.empty() && (name.front() == 'i' || name.front() == 'u')) {
        name.remove_prefix(1);
    }
    for (std::string_view kind : {std::string_view("sampler"), std::string_view("image")}) {
        if (name.starts_with(kind)) {
            const std::string_view shape = name.substr(kind.size());
            for (std::string_view prefix : {"1D", "2D", "3D", "Cube", "Buffer"}) {
                if (shape.starts_with(prefix)) {
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

std::optional<ValueType> ParseValueType(std::string_view name) {
    for (const ScalarSpelling& spelling : kScalars) {
        if (!name.starts_with(spelling.hlsl)) {
            continue;
        }
        const std::string_view suffix = name.substr(spelling.hlsl.size());
        if (suffix.empty()) {
            return ValueType{spelling.scalar, 1};
        }
        if (suffix.size() == 1 && suffix[0] >= '2' && suffix[0] <= '4') {
            return ValueType{spelling.scalar, static_cast<unsigned>(suffix[0] - '0')};
        }
    }
    return std::nullopt;
}

std::string GlslTypeName(ValueType type) {
    const auto spelling = std::find_if(kScalars.begin(), kScalars.end(),
                                       [&](const ScalarSpelling& s) { return s.scalar == type.scalar; });
    if (type.components == 1) {
        return std::string(spelling->hlsl);
    }
    return std::string(spelling->glslVectorPrefix) + static_cast<char>('0' + type.components);
}

std::optional<std::string_view> GlslRename(std::string_view name) {
    for (const auto& [hlsl, glsl] : kRenames) {
        if (hlsl == name) {
            return glsl;
        }
    }
    return std::nullopt;
}

bool IsReservedName(std::string_view name) {
    if (name.starts_with("gl_") || name.starts_with("kx_") || IsOpaqueTypeName(name)) {
        return true;
    }
    return std::find(std::begin(kReserved), std::end(kReserved), name) != std::end(kReserved);
}

}  // namespace Korvex::Rendering::ShaderCompiler
