#include "ResourceTable.h"

#include "TranslationError.h"

#include <Korvex/Rendering/Gpu/Descriptions.h>

#include <algorithm>

namespace Korvex::Rendering::ShaderCompiler {
namespace {

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// HLSL's Sample returns the declared texel type; GLSL always gives four
// components.
std::string_view TexelSwizzle(ValueType texel) {
    constexpr std::string_view kSwizzles[] = {"", ".x", ".xy", ".xyz", ""};
    return kSwizzles[std::min(texel.components, 4u)];
}

std::string_view SamplerPrefix(ValueType texel) {
    return texel.scalar == ScalarKind::Int ? "i" : texel.scalar == ScalarKind::Uint ? "u" : "";
}

}  // namespace

bool ResourceTable::IsDeclarationMacro(std::string_view name) {
    return name == "CBUFFER" || name == "TEXTURE_1D" || name == "TEXTURE_2D" || name == "TEXTURE_3D" ||
           name == "BUFFER";
}

bool ResourceTable::IsAccessMacro(std::string_view name) {
    return name == "SAMPLE" || name == "SAMPLE_LEVEL" || name == "READ";
}

std::string ResourceTable::Declare(const Token& macro, const std::vector<Token>& arguments) {
    const std::size_t line = macro.line;
    const bool constantBuffer = macro.text == "CBUFFER";
    const std::size_t expected = constantBuffer ? 2 : 3;
    const std::string form = constantBuffer ? "CBUFFER(name, slot)" : std::string(macro.text) + "(type, name, slot)";
    if (arguments.size() != expected) {
        Fail(line, "expected " + form);
    }
    const Token& nameToken = arguments[expected - 2];
    const std::optional<unsigned> slot = DecimalValue(arguments[expected - 1].text);
    const std::size_t slotCount = constantBuffer ? kMaxConstantBufferBindings : kMaxResourceBindings;
    if (nameToken.kind != TokenKind::Identifier) {
        Fail(line, form + ": " + Quoted(nameToken.text) + " is not a name");
    }
    if (!slot || *slot >= slotCount) {
        Fail(line, form + ": slot " + Quoted(arguments[expected - 1].text) + " is not a number from 0 to " +
                       std::to_string(slotCount - 1));
    }
    if (constantBuffer) {
        Register(Resource{Shape::ConstantBuffer, nameToken.text, {}, *slot, line});
        // The block name gets a prefix of its own: its members are the
        // globals the bodies use.
        return "layout(std140, binding = " + std::to_string(*slot) + ") uniform kx_cbuffer_" +
               std::string(nameToken.text);
    }
    if (IsReservedName(nameToken.text)) {
        Fail(line, Quoted(nameToken.text) + " is reserved in GLSL; choose another name");
    }
    const std::optional<ValueType> texel = ParseValueType(arguments[0].text);
    if (arguments[0].kind != TokenKind::Identifier || !texel || texel->scalar == ScalarKind::Bool) {
        Fail(line, form + ": " + Quoted(arguments[0].text) + " is not a texel type (float, int or uint, 1 to 4 components)");
    }
    const Shape shape = macro.text == "BUFFER"       ? Shape::Buffer
                        : macro.text == "TEXTURE_1D" ? Shape::Texture1D
                        : macro.text == "TEXTURE_2D" ? Shape::Texture2D
                                                     : Shape::Texture3D;
    Register(Resource{shape, nameToken.text, *texel, *slot, line});
    const std::string_view kind = shape == Shape::Buffer      ? "samplerBuffer"
                                  : shape == Shape::Texture1D ? "sampler1D"
                                  : shape == Shape::Texture2D ? "sampler2D"
                                                              : "sampler3D";
    return "layout(binding = " + std::to_string(*slot) + ") uniform " + std::string(SamplerPrefix(*texel)) +
           std::string(kind) + " " + std::string(nameToken.text);
}

std::string ResourceTable::Access(const Token& macro, const Token& resource,
                                  const std::vector<std::string>& arguments) const {
    const std::size_t line = macro.line;
    const bool read = macro.text == "READ";
    const bool level = macro.text == "SAMPLE_LEVEL";
    const std::size_t expected = level ? 2 : 1;
    const std::string form = read ? "READ(buffer, index)" : level ? "SAMPLE_LEVEL(texture, coord, level)" : "SAMPLE(texture, coord)";
    if (arguments.size() != expected) {
        Fail(line, "expected " + form);
    }
    const Resource* found = resource.kind == TokenKind::Identifier ? Find(resource.text) : nullptr;
    if (found == nullptr || found->shape == Shape::ConstantBuffer) {
        Fail(line, form + ": " + Quoted(resource.text) + " is not a declared texture or buffer");
    }
    if (read != (found->shape == Shape::Buffer)) {
        Fail(line, form + ": " + Quoted(resource.text) + (read ? " is a texture; use SAMPLE or SAMPLE_LEVEL"
                                                               : " is a BUFFER; use READ"));
    }
    const std::string name(resource.text);
    std::string call;
    if (read) {
        call = "texelFetch(" + name + ", int(" + arguments[0] + "))";
    } else if (level) {
        call = "textureLod(" + name + ", " + arguments[0] + ", " + arguments[1] + ")";
    } else {
        call = "texture(" + name + ", " + arguments[0] + ")";
    }
    return call + std::string(TexelSwizzle(found->texel));
}

const ResourceTable::Resource* ResourceTable::Find(std::string_view name) const {
    const auto found =
        std::find_if(resources_.begin(), resources_.end(), [&](const Resource& r) { return r.name == name; });
    return found == resources_.end() ? nullptr : &*found;
}

void ResourceTable::Register(const Resource& resource) {
    if (const Resource* earlier = Find(resource.name)) {
        Fail(resource.line, Quoted(resource.name) + " is already declared on line " + std::to_string(earlier->line));
    }
    // Constant buffers and texture units are separate binding spaces.
    const bool isBuffer = resource.shape == Shape::ConstantBuffer;
    for (const Resource& other : resources_) {
        if ((other.shape == Shape::ConstantBuffer) == isBuffer && other.slot == resource.slot) {
            Fail(resource.line, "slot " + std::to_string(resource.slot) + " is already used by " +
                                    Quoted(other.name) + " on line " + std::to_string(other.line));
        }
    }
    resources_.push_back(resource);
}

}  // namespace Korvex::Rendering::ShaderCompiler
