#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Korvex::Rendering::ShaderCompiler {

enum class ScalarKind { Float, Int, Uint, Bool };

// A scalar or vector type of the meta-language: float, float3, uint2, ...
struct ValueType {
    ScalarKind scalar = ScalarKind::Float;
    unsigned components = 1;
};

std::optional<ValueType> ParseValueType(std::string_view name);
std::string GlslTypeName(ValueType type);

// The GLSL spelling of a meta-language type or function name that is only
// renamed (float4 -> vec4, lerp -> mix); nothing for other names.
std::optional<std::string_view> GlslRename(std::string_view name);

// Names a template must not use: GLSL keywords and reserved words that HLSL
// allows as names, GLSL functions the translation itself emits, and the
// prefixes gl_ and kx_.
bool IsReservedName(std::string_view name);

}  // namespace Korvex::Rendering::ShaderCompiler
